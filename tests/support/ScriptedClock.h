#pragma once
// A clock that only moves when the code under test sleeps, yields or reads the
// counter, or when the test advances it: frame timing becomes exact. A sleep
// to a target wakes exactly on time unless the test scripts it late.

#include <cstdint>
#include <deque>

#include "platform/Clock.h"

class ScriptedClock final : public platform::Clock {
public:
    uint64_t nowUs = 0;              // true time in microseconds
    uint32_t msOffset = 0;           // added to the millisecond reading, to reach the wrap
    uint64_t yieldCostUs = 50;       // what one Yield takes
    uint64_t counterReadCostUs = 1;  // what one counter read takes (a busy poll must progress)
    int sleeps = 0;
    int yields = 0;
    int wakes = 0;                    // sleeps to a moment before a target
    std::deque<uint64_t> wakeLateUs;  // how late each of the next wakes comes (else on time)

    uint32_t Milliseconds() override { return static_cast<uint32_t>(nowUs / 1000) + msOffset; }
    uint32_t CounterLow() override {
        nowUs += counterReadCostUs;
        return static_cast<uint32_t>(nowUs);
    }
    uint64_t CounterFrequency() override { return 1'000'000; }
    void Sleep(uint32_t ms) override {
        ++sleeps;
        nowUs = (nowUs / 1000 + ms) * 1000;  // wakes on the millisecond boundary
    }
    void Yield() override {
        ++yields;
        nowUs += yieldCostUs;
    }
    int32_t SleepBeforeMilliseconds(uint32_t target, uint32_t earlyUs) override {
        const auto aheadMs = static_cast<int32_t>(target - Milliseconds());
        return WakeBefore(int64_t{aheadMs} * 1000 - int64_t(nowUs % 1000), earlyUs);
    }
    int32_t SleepBeforeCounter(uint32_t target, uint32_t earlyUs) override {
        return WakeBefore(static_cast<int32_t>(target - static_cast<uint32_t>(nowUs)), earlyUs);
    }
    void Advance(uint64_t us) { nowUs += us; }

private:
    int32_t WakeBefore(int64_t aheadUs, uint32_t earlyUs) {
        if (aheadUs <= int64_t{earlyUs})
            return -1;
        ++wakes;
        uint64_t late = 0;
        if (!wakeLateUs.empty()) {
            late = wakeLateUs.front();
            wakeLateUs.pop_front();
        }
        nowUs += uint64_t(aheadUs) - earlyUs + late;
        return static_cast<int32_t>(late);
    }
};

class FixedCalendar final : public platform::Calendar {
public:
    int64_t now = 0;
    platform::CalendarTime local{};
    int64_t Now() override { return now; }
    platform::CalendarTime LocalTime(int64_t) override { return local; }
};
