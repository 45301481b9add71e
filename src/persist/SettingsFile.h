#pragma once
// SettingsFile: the files in the program folder that survive a run.
//
// Game.ini is a fixed 512-byte binary record (settings, button map, volumes and
// the ranking); dir.txt is UTF-16 text naming the resource folder; the sixteen
// slot files save0001.dat..save0016.dat are read at start-up and never written.
// Readers zero their buffer first and take missing bytes as 0, so a file of
// any length is read safely.

#include <cstddef>
#include <cstdint>
#include <string_view>

class System;
class WorldState;
struct SaveSlot;

namespace platform {
class Dialogs;
}

class SettingsFile {
public:
    static constexpr size_t kSettingsSize = 512;
    static constexpr size_t kSlotBufferSize = 65536;
    static constexpr size_t kFolderTextBytes = 160;

    SettingsFile(System* system, WorldState* world, platform::Dialogs* dialogs)
        : system_(system), world_(world), dialogs_(dialogs) {}
    virtual ~SettingsFile() = default;

    // Reads Game.ini; a missing file keeps the defaults. Always true.
    bool LoadSettings(std::u16string_view path);
    // Writes Game.ini whole or not at all; false when it could not be written.
    bool SaveSettings(std::u16string_view path);
    // Reads dir.txt into folderText and folderTextCopy; false when it cannot be opened.
    bool LoadFolderFile(std::u16string_view path);
    // Writes dir.txt whole or not at all.
    bool SaveFolderFile(std::u16string_view path);
    // Reads one slot file into saveSlots[slot]. When the file cannot be opened it
    // shows "<path> ファイルが見つかりません" and returns false.
    bool LoadSlot(std::u16string_view path, int slot);

    // The same conversions on bytes in memory.
    void DecodeSettings(const uint8_t (&bytes)[kSettingsSize]);
    void EncodeSettings(uint8_t (&bytes)[kSettingsSize]) const;
    void DecodeFolderText(const uint8_t* bytes, size_t size);
    static void DecodeSlot(const uint8_t (&bytes)[kSlotBufferSize], SaveSlot& slot);

private:
    System* system_;
    WorldState* world_;
    platform::Dialogs* dialogs_;
};
