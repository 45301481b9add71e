#pragma once
// The keyboard and the game pads on SDL.

#include <array>
#include <cstdint>

#include "platform/Input.h"

struct _SDL_GameController;

namespace platform {

class SdlWindow;

// Keys by virtual-key code: held in SDL's keyboard state, or pressed since the
// last call for that key (the window's event filter records presses, so a tap
// shorter than a frame is still seen once).
//
// Each code stands for up to two physical keys, by position (SDL scancodes):
// Shift, Ctrl and Alt for either side, Return for both Enter keys. Codes
// with no key on a PC keyboard (mouse buttons, IME keys) are never down.
class SdlKeyboard final : public Keyboard {
public:
    static constexpr int kKeysPerCode = 2;

    explicit SdlKeyboard(SdlWindow& window) : window_(window) {}
    bool AsyncKeyState(uint8_t virtualKey) override;

    // The SDL scancodes of a virtual-key code; 0 fills the unused places.
    static std::array<uint16_t, kKeysPerCode> ScancodesOf(uint8_t virtualKey);

private:
    // Takes the window's press flag of one scancode; a press is kept for
    // every code that names that key until each of them has been asked.
    void CollectPress(uint16_t scancode);

    SdlWindow& window_;
    std::array<bool, 256> pending_{};  // pressed since this code was last asked
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
    PadState last_[kMaxPads] = {};  // the state each pad reported last
    uint32_t seenChanges_ = 0;      // the window's count of pad changes at the last rescan
    bool scanned_ = false;          // the controllers have been looked at once
    bool started_ = false;          // this object started SDL's game-controller subsystem
    bool unavailable_ = false;      // the subsystem failed to start: no pads this run
};

}  // namespace platform
