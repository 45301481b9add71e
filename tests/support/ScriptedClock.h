#pragma once
// A clock that only moves when the code under test sleeps, yields or reads the
// counter, or when the test advances it: frame timing becomes exact.

#include <cstdint>

#include "platform/Clock.h"

class ScriptedClock final : public platform::Clock {
public:
    uint64_t nowUs = 0;              // true time in microseconds
    uint32_t msOffset = 0;           // added to the millisecond reading, to reach the wrap
    uint64_t yieldCostUs = 50;       // what one Yield takes
    uint64_t counterReadCostUs = 1;  // what one counter read takes (a busy poll must progress)
    int sleeps = 0;
    int yields = 0;

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
    void Advance(uint64_t us) { nowUs += us; }
};

class FixedCalendar final : public platform::Calendar {
public:
    int64_t now = 0;
    platform::CalendarTime local{};
    int64_t Now() override { return now; }
    platform::CalendarTime LocalTime(int64_t) override { return local; }
};
