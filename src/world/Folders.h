#pragma once
// Folders: where the program's files lie, where each player's files are kept,
// and where its resources are read from.

#include <cstdint>
#include <filesystem>
#include <string_view>

// How the program's files are laid out on disk.
enum class FolderLayout : int32_t {
    // One folder holds the program, dir.txt, the shaders, the data folder,
    // Game.ini and the slot files (a build folder, or any copy of it).
    kPortable = 0,
    // The program's files are shared and read-only (an installed game); each
    // user's Game.ini and slot files live in a folder of their own.
    kInstalled = 1,
};

struct Folders {
    static constexpr int kFolderTextUnits = 160;

    Folders();

    // resourceFolder from dataFolderName: under programFolder when
    // folderRelative is set, as it stands otherwise.
    void SetResourceFolder();

    // A file a list file names (UTF-16, with backslashes), in the resource
    // folder. A name starting with a separator still lies in that folder.
    std::filesystem::path ListedFile(std::u16string_view listedName) const;

    char16_t folderText[kFolderTextUnits];  // dir.txt as stored, written back at exit
    std::filesystem::path dataFolderName;   // the folder dir.txt names
    std::filesystem::path programFolder;    // dir.txt, the shaders, the data folder
    std::filesystem::path userFolder;       // Game.ini and the slot files
    std::filesystem::path resourceFolder;   // every resource is read from here
    int32_t folderRelative = 0;             // 1: dir.txt names a folder under programFolder
    FolderLayout layout = FolderLayout::kPortable;
};
