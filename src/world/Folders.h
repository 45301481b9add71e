#pragma once
// Folders: where the program's files lie, where each player's files are kept,
// and where its resources are read from. Folder texts end with a separator and
// are joined to file names by plain concatenation.

#include <cstdint>

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
    static constexpr int kPathUnits = 520;

    Folders();

    // resourceFolder from the folder text: relative to programFolder when
    // folderRelative is set, as it stands otherwise.
    void SetResourceFolder();

    char16_t folderText[kFolderTextUnits];     // from dir.txt, written back at exit
    char16_t folderTextCopy[kPathUnits] = {};  // the source of resourceFolder
    char16_t programFolder[kPathUnits] = {};   // dir.txt, the shaders, the data folder
    char16_t userFolder[kPathUnits] = {};      // Game.ini and the slot files
    char16_t resourceFolder[kPathUnits] = {};  // every resource is read from here
    int32_t folderRelative = 0;                // 1: folderText is relative to programFolder
    FolderLayout layout = FolderLayout::kPortable;
};
