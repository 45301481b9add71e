#pragma once
// InputState: what the input sampler leaves for the frame. The held
// direction and button bits, and which devices are read. Consumers derive
// presses from the held bits themselves.

#include <cstdint>

struct InputState {
    int32_t dirBits = 0;     // UP 1, DOWN 2, LEFT 4, RIGHT 8
    int32_t buttonBits = 0;  // DECISION 1, CANCELLATION 2, PAUSE 4, SHIFT 8
    int32_t inputMode = 0;   // 0 keyboard, 1 keyboard and pad 0
};
