// Replay reader: any bytes are read or refused with a reason; what is read
// writes back to the same bytes, and a short game read from them plays
// through the checker without a fault.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/Replays.h"
#include "persist/ReplayFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Replay replay;
    const base::Outcome decoded = DecodeReplay(data, size, &replay);
    if (!decoded) {
        if (decoded.reason().empty())
            std::abort();
        return 0;
    }
    const std::vector<uint8_t> again = EncodeReplay(replay);
    Replay second;
    if (!DecodeReplay(again.data(), again.size(), &second) || !(second == replay))
        std::abort();
    if (replay.bits.size() <= 4000)
        CheckReplay(replay);
    return 0;
}
