// Slot file reader: any bytes, of any length, read the way the game reads a
// slot file.

#include <cstdint>
#include <cstring>
#include <memory>

#include "persist/SlotFiles.h"
#include "world/WorldState.h"

namespace {

struct SlotFile {
    uint8_t bytes[SlotFiles::kBufferSize] = {};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The file reader zeroes its buffer and reads at most the buffer's size.
    auto file = std::make_unique<SlotFile>();
    if (size > 0)
        std::memcpy(file->bytes, data, size < sizeof file->bytes ? size : sizeof file->bytes);
    auto slot = std::make_unique<SaveSlot>();
    SlotFiles::Decode(file->bytes, *slot);
    return 0;
}
