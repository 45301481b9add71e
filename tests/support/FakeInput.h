#pragma once
// Scripted keyboard and pads: the test says which keys are held, which were
// tapped since the last poll, and what each pad reports.

#include <array>
#include <cstdint>

#include "platform/Input.h"

class ScriptedKeyboard final : public platform::Keyboard {
public:
    std::array<bool, 256> held{};
    std::array<bool, 256> tapped{};  // went down and up again since the last call
    int calls = 0;

    bool AsyncKeyState(uint8_t virtualKey) override {
        ++calls;
        const bool result = held[virtualKey] || tapped[virtualKey];
        tapped[virtualKey] = false;
        return result;
    }
    void Hold(uint8_t virtualKey, bool down = true) { held[virtualKey] = down; }
    void Tap(uint8_t virtualKey) { tapped[virtualKey] = true; }
    void ReleaseAll() {
        held.fill(false);
        tapped.fill(false);
    }
};

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
