// List file reader: any bytes, of any length, read as the 960 records of a
// sound list. A record never fills more than its 18 units, no record is left
// ending in CR LF, and records the bytes do not reach stay empty.

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "resources/ListFile.h"

namespace {

constexpr int kRecords = 960;

struct Table {
    char16_t names[kRecords][resources::kListEntryUnits] = {};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto table = std::make_unique<Table>();
    resources::ReadListRecords(data, size, table->names, kRecords);

    const size_t reached =
        size <= resources::kListMarkBytes
            ? 0
            : (size - resources::kListMarkBytes + resources::kListRecordBytes - 1) /
                  resources::kListRecordBytes;
    for (size_t k = 0; k < kRecords; ++k) {
        const char16_t* entry = table->names[k];
        for (int i = 18; i < resources::kListEntryUnits; ++i) {
            if (entry[i] != 0)
                std::abort();
        }
        if (entry[16] == u'\r' && entry[17] == u'\n')
            std::abort();
        if (k >= reached && entry[0] != 0)
            std::abort();
    }
    return 0;
}
