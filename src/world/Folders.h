#pragma once
// Folders: where the program lies and where its resources are read from.
// Folder texts end with a separator and are joined to file names by plain
// concatenation.

#include <cstdint>

struct Folders {
    static constexpr int kFolderTextUnits = 160;
    static constexpr int kPathUnits = 520;

    Folders();

    char16_t folderText[kFolderTextUnits];     // from dir.txt, written back at exit
    char16_t folderTextCopy[kPathUnits] = {};  // the source of resourceFolder
    char16_t programFolder[kPathUnits] = {};
    char16_t resourceFolder[kPathUnits] = {};  // every resource is read from here
    int32_t folderRelative = 0;                // 1: folderText is relative to programFolder
};
