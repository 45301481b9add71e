// Loop files: any bytes, in any encoding or none, parsed the way the game
// reads a loop file at start-up.

#include <cstdint>

#include "audio/LoopFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const LoopPoints points = ParseLoopFile(data, size);
    // Parsing the same bytes again gives the same values.
    const LoopPoints again = ParseLoopFile(data, size);
    if (points.start != again.start || points.length != again.length)
        __builtin_trap();
    return 0;
}
