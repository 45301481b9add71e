#include "persist/SlotFiles.h"

#include <cstring>
#include <memory>
#include <string>

#include "base/ByteOrder.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "world/WorldState.h"

namespace {

// Slot files: the block size and the spacing of a block's groups; the
// other offsets are in the names of the SaveSlot fields they fill.
constexpr size_t kBlockSize = 608;
constexpr size_t kGroupSize = 60;
constexpr size_t kSlotTable = 30779;

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
    if (base::Outcome read =
            platform::ReadFilePrefix(path, buffer->bytes, kBufferSize, nullptr, files_);
        !read) {
        // The dialog also writes its text to standard error.
        dialogs_.Show(path.native() + " ファイルが見つかりません", "Message", read.reason());
        return false;
    }
    Decode(buffer->bytes, world_.saveSlots[slot]);
    return true;
}

void SlotFiles::Decode(const uint8_t (&bytes)[kBufferSize], SaveSlot& slot) {
    for (int k = 0; k < SaveSlot::kBlocks; ++k) {
        const uint8_t* p = bytes + kBlockSize * k;
        SlotBlock& b = slot.blocks[k];
        b.byteAt0 = p[0];
        LoadInts(p + 1, b.intsAt1);
        LoadBytes(p + 21, b.bytesAt21);
        LoadInts(p + 37, b.intsAt37);
        b.byteAt57 = p[57];
        LoadInts(p + 58, b.intsAt58);
        b.intAt66 = base::LoadLE32s(p + 66);
        for (int g = 0; g < 8; ++g)
            LoadInts(p + 70 + kGroupSize * g, b.groupsAt70[g]);
    }
    LoadInts(bytes + 29184, slot.intsAt29184);
    LoadBytes(bytes + 30396, slot.bytesAt30396);
    LoadInts(bytes + 30699, slot.intsAt30699);
    LoadBytes(bytes + 30715, slot.bytesAt30715);
    LoadInts(bytes + 30768, slot.intsAt30768);
    LoadInts(bytes + kSlotTable, slot.intsAt30779);
}
