// Game.ini reader: any bytes, of any length, are read the way the game reads
// the file, and what it writes back must read back to the same bytes.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "persist/SettingsFile.h"
#include "world/System.h"
#include "world/WorldState.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The file reader zeroes its buffer and reads at most the record's size.
    uint8_t bytes[SettingsFile::kSize] = {};
    if (size > 0)
        std::memcpy(bytes, data, size < sizeof bytes ? size : sizeof bytes);

    auto system = std::make_unique<System>();
    RankingTable ranking;
    SettingsFile file(*system, ranking);
    file.Decode(bytes);

    uint8_t first[SettingsFile::kSize];
    file.Encode(first);
    file.Decode(first);
    uint8_t second[SettingsFile::kSize];
    file.Encode(second);
    if (std::memcmp(first, second, sizeof first) != 0)
        std::abort();
    return 0;
}
