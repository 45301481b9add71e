#pragma once
// InputState: the controls of this frame and of the last one, and which
// devices are read. The sampler (or a replay) writes this frame's held bits;
// the scene frame keeps them as the last frame's once it has run, so every
// screen asks the same questions: held now, pressed this frame, released
// this frame.

#include <cstdint>

#include "platform/Input.h"

struct InputState {
    // The held controls packed into two bit sets, the form the replays store
    // frame by frame. Directions (dirBits):
    static constexpr int32_t kUp = 1;
    static constexpr int32_t kDown = 2;
    static constexpr int32_t kLeft = 4;
    static constexpr int32_t kRight = 8;
    // Functions (buttonBits), in buttonMap order:
    static constexpr int32_t kDecision = 1;
    static constexpr int32_t kCancellation = 2;
    static constexpr int32_t kPause = 4;
    static constexpr int32_t kShift = 8;

    int32_t dirBits = 0;
    int32_t buttonBits = 0;
    int32_t inputMode = 0;  // 0 keyboard, 1 keyboard and pad 0
    // The bits the last scene frame ran with.
    int32_t lastDirBits = 0;
    int32_t lastButtonBits = 0;

    // After a scene frame: this frame's controls become the last frame's.
    void KeepAsLastFrame() {
        lastDirBits = dirBits;
        lastButtonBits = buttonBits;
    }
};

// A control's bit in dirBits or buttonBits (see `direction`); 0 for none.
struct ControlBit {
    platform::Control control;
    int32_t bit;
    bool direction;
};
inline constexpr ControlBit kControlBits[] = {
    {platform::Control::kUp, InputState::kUp, true},
    {platform::Control::kDown, InputState::kDown, true},
    {platform::Control::kLeft, InputState::kLeft, true},
    {platform::Control::kRight, InputState::kRight, true},
    {platform::Control::kDecision, InputState::kDecision, false},
    {platform::Control::kCancellation, InputState::kCancellation, false},
    {platform::Control::kPause, InputState::kPause, false},
    {platform::Control::kShift, InputState::kShift, false},
};

// Whether a control is held this frame.
bool Held(const InputState& input, platform::Control control);
// Held this frame and not in the last one.
bool Pressed(const InputState& input, platform::Control control);
// Held in the last frame and not in this one.
bool Released(const InputState& input, platform::Control control);

// A press taken once: true on the first frame the control is held while
// `latch` is clear, which sets it; a frame without the control clears it.
// For a rule that sees only some frames (play does not turn while paused) or
// whose latch its owner resets: the latch lives with that owner's record.
bool PressedOnce(const InputState& input, platform::Control control, int32_t& latch);
