#pragma once
// Files named by the game's UTF-16 paths.
//
// The game builds paths by plain concatenation with backslashes ("data\" +
// "grp\grp_0003.txt"); this is the one place they become native paths: UTF-8,
// with every backslash turned into a slash.

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace platform {

std::string NativePath(std::u16string_view path);

// fopen on the native form of path; nullptr when it cannot be opened.
FILE* OpenFile(std::u16string_view path, const char* mode);

// Reads up to capacity bytes of the file into buffer. Returns false when the
// file cannot be opened or read (a folder, say); *bytesRead (if given) tells
// how many bytes arrived.
bool ReadFilePrefix(std::u16string_view path, void* buffer, size_t capacity,
                    size_t* bytesRead = nullptr);

// Replaces the file with exactly these bytes, or leaves the old file whole:
// the bytes go to a temporary file in the same folder, are flushed to disk,
// and the temporary file is renamed over the old one.
bool ReplaceFile(std::u16string_view path, const void* data, size_t size);

// The folder of a program file with its trailing separator, lexically
// normalised: "." and ".." segments and doubled separators are resolved.
std::u16string FolderOf(std::u16string_view programFile);

// True when this process may create files in the folder.
bool FolderWritable(std::u16string_view folder);

// Makes the folder and any missing folder above it, each readable by its
// owner alone (mode 0700); folders that exist are left as they are. False,
// with the reason on standard error, when the folder cannot be made.
bool MakeFolders(std::u16string_view folder);

}  // namespace platform
