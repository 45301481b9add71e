#pragma once
// The keyboard and the game pads as input sampling sees them.
//
// Keys are named by the game's virtual-key codes (0..255: 0x25..0x28 the
// arrows, 'A'..'Z' the letters); pads by user index 0..3 with the classic
// pad's button masks. The real pieces sit on SDL; tests script them.

#include <cstdint>

namespace platform {

// The state of one game pad as the game reads it.
struct PadState {
    uint32_t packetNumber = 0;
    uint16_t buttons =
        0;  // D-pad up 0x1, down 0x2, left 0x4, right 0x8; A 0x1000, B 0x2000, X 0x4000, Y 0x8000
    uint8_t leftTrigger = 0;
    uint8_t rightTrigger = 0;
    int16_t thumbLX = 0;
    int16_t thumbLY = 0;
    int16_t thumbRX = 0;
    int16_t thumbRY = 0;
};

class Keyboard {
public:
    virtual ~Keyboard() = default;
    // True when the key is down now or went down since the previous call for
    // this key; the call forgets that earlier press.
    virtual bool AsyncKeyState(uint8_t virtualKey) = 0;
};

class GamePads {
public:
    static constexpr int kMaxPads = 4;

    virtual ~GamePads() = default;
    // Reads pad `index` (0..3) into *out; false when no pad is attached there
    // (*out is then all released).
    virtual bool GetState(int index, PadState* out) = 0;
};

}  // namespace platform
