#include "app/RunTrace.h"

#include <cinttypes>

platform::Controls TracingKeyboard::HeldControls() {
    const platform::Controls held = keyboard_.HeldControls();
    bool fresh = false;
    for (int c = 0; c < platform::kControlCount; ++c) {
        const auto control = static_cast<platform::Control>(c);
        fresh = fresh || (held.Has(control) && !held_.Has(control));
    }
    if (fresh && !newPress_) {
        newPress_ = true;
        readAt_ = now_();
    }
    held_ = held;
    return held;
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
