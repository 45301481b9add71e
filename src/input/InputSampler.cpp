#include "input/InputSampler.h"

#include "world/InputState.h"
#include "world/Settings.h"
#include "world/WorldState.h"

namespace {

using platform::Control;
using platform::Controls;

// Directions first, then the functions in buttonMap order.
constexpr const ControlBit* kButtonBits = kControlBits + 4;

}  // namespace

std::optional<platform::PadButton> InputSampler::AssignedButton(uint8_t entry) {
    if (entry >= platform::kPadButtonCount)
        return std::nullopt;
    return static_cast<platform::PadButton>(entry);
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

    // Read every frame, so each key's "pressed since the last call" is
    // consumed once per frame.
    const Controls keys = keyboard_->HeldControls();

    // The bit sets, whole, from the keys and (in mode 1) pad 0.
    const int32_t mode = state_.inputMode;
    if (mode != 0 && mode != 1)
        return;
    platform::PadState pad;  // all released when not read or no pad answered
    if (mode == 1) {
        ReadPad(0);
        pad = pads[0].state;
    }

    int32_t dirBits = 0;
    for (const ControlBit& d : kControlBits) {
        if (d.direction && (keys.Has(d.control) || pad.dpad.Has(d.control)))
            dirBits |= d.bit;
    }

    // Up on the keyboard also confirms while the play scene runs. The keys
    // count first; the function's pad button only when no key gives it.
    const bool upConfirms = world_.sceneState == SceneState::kPlay && keys.Has(Control::kUp);
    int32_t buttonBits = 0;
    for (int i = 0; i < kButtons; ++i) {
        bool held = keys.Has(kButtonBits[i].control) || (i == 0 && upConfirms);
        if (!held) {
            const auto button = AssignedButton(settings_.buttonMap[i]);
            held = button && pad.Holds(*button);
        }
        if (held)
            buttonBits |= kButtonBits[i].bit;
    }

    state_.dirBits = dirBits;
    state_.buttonBits = buttonBits;
}
