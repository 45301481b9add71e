#include "persist/SlotFiles.h"

#include <cstring>
#include <memory>
#include <string>

#include "base/ByteOrder.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "world/WorldState.h"

namespace {

// Slot files: where each part of a SaveSlot lies.
constexpr size_t kBlockSize = 608;
constexpr size_t kBlockFirst = 1;
constexpr size_t kBlockBytes = 21;
constexpr size_t kBlockSecond = 37;
constexpr size_t kBlockMark = 57;
constexpr size_t kBlockPair = 58;
constexpr size_t kBlockLast = 66;
constexpr size_t kBlockGroups = 70;
constexpr size_t kGroupSize = 60;
constexpr size_t kSlotValues = 29184;
constexpr size_t kSlotBytes = 30396;
constexpr size_t kSlotFour = 30699;
constexpr size_t kSlotTail = 30715;
constexpr size_t kSlotThree = 30768;
constexpr size_t kSlotTable = 30779;  // shares its first byte with the last of kSlotThree

static_assert(kSlotTable + 4 * 2048 == 38971, "a slot file holds 38971 meaningful bytes");
static_assert(kSlotTable + 4 * 2048 <= SlotFiles::kBufferSize, "slot buffer too small");

template <size_t N>
void LoadInts(const uint8_t* p, int32_t (&out)[N]) {
    for (size_t i = 0; i < N; ++i)
        out[i] = base::LoadLE32s(p + 4 * i);
}

template <size_t N>
void LoadBytes(const uint8_t* p, uint8_t (&out)[N]) {
    std::memcpy(out, p, N);
}

// The slot file's bytes, zero beyond what the file holds.
struct SlotFileBuffer {
    uint8_t bytes[SlotFiles::kBufferSize] = {};
};

}  // namespace

SlotFiles::SlotFiles(WorldState& world, platform::Dialogs& dialogs)
    : SlotFiles(world, dialogs, platform::SystemFiles()) {}

bool SlotFiles::Present(const std::filesystem::path& path) const {
    return platform::FileReadable(path, files_);
}

bool SlotFiles::Load(const std::filesystem::path& path, int slot) {
    if (slot < 0 || slot >= WorldState::kSlots)
        return false;
    auto buffer = std::make_unique<SlotFileBuffer>();
    std::string why;
    if (!platform::ReadFilePrefix(path, buffer->bytes, kBufferSize, nullptr, &why, files_)) {
        // The dialog also writes its text to standard error.
        dialogs_.Show(path.native() + " ファイルが見つかりません", "Message", why);
        return false;
    }
    Decode(buffer->bytes, world_.saveSlots[slot]);
    return true;
}

void SlotFiles::Decode(const uint8_t (&bytes)[kBufferSize], SaveSlot& slot) {
    for (int k = 0; k < SaveSlot::kBlocks; ++k) {
        const uint8_t* p = bytes + kBlockSize * k;
        SlotBlock& b = slot.blocks[k];
        b.flag = p[0];
        LoadInts(p + kBlockFirst, b.first);
        LoadBytes(p + kBlockBytes, b.bytes);
        LoadInts(p + kBlockSecond, b.second);
        b.mark = p[kBlockMark];
        LoadInts(p + kBlockPair, b.pair);
        b.last = base::LoadLE32s(p + kBlockLast);
        for (int g = 0; g < 8; ++g)
            LoadInts(p + kBlockGroups + kGroupSize * g, b.groups[g]);
    }
    LoadInts(bytes + kSlotValues, slot.values);
    LoadBytes(bytes + kSlotBytes, slot.bytes);
    LoadInts(bytes + kSlotFour, slot.four);
    LoadBytes(bytes + kSlotTail, slot.tail);
    LoadInts(bytes + kSlotThree, slot.three);
    LoadInts(bytes + kSlotTable, slot.table);
}
