#include "input/InputSampler.h"

#include <cstring>

#include "world/InputState.h"
#include "world/Settings.h"
#include "world/WorldState.h"

namespace {

// The fixed keys of each button bit, in buttonMap order. A zero ends a list;
// VK_UP also confirms while the play scene runs (see PollInput).
constexpr uint8_t kButtonKeys[InputSampler::kButtons][2] = {
    {'Z', 'C'},  // DECISION
    {'X', 0},    // CANCELLATION
    {'A', 0},    // PAUSE
    {'S', 0},    // SHIFT
};
constexpr int32_t kButtonBits[InputSampler::kButtons] = {
    InputSampler::kDecision, InputSampler::kCancellation, InputSampler::kPause,
    InputSampler::kShift};

struct DirectionKey {
    uint8_t key;
    int32_t bit;  // equals the D-pad mask of the same direction
};
constexpr DirectionKey kDirectionKeys[] = {
    {InputSampler::kVkUp, InputSampler::kUp},
    {InputSampler::kVkDown, InputSampler::kDown},
    {InputSampler::kVkLeft, InputSampler::kLeft},
    {InputSampler::kVkRight, InputSampler::kRight},
};

}  // namespace

uint16_t InputSampler::PadButtonMask(uint8_t index) {
    // Indexes 0..3 are A, B, X and Y. Everything above names a bit no pad
    // button sets (and from 20 on would not even fit the mask), so it is
    // simply "no pad button".
    if (index >= kButtons)
        return 0;
    return static_cast<uint16_t>(0x1000u << index);
}

void InputSampler::ReadPad(int index) {
    PadSlot& slot = pads[index];
    slot.connected = pads_->GetState(index, &slot.state);
}

void InputSampler::PollAllPads() {
    if (pads_ == nullptr)
        return;
    for (int i = 0; i < kPads; ++i)
        ReadPad(i);
}

void InputSampler::PollInput() {
    if (keyboard_ == nullptr)
        return;
    InputState& state = state_;

    // The scene decides whether Up also confirms.
    const bool playScene = world_.sceneState == SceneState::kPlay;

    // The keyboard snapshot: every code is asked, so each one's "pressed
    // since the last call" is consumed once per frame.
    std::memset(state.keyState, 0, sizeof state.keyState);
    for (int code = 0; code < 256; ++code) {
        if (keyboard_->AsyncKeyState(static_cast<uint8_t>(code)))
            state.keyState[code] = kKeyDown;
    }
    const auto down = [&state](uint8_t key) { return key != 0 && state.keyState[key] != 0; };

    // The bit sets, whole, from the keys and (in mode 1) pad 0.
    const int32_t mode = state.inputMode;
    if (mode != 0 && mode != 1)
        return;
    uint16_t padButtons = 0;
    if (mode == 1) {
        ReadPad(0);
        padButtons = pads[0].state.buttons;  // all released when no pad answered
    }

    int32_t dirBits = 0;
    for (const DirectionKey& d : kDirectionKeys) {
        if (down(d.key) || (padButtons & d.bit) != 0)
            dirBits |= d.bit;
    }

    int32_t buttonBits = 0;
    for (int i = 0; i < kButtons; ++i) {
        bool held = down(kButtonKeys[i][0]) || down(kButtonKeys[i][1]);
        if (i == 0 && playScene)
            held = held || down(kVkUp);
        if (!held)
            held = (padButtons & PadButtonMask(settings_.buttonMap[i])) != 0;
        if (held)
            buttonBits |= kButtonBits[i];
    }

    state.dirBits = dirBits;
    state.buttonBits = buttonBits;
}
