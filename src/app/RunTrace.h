#pragma once
// RunTrace: what the program tells the benchmarks and the soak runs on
// standard error when TESSARY_TRACE is set. Every line starts "tessary: ":
//   "frame N presented at T ns"            every kFrameStride-th frame
//   "key press read at R ns, frame N presented at T ns"
//                                          a frame whose input read saw a
//                                          control held that was not at the
//                                          read before; R is when it was read
// T is the monotonic clock in nanoseconds, the same clock a driver outside
// the program reads, so a key sent at a known moment can be matched with the
// first frame that showed it.

#include <cstdint>
#include <cstdio>
#include <functional>

#include "platform/Input.h"

// The keyboard as the game reads it, noting when a read finds a control newly held.
class TracingKeyboard final : public platform::Keyboard {
public:
    // now gives the monotonic clock in nanoseconds.
    TracingKeyboard(platform::Keyboard& keyboard, std::function<uint64_t()> now)
        : keyboard_(keyboard), now_(std::move(now)) {}
    platform::Controls HeldControls() override;
    // Whether a control became held since the last call, with the time of the first
    // read that saw one in *readAt; forgets it.
    bool TakeNewPress(uint64_t* readAt);

private:
    platform::Keyboard& keyboard_;
    std::function<uint64_t()> now_;
    platform::Controls held_;  // what the last read found
    bool newPress_ = false;
    uint64_t readAt_ = 0;
};

class RunTrace {
public:
    static constexpr uint64_t kFrameStride = 10000;

    // now gives the monotonic clock in nanoseconds; lines go to out.
    RunTrace(TracingKeyboard& keyboard, std::function<uint64_t()> now, std::FILE* out)
        : keyboard_(keyboard), now_(std::move(now)), out_(out) {}
    // Called right after each frame reaches the screen.
    void Presented();
    uint64_t frames() const { return frames_; }

private:
    TracingKeyboard& keyboard_;
    std::function<uint64_t()> now_;
    std::FILE* out_;
    uint64_t frames_ = 0;
};
