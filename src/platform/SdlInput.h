#pragma once
// The keyboard and the game pads on SDL.

#include "platform/Input.h"

struct _SDL_GameController;

namespace platform {

class SdlWindow;

// The controls from the keys that give them, by position on a PC keyboard
// (SDL scancodes): held in SDL's keyboard state, or pressed since the last
// call (the window's event filter records presses, so a tap shorter than a
// frame is still seen once).
class SdlKeyboard final : public Keyboard {
public:
    explicit SdlKeyboard(SdlWindow& window) : window_(window) {}
    Controls HeldControls() override;

private:
    SdlWindow& window_;
};

// Pads 0..3 are the first four SDL game controllers, opened when first asked
// for. The set of controllers is looked at again whenever SDL reports a
// joystick attached or detached (the window's event filter counts them), so a
// pad plugged in during the run takes the lowest free place, and a pad pulled
// out frees its place and reads as not connected.
//
// Pads are read whether or not the window has the focus, as the classic pad
// interface reads them; SDL would otherwise drop their input in the background.
class SdlGamePads final : public GamePads {
public:
    explicit SdlGamePads(SdlWindow& window);
    ~SdlGamePads() override;
    SdlGamePads(const SdlGamePads&) = delete;
    SdlGamePads& operator=(const SdlGamePads&) = delete;

    bool GetState(int index, PadState* out) override;

private:
    // Starts SDL's game-controller subsystem once; false when it cannot run.
    bool Start();
    // Closes controllers that went away and opens new ones into free places.
    void Rescan();

    SdlWindow& window_;
    _SDL_GameController* controllers_[kMaxPads] = {};
    uint32_t seenChanges_ = 0;  // the window's count of pad changes at the last rescan
    bool scanned_ = false;      // the controllers have been looked at once
    bool started_ = false;      // this object started SDL's game-controller subsystem
    bool unavailable_ = false;  // the subsystem failed to start: no pads this run
};

}  // namespace platform
