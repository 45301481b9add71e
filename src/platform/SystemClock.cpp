#include "platform/Clock.h"

#include <sched.h>
#include <time.h>

#include <cerrno>

namespace platform {
namespace {

constexpr uint64_t kNsPerMs = 1'000'000;

uint64_t MonotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint64_t(ts.tv_sec) * 1'000'000'000u + uint64_t(ts.tv_nsec);
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
