#pragma once
// InputSampler: the input object. Once per frame it turns the keyboard and the first
// game pad into the held direction and button bits of InputState, and
// refreshes its 256-byte keyboard snapshot.
//
// Only held states are produced: nothing here remembers the previous frame,
// so every consumer derives presses from the held bits itself. A key tapped
// and released between two polls still shows as held for one frame, because
// the keyboard reports presses since its previous call.
//
// Pads: four slots for user indexes 0..3. Every read asks the pad again, so a
// pad plugged in during the run is used from the next frame on; a slot's
// connected flag says whether its pad answered the last read, and a pad that
// has gone reads as all released.

#include <cstdint>

#include "platform/Input.h"

struct InputState;
struct Settings;
class WorldState;

struct PadSlot {
    platform::PadState state;
    bool connected = true;
};

class InputSampler {
public:
    static constexpr int kPads = 4;

    // Direction bits (InputState::dirBits); their values equal the D-pad masks.
    static constexpr int32_t kUp = 1;
    static constexpr int32_t kDown = 2;
    static constexpr int32_t kLeft = 4;
    static constexpr int32_t kRight = 8;
    // Button bits (InputState::buttonBits), in buttonMap order.
    static constexpr int32_t kDecision = 1;
    static constexpr int32_t kCancellation = 2;
    static constexpr int32_t kPause = 4;
    static constexpr int32_t kShift = 8;
    static constexpr int kButtons = 4;

    // Virtual-key codes the game reads.
    static constexpr uint8_t kVkLeft = 0x25;
    static constexpr uint8_t kVkUp = 0x26;
    static constexpr uint8_t kVkRight = 0x27;
    static constexpr uint8_t kVkDown = 0x28;

    static constexpr uint8_t kKeyDown = 0x80;

    InputSampler() = default;
    ~InputSampler() = default;

    // The records it fills and reads: the input state, the settings (the pad
    // buttons) and the world (the scene decides whether Up also confirms).
    void Link(InputState* state, const Settings* settings, const WorldState* world) {
        state_ = state;
        settings_ = settings;
        world_ = world;
    }
    // The keyboard and the pads it samples (start-up attaches the real ones).
    void AttachDevices(platform::Keyboard* keyboard, platform::GamePads* gamePads) {
        keyboard_ = keyboard;
        pads_ = gamePads;
    }

    // Samples the keyboard into InputState::keyState and, as InputState::inputMode
    // says, the keyboard (0) or the keyboard and pad 0 (1) into dirBits and
    // buttonBits; any other mode leaves the two bit sets as they are. Without
    // linked records or an attached keyboard nothing changes.
    void PollInput();
    // Reads all four pad slots (the options screen's button assignment
    // watches every pad).
    void PollAllPads();

    // The wButtons mask of pad button index n (0 A, 1 B, 2 X, 3 Y); 0 for any
    // other index, which stands for "no pad button". The settings file can
    // hold any byte here.
    static uint16_t PadButtonMask(uint8_t index);

    PadSlot pads[kPads];

private:
    void ReadPad(int index);

    InputState* state_ = nullptr;
    const Settings* settings_ = nullptr;
    const WorldState* world_ = nullptr;
    platform::Keyboard* keyboard_ = nullptr;
    platform::GamePads* pads_ = nullptr;
};
