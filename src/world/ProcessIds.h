#pragma once
// The main thread's id and the process id, taken once at start-up; the piece
// generator mixes them into its seed.

#include <cstdint>

struct ProcessIds {
    uint32_t threadId = 0;
    uint32_t processId = 0;
};
