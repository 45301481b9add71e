#pragma once
// SlotFiles: save0001.dat .. save0016.dat beside the program, fixed-layout
// records read at start-up into the world record's slots and never written.

#include <cstddef>
#include <cstdint>
#include <filesystem>

class WorldState;
struct SaveSlot;

namespace platform {
class Dialogs;
class FileSystem;
}  // namespace platform

class SlotFiles {
public:
    static constexpr size_t kBufferSize = 65536;

    SlotFiles(WorldState& world, platform::Dialogs& dialogs);
    SlotFiles(WorldState& world, platform::Dialogs& dialogs, platform::FileSystem& files)
        : world_(world), dialogs_(dialogs), files_(files) {}

    // True when the slot's file is there to be read: a missing file, a folder
    // of that name or a file the system will not read is passed over.
    bool Present(const std::filesystem::path& path) const;
    // Reads one slot file into saveSlots[slot]. When the file cannot be read
    // (it went away after Present) it shows "<path> ファイルが見つかりません"
    // and returns false.
    bool Load(const std::filesystem::path& path, int slot);

    // The same on bytes in memory; bytes beyond the file are zero.
    static void Decode(const uint8_t (&bytes)[kBufferSize], SaveSlot& slot);

private:
    WorldState& world_;
    platform::Dialogs& dialogs_;
    platform::FileSystem& files_;
};
