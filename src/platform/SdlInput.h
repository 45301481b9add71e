#pragma once
// The keyboard and the game pads on SDL.

#include "platform/Input.h"

struct _SDL_GameController;

namespace platform {

class SdlWindow;

// Keys by virtual-key code: held in SDL's keyboard state, or pressed since the
// last call for that key (the window's event filter records presses, so a tap
// shorter than a frame is still seen once).
class SdlKeyboard final : public Keyboard {
public:
    explicit SdlKeyboard(SdlWindow& window) : window_(window) {}
    bool AsyncKeyState(uint8_t virtualKey) override;

private:
    SdlWindow& window_;
};

// Pads 0..3 are SDL game controllers 0..3, opened when first asked for.
class SdlGamePads final : public GamePads {
public:
    SdlGamePads() = default;
    ~SdlGamePads() override;
    SdlGamePads(const SdlGamePads&) = delete;
    SdlGamePads& operator=(const SdlGamePads&) = delete;

    uint32_t GetState(int index, PadState* out) override;

private:
    _SDL_GameController* controllers_[kMaxPads] = {};
    bool started_ = false;  // this object started SDL's game-controller subsystem
};

}  // namespace platform
