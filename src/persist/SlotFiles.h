#pragma once
// SlotFiles: save0001.dat .. save0016.dat beside the program, fixed-layout
// records read at start-up into the world record's slots and never written.

#include <cstddef>
#include <cstdint>
#include <string_view>

class WorldState;
struct SaveSlot;

namespace platform {
class Dialogs;
}

class SlotFiles {
public:
    static constexpr size_t kBufferSize = 65536;

    SlotFiles(WorldState& world, platform::Dialogs& dialogs) : world_(world), dialogs_(dialogs) {}

    // Reads one slot file into saveSlots[slot]. When the file cannot be opened
    // it shows "<path> ファイルが見つかりません" and returns false.
    bool Load(std::u16string_view path, int slot);

    // The same on bytes in memory; bytes beyond the file are zero.
    static void Decode(const uint8_t (&bytes)[kBufferSize], SaveSlot& slot);

private:
    WorldState& world_;
    platform::Dialogs& dialogs_;
};
