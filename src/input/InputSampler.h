#pragma once
// InputSampler: the input object. Once per frame it turns the controls held
// on the keyboard and the first game pad into the held direction and button
// bits of InputState.
//
// Only this frame's held states are produced; InputState keeps the last
// frame's beside them and answers held, pressed and released. A key tapped
// and released between two polls still shows as held for one frame, because
// the keyboard reports presses since its previous call.
//
// Pads: four slots for user indexes 0..3. Every read asks the pad again, so a
// pad plugged in during the run is used from the next frame on; a slot's
// connected flag says whether its pad answered the last read, and a pad that
// has gone reads as all released.

#include <cstdint>
#include <optional>

#include "platform/Input.h"
#include "world/InputState.h"

struct Settings;
class WorldState;

struct PadSlot {
    platform::PadState state;
    bool connected = true;
};

class InputSampler {
public:
    static constexpr int kPads = 4;

    // The bits of InputState's two sets, by their short names here.
    static constexpr int32_t kUp = InputState::kUp;
    static constexpr int32_t kDown = InputState::kDown;
    static constexpr int32_t kLeft = InputState::kLeft;
    static constexpr int32_t kRight = InputState::kRight;
    static constexpr int32_t kDecision = InputState::kDecision;
    static constexpr int32_t kCancellation = InputState::kCancellation;
    static constexpr int32_t kPause = InputState::kPause;
    static constexpr int32_t kShift = InputState::kShift;
    static constexpr int kButtons = 4;

    // The records it fills and reads: the input state, the settings (the pad
    // buttons) and the world (the scene decides whether Up also confirms).
    InputSampler(InputState& state, const Settings& settings, const WorldState& world)
        : state_(state), settings_(settings), world_(world) {}
    InputSampler(const InputSampler&) = delete;
    InputSampler& operator=(const InputSampler&) = delete;

    // The keyboard and the pads it samples (start-up attaches the real ones).
    // A game that has none, such as a replay being checked, is driven by the
    // bits its caller writes; polling then leaves them alone.
    void AttachDevices(platform::Keyboard& keyboard, platform::GamePads& gamePads) {
        keyboard_ = &keyboard;
        pads_ = &gamePads;
    }

    // Samples, as InputState::inputMode says, the keyboard (0) or the keyboard
    // and pad 0 (1) into dirBits and buttonBits; any other mode leaves the two
    // bit sets as they are (the keyboard is read all the same, so a tap does
    // not linger into a later frame).
    void PollInput();
    // Reads all four pad slots (the options screen's button assignment
    // watches every pad).
    void PollAllPads();

    // The pad button a stored buttonMap entry names: 0..3 are A, B, X and Y;
    // anything else (the settings file can hold any byte) is no pad button.
    static std::optional<platform::PadButton> AssignedButton(uint8_t entry);

    PadSlot pads[kPads];

private:
    void ReadPad(int index);

    InputState& state_;
    const Settings& settings_;
    const WorldState& world_;
    platform::Keyboard* keyboard_ = nullptr;  // both set together, or neither
    platform::GamePads* pads_ = nullptr;
};
