#include "app/RunTrace.h"

#include <cinttypes>

bool TracingKeyboard::AsyncKeyState(uint8_t virtualKey) {
    const bool down = keyboard_.AsyncKeyState(virtualKey);
    if (down && !down_[virtualKey] && !newPress_) {
        newPress_ = true;
        readAt_ = now_();
    }
    down_[virtualKey] = down;
    return down;
}

bool TracingKeyboard::TakeNewPress(uint64_t* readAt) {
    const bool pressed = newPress_;
    *readAt = readAt_;
    newPress_ = false;
    return pressed;
}

void RunTrace::Presented() {
    ++frames_;
    uint64_t readAt = 0;
    const bool pressed = keyboard_.TakeNewPress(&readAt);
    const uint64_t now = now_();
    if (pressed) {
        std::fprintf(out_,
                     "tessary: key press read at %" PRIu64 " ns, frame %" PRIu64
                     " presented at %" PRIu64 " ns\n",
                     readAt, frames_, now);
    } else if (frames_ % kFrameStride == 0) {
        std::fprintf(out_, "tessary: frame %" PRIu64 " presented at %" PRIu64 " ns\n", frames_,
                     now);
    } else {
        return;
    }
    std::fflush(out_);
}
