#pragma once
// FolderFile: dir.txt, UTF-16 text naming the resource folder. Start-up
// cannot go on without it; it is written back when the program closes.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/Outcome.h"

struct Folders;

namespace platform {
class FileSystem;
}

class FolderFile {
public:
    static constexpr size_t kTextBytes = 160;  // at most 80 units of text are read

    explicit FolderFile(Folders& folders);
    FolderFile(Folders& folders, platform::FileSystem& files) : folders_(folders), files_(files) {}

    // Reads dir.txt into folderText and dataFolderName; fails when it cannot
    // be opened, naming the file and the system's reason.
    base::Outcome Load(const std::filesystem::path& path);
    // Writes dir.txt whole or not at all.
    base::Outcome Save(const std::filesystem::path& path);

    // The text part of the file's bytes, after a two-byte byte-order mark: kept
    // as stored in folderText, and as a path in dataFolderName.
    void Decode(const uint8_t* bytes, size_t size);

private:
    Folders& folders_;
    platform::FileSystem& files_;
};
