#pragma once
// A clock for the music thread that moves only when the test moves it.
//
// The thread runs a pass, then sleeps; the test waits for that sleep, mixes
// the sound of the next 100 ms, and advances the clock, which wakes the
// thread for its next pass. Thread and test take turns, so a run is the same
// every time. Not advancing the clock stalls the thread. Once released, the
// clock runs by itself (every sleep moves it on), so the thread can end.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "platform/Clock.h"

class LockstepClock final : public platform::Clock {
public:
    uint32_t Milliseconds() override {
        std::lock_guard<std::mutex> lock(mutex_);
        return now_;
    }
    uint32_t CounterLow() override { return Milliseconds() * 1000u; }
    uint64_t CounterFrequency() override { return 1'000'000; }
    void Sleep(uint32_t ms) override {
        std::unique_lock<std::mutex> lock(mutex_);
        if (free_) {
            now_ += ms;
            return;
        }
        const uint32_t until = now_ + ms;
        ++sleeps_;
        changed_.notify_all();
        changed_.wait(lock, [&] { return free_ || static_cast<int32_t>(now_ - until) >= 0; });
    }
    void Yield() override {}

    // Waits until the thread has gone to sleep `count` times in all; false
    // when it has not done so within a few seconds.
    bool WaitForSleeps(int count) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return sleeps_ >= count; });
    }
    void Advance(uint32_t ms) {
        std::lock_guard<std::mutex> lock(mutex_);
        now_ += ms;
        changed_.notify_all();
    }
    void Release() {
        std::lock_guard<std::mutex> lock(mutex_);
        free_ = true;
        changed_.notify_all();
    }
    int sleeps() {
        std::lock_guard<std::mutex> lock(mutex_);
        return sleeps_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    uint32_t now_ = 0;
    int sleeps_ = 0;
    bool free_ = false;
};
