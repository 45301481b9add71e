#pragma once
// The opening and closing steps that the title's items, its windows and the
// pause share. Each caller decides when a phase starts and when a held phase
// ends (what it waits for differs); these make one frame of the animation.

#include <cstdint>

#include "world/WorldState.h"

namespace window_phases {

// One frame of opening: one step more until `full`, then open and held.
inline void StepOpening(WindowPhase& phase, int32_t& anim, int32_t full) {
    phase = WindowPhase::kOpening;
    if (anim < full) {
        ++anim;
    } else {
        phase = WindowPhase::kOpenHeld;
        anim = full;
    }
}

// One frame of closing: one step less until none, then closed and held.
// True on the frame it closes.
inline bool StepClosing(WindowPhase& phase, int32_t& anim) {
    phase = WindowPhase::kClosing;
    if (anim > 0) {
        --anim;
        return false;
    }
    phase = WindowPhase::kClosedHeld;
    anim = 0;
    return true;
}

// Shown from the first opening frame until the closing wait ends.
inline bool Shown(WindowPhase phase) {
    return phase != WindowPhase::kIdle;
}

}  // namespace window_phases
