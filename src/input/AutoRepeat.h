#pragma once
// Auto-repeat of a held axis, as the menus and the falling piece use it: a
// held key steps at once, again once the counter has climbed back to
// `ready`, then every few frames as it climbs by `fastStep`.

#include <cstdint>

struct RepeatTimings {
    int32_t ready;     // the counter's resting value: a step is due
    int32_t fastStep;  // the climb per frame once the first repeat has come
};

// One frame of auto-repeat on `counter`. A ready counter takes a step when
// its axis is held and `stepAllowed`; releasing the axis makes it ready again
// and ends the fast phase; while held, it counts back up to ready (by 1, or
// by fastStep once the fast phase is on). Returns whether to step.
bool RepeatStep(const RepeatTimings& timings, int32_t& counter, bool& fast, bool axisHeld,
                bool stepAllowed);
