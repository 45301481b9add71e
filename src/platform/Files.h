#pragma once
// Files named by paths.
//
// Reading the small records and replacing a file go through FileSystem, the
// handful of system calls a save makes, so that a test can make any one of
// them fail the way a failing disk does.

#include <sys/types.h>

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/Outcome.h"

namespace platform {

// fopen on path; nullptr when it cannot be opened (an empty path never opens).
FILE* OpenFile(const std::filesystem::path& path, const char* mode);

// The system calls behind ReadFilePrefix and ReplaceFile. Each one behaves as
// the POSIX call of the same name: -1 and errno on failure.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    virtual int Open(const std::string& path, int flags, mode_t mode);
    virtual ssize_t Read(int fd, void* buffer, size_t size);
    virtual ssize_t Write(int fd, const void* data, size_t size);
    virtual int Fsync(int fd);
    virtual int Close(int fd);
    virtual int Rename(const std::string& from, const std::string& to);
    // unlink, or rmdir for a folder.
    virtual int Remove(const std::string& path);
    virtual int Fchown(int fd, uid_t owner, gid_t group);
};

// The system's own file calls.
FileSystem& SystemFiles();

// Reads up to capacity bytes of the file into buffer; *bytesRead (if given)
// tells how many bytes arrived. Fails when the file cannot be opened or read
// (a folder, say): "could not read /path: Is a directory".
base::Outcome ReadFilePrefix(const std::filesystem::path& path, void* buffer, size_t capacity,
                             size_t* bytesRead = nullptr, FileSystem& files = SystemFiles());

// True when the file opens and its first byte can be read (an empty file
// counts); a folder or a file the system refuses to read does not.
bool FileReadable(const std::filesystem::path& path, FileSystem& files = SystemFiles());

// The English line for a file the game could not use: the system's reason
// when it cannot be read ("could not open /x/a.ogg: No such file or
// directory"), else "could not load /x/a.ogg: " + problem.
std::string DescribeFileFailure(const std::filesystem::path& path, std::string_view problem);

// Replaces the file with exactly these bytes, or leaves the old file whole.
//  - The bytes go to path + ".new" in the same folder, are flushed to disk,
//    and that file is renamed over the old one; then the folder is flushed.
//  - A symbolic link is followed: the file it names is replaced, the link stays.
//  - The replacement keeps the old file's permission bits and owner; a file
//    whose owner the replacement cannot keep (another user's, in a folder
//    anyone may write to) is rewritten in place instead.
//  - A file without any write permission bit, or one the system does not let
//    us write, is not replaced.
//  - A stale ".new" file or empty folder is cleared away first; one that
//    cannot be removed is passed over for a name of our own.
//  - When the folder cannot take a new file, or the owner cannot be kept,
//    but the old file is writable, the file is rewritten in place and
//    flushed; should that fail, its old bytes are put back.
// A failure names the file and the system's reason.
base::Outcome ReplaceFile(const std::filesystem::path& path, const void* data, size_t size,
                          FileSystem& files = SystemFiles());

// The folder of a program file with its trailing separator, lexically
// normalised: "." and ".." segments and doubled separators are resolved.
std::filesystem::path FolderOf(const std::filesystem::path& programFile);

// True when this process may create files in the folder.
bool FolderWritable(const std::filesystem::path& folder);

// Makes the folder and any missing folder above it, each readable by its
// owner alone (mode 0700); folders that exist are left as they are.
base::Outcome MakeFolders(const std::filesystem::path& folder);

}  // namespace platform
