#include "app/RunTrace.h"

#include <cinttypes>

bool TracingKeyboard::AsyncKeyState(uint8_t virtualKey) {
    const bool down = keyboard_.AsyncKeyState(virtualKey);
    if (down && !down_[virtualKey])
        newPress_ = true;
    down_[virtualKey] = down;
    return down;
}

bool TracingKeyboard::TakeNewPress() {
    const bool pressed = newPress_;
    newPress_ = false;
    return pressed;
}

void RunTrace::Presented() {
    ++frames_;
    const bool pressed = keyboard_.TakeNewPress();
    if (!pressed && frames_ % kFrameStride != 0)
        return;
    std::fprintf(out_, "tessary: %sframe %" PRIu64 " presented at %" PRIu64 " ns\n",
                 pressed ? "key press read, " : "", frames_, now_());
    std::fflush(out_);
}
