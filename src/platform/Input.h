#pragma once
// The keyboard and the game pads as input sampling sees them, in the game's
// terms: the keyboard reports which controls are held, a pad which of its
// buttons the game can use are held. Which physical key or SDL button means
// what is decided once, in SdlInput.cpp. The real pieces sit on SDL; tests
// script them.

#include <cstdint>
#include <initializer_list>

namespace platform {

// What the player holds: the four directions and the four functions.
enum class Control : uint8_t {
    kUp,
    kDown,
    kLeft,
    kRight,
    kDecision,
    kCancellation,
    kPause,
    kShift,
};
constexpr int kControlCount = 8;

// A set of controls, such as those held in one frame.
class Controls {
public:
    constexpr Controls() = default;
    constexpr Controls(std::initializer_list<Control> controls) {
        for (Control c : controls)
            Add(c);
    }
    constexpr bool Has(Control c) const { return (bits_ & Bit(c)) != 0; }
    constexpr void Add(Control c) { bits_ = static_cast<uint8_t>(bits_ | Bit(c)); }
    constexpr void Remove(Control c) { bits_ = static_cast<uint8_t>(bits_ & ~Bit(c)); }
    constexpr Controls operator|(Controls other) const {
        other.bits_ = static_cast<uint8_t>(other.bits_ | bits_);
        return other;
    }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr bool operator==(const Controls& other) const { return bits_ == other.bits_; }
    constexpr bool operator!=(const Controls& other) const { return bits_ != other.bits_; }

private:
    static constexpr uint8_t Bit(Control c) {
        return static_cast<uint8_t>(1u << static_cast<int>(c));
    }
    uint8_t bits_ = 0;
};

// The pad buttons a function can be given, numbered as the settings file
// stores the assignment (any other stored number means "no pad button").
enum class PadButton : uint8_t { kA = 0, kB = 1, kX = 2, kY = 3 };
constexpr int kPadButtonCount = 4;

// The state of one game pad as the game reads it: its D-pad as directions,
// and the assignable buttons held. Sticks, triggers, shoulder buttons, Start
// and Back are not read.
struct PadState {
    Controls dpad;            // kUp, kDown, kLeft, kRight only
    uint8_t heldButtons = 0;  // bit n: PadButton n held

    bool Holds(PadButton b) const { return ((heldButtons >> static_cast<int>(b)) & 1u) != 0; }
    void Press(PadButton b) {
        heldButtons = static_cast<uint8_t>(heldButtons | (1u << static_cast<int>(b)));
    }
};

class Keyboard {
public:
    virtual ~Keyboard() = default;
    // The controls with a key down now or pressed since the previous call;
    // the call forgets those earlier presses, so a tap shorter than a frame
    // is seen by exactly one call.
    virtual Controls HeldControls() = 0;
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
