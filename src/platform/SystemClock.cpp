#include "platform/Clock.h"

#include <sched.h>
#include <time.h>

#include <cerrno>
#include <cstdint>

namespace platform {
namespace {

constexpr uint64_t kNsPerMs = 1'000'000;

uint64_t MonotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint64_t(ts.tv_sec) * 1'000'000'000u + uint64_t(ts.tv_nsec);
}

// Sleeps until the monotonic reading `wakeNs` and returns how late it woke, in
// microseconds; -1 at once when that moment is past.
int32_t SleepUntilNs(uint64_t wakeNs) {
    if (MonotonicNs() >= wakeNs)
        return -1;
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(wakeNs / 1'000'000'000u);
    ts.tv_nsec = static_cast<long>(wakeNs % 1'000'000'000u);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
    const uint64_t late = (MonotonicNs() - wakeNs) / 1000u;
    return late > INT32_MAX ? INT32_MAX : static_cast<int32_t>(late);
}

}  // namespace

SystemClock::SystemClock() : start_ns_(MonotonicNs()) {}

uint32_t SystemClock::Milliseconds() {
    return static_cast<uint32_t>((MonotonicNs() - start_ns_) / kNsPerMs);
}

uint32_t SystemClock::CounterLow() {
    return static_cast<uint32_t>(MonotonicNs());
}

uint64_t SystemClock::CounterFrequency() {
    return 1'000'000'000u;
}

void SystemClock::Sleep(uint32_t ms) {
    // Wake exactly when the millisecond reading has moved on by ms ticks, so a
    // wait loop of Sleep(1) steps ends on the tick it waits for, not up to a
    // whole millisecond after it.
    const uint64_t elapsed = MonotonicNs() - start_ns_;
    const uint64_t wake = start_ns_ + (elapsed / kNsPerMs + ms) * kNsPerMs;
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(wake / 1'000'000'000u);
    ts.tv_nsec = static_cast<long>(wake % 1'000'000'000u);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

int32_t SystemClock::SleepBeforeMilliseconds(uint32_t target, uint32_t earlyUs) {
    // The reading reaches target at the start of its millisecond.
    const uint64_t elapsed = MonotonicNs() - start_ns_;
    const auto ahead = static_cast<int32_t>(target - static_cast<uint32_t>(elapsed / kNsPerMs));
    if (ahead <= 0)
        return -1;
    const uint64_t reached = start_ns_ + (elapsed / kNsPerMs + uint64_t(ahead)) * kNsPerMs;
    return SleepUntilNs(reached - uint64_t{earlyUs} * 1000u);
}

int32_t SystemClock::SleepBeforeCounter(uint32_t target, uint32_t earlyUs) {
    // The counter is the monotonic clock in nanoseconds.
    const uint64_t now = MonotonicNs();
    const auto ahead = static_cast<int32_t>(target - static_cast<uint32_t>(now));
    if (ahead <= 0 || uint64_t(ahead) <= uint64_t{earlyUs} * 1000u)
        return -1;
    return SleepUntilNs(now + uint64_t(ahead) - uint64_t{earlyUs} * 1000u);
}

uint64_t SystemClock::MonotonicNanoseconds() {
    return MonotonicNs();
}

void SystemClock::Yield() {
    sched_yield();
}

int64_t SystemCalendar::Now() {
    return static_cast<int64_t>(time(nullptr));
}

CalendarTime SystemCalendar::LocalTime(int64_t seconds) {
    const time_t t = static_cast<time_t>(seconds);
    tm parts{};
    CalendarTime out;
    if (localtime_r(&t, &parts) == nullptr)
        return out;
    out.second = parts.tm_sec;
    out.minute = parts.tm_min;
    out.hour = parts.tm_hour;
    out.day = parts.tm_mday;
    out.month = parts.tm_mon;
    out.year = parts.tm_year;
    out.weekday = parts.tm_wday;
    out.yearDay = parts.tm_yday;
    out.daylight = parts.tm_isdst;
    return out;
}

}  // namespace platform
