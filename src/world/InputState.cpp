#include "world/InputState.h"

namespace {

bool HeldIn(int32_t dirBits, int32_t buttonBits, platform::Control control) {
    for (const ControlBit& c : kControlBits) {
        if (c.control == control)
            return ((c.direction ? dirBits : buttonBits) & c.bit) != 0;
    }
    return false;
}

}  // namespace

bool Held(const InputState& input, platform::Control control) {
    return HeldIn(input.dirBits, input.buttonBits, control);
}

bool Pressed(const InputState& input, platform::Control control) {
    return Held(input, control) && !HeldIn(input.lastDirBits, input.lastButtonBits, control);
}

bool Released(const InputState& input, platform::Control control) {
    return !Held(input, control) && HeldIn(input.lastDirBits, input.lastButtonBits, control);
}

bool PressedOnce(const InputState& input, platform::Control control, int32_t& latch) {
    if (!Held(input, control)) {
        latch = 0;
        return false;
    }
    if (latch != 0)
        return false;
    latch = 1;
    return true;
}
