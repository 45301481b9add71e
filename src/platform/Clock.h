#pragma once
// The clocks the frame loop paces itself by, and the calendar.
//
// Real implementations live in SystemClock.cpp; tests replace them with a
// scripted clock so that a frame's timing is exact and repeatable.

#include <cstdint>

namespace platform {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since the program started, wrapping at 2^32.
    virtual uint32_t Milliseconds() = 0;
    // Low 32 bits of the high-resolution counter, and its ticks per second.
    virtual uint32_t CounterLow() = 0;
    virtual uint64_t CounterFrequency() = 0;
    // Sleeps until the millisecond reading has advanced by ms ticks (ms >= 1).
    virtual void Sleep(uint32_t ms) = 0;
    // Gives up the rest of the time slice (Sleep(0)).
    virtual void Yield() = 0;

    // Sleeps until earlyUs microseconds before the millisecond reading (or the
    // counter's low 32 bits) reaches target, and returns how many microseconds
    // after that moment it woke. Returns -1 at once, without sleeping, when
    // the moment is already past; a target more than 2^31 ticks ahead counts
    // as past. The frame
    // loop polls for the rest, so waking late costs precision, never a
    // missed boundary. This base version does not sleep: a clock that cannot
    // sleep to the microsecond leaves the whole wait to polling.
    virtual int32_t SleepBeforeMilliseconds(uint32_t target, uint32_t earlyUs) {
        (void)target;
        (void)earlyUs;
        return -1;
    }
    virtual int32_t SleepBeforeCounter(uint32_t target, uint32_t earlyUs) {
        (void)target;
        (void)earlyUs;
        return -1;
    }
};

// Broken-down local time with the nine fields of the C library's calendar time.
struct CalendarTime {
    int32_t second = 0;
    int32_t minute = 0;
    int32_t hour = 0;
    int32_t day = 0;    // day of month, 1..31
    int32_t month = 0;  // 0..11
    int32_t year = 0;   // years since 1900
    int32_t weekday = 0;
    int32_t yearDay = 0;
    int32_t daylight = 0;  // daylight-saving flag: -1, 0 or 1
};

class Calendar {
public:
    virtual ~Calendar() = default;
    // Seconds since 1970-01-01 UTC.
    virtual int64_t Now() = 0;
    virtual CalendarTime LocalTime(int64_t seconds) = 0;
};

// The real clocks: CLOCK_MONOTONIC, with sleeps that wake on millisecond
// boundaries of the reading, the way a 1 ms system timer period behaves.
class SystemClock final : public Clock {
public:
    SystemClock();
    uint32_t Milliseconds() override;
    uint32_t CounterLow() override;
    uint64_t CounterFrequency() override;
    void Sleep(uint32_t ms) override;
    void Yield() override;
    int32_t SleepBeforeMilliseconds(uint32_t target, uint32_t earlyUs) override;
    int32_t SleepBeforeCounter(uint32_t target, uint32_t earlyUs) override;
    // The monotonic clock itself in nanoseconds, the same in every process:
    // what traces compare with times taken outside the program.
    static uint64_t MonotonicNanoseconds();

private:
    uint64_t start_ns_;
};

class SystemCalendar final : public Calendar {
public:
    int64_t Now() override;
    CalendarTime LocalTime(int64_t seconds) override;
};

}  // namespace platform
