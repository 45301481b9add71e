#pragma once
// Scripted keyboard and pads: the test says which controls are held, which
// were tapped since the last poll, and what each pad reports.

#include <array>
#include <cstdint>
#include <initializer_list>

#include "platform/Input.h"

class ScriptedKeyboard final : public platform::Keyboard {
public:
    platform::Controls held;
    platform::Controls tapped;  // went down and up again since the last call
    int calls = 0;

    platform::Controls HeldControls() override {
        ++calls;
        const platform::Controls result = held | tapped;
        tapped = {};
        return result;
    }
    void Hold(platform::Control control, bool down = true) {
        if (down)
            held.Add(control);
        else
            held.Remove(control);
    }
    void Tap(platform::Control control) { tapped.Add(control); }
    void ReleaseAll() {
        held = {};
        tapped = {};
    }
};

// A pad state with these buttons held.
inline platform::PadState PadHolding(platform::Controls dpad,
                                     std::initializer_list<platform::PadButton> buttons = {}) {
    platform::PadState state;
    state.dpad = dpad;
    for (platform::PadButton b : buttons)
        state.Press(b);
    return state;
}

class ScriptedPads final : public platform::GamePads {
public:
    std::array<bool, kMaxPads> attached{};
    std::array<platform::PadState, kMaxPads> states{};
    std::array<int, kMaxPads> calls{};

    bool GetState(int index, platform::PadState* out) override {
        ++calls[index];
        if (!attached[index]) {
            *out = platform::PadState{};
            return false;
        }
        *out = states[index];
        return true;
    }
};
