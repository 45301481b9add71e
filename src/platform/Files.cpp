#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace platform {
namespace {

std::string Reason(int error) {
    return std::strerror(error);
}

// Writes all of data to fd, retrying after interruptions and short writes. A
// write that makes no progress is a full disk.
bool WriteAll(FileSystem& files, int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t n = files.Write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Reads until capacity bytes have arrived or the file ends.
bool ReadAll(FileSystem& files, int fd, uint8_t* buffer, size_t capacity, size_t* got) {
    *got = 0;
    while (*got < capacity) {
        const ssize_t n = files.Read(fd, buffer + *got, capacity - *got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            break;
        *got += static_cast<size_t>(n);
    }
    return true;
}

std::string ParentFolder(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// The file a chain of symbolic links ends at (the path itself when it is no
// link); it need not exist yet.
bool FollowLinks(std::string* path) {
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st;
        if (lstat(path->c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return true;
        std::vector<char> target(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t n = readlink(path->c_str(), target.data(), target.size());
        if (n < 0 || static_cast<size_t>(n) >= target.size())
            return false;
        const std::string next(target.data(), static_cast<size_t>(n));
        *path = next[0] == '/' ? next : ParentFolder(*path) + "/" + next;
    }
    errno = ELOOP;
    return false;
}

// Rewrites target in place, for a folder that takes no new files. Should the
// write fail, the old bytes go back.
base::Outcome RewriteInPlace(FileSystem& files, const std::string& target, const uint8_t* data,
                             size_t size, off_t oldSize) {
    std::vector<uint8_t> old(static_cast<size_t>(oldSize));
    size_t oldGot = 0;
    const int in = files.Open(target, O_RDONLY | O_CLOEXEC, 0);
    if (in < 0 || !ReadAll(files, in, old.data(), old.size(), &oldGot)) {
        const int error = errno;
        if (in >= 0)
            files.Close(in);
        return base::Outcome::Failed("could not read " + target + ": " + Reason(error));
    }
    files.Close(in);
    old.resize(oldGot);

    const auto put = [&](const uint8_t* bytes, size_t n) {
        const int fd = files.Open(target, O_WRONLY | O_CLOEXEC, 0);
        if (fd < 0)
            return false;
        bool ok = WriteAll(files, fd, bytes, n) && ftruncate(fd, static_cast<off_t>(n)) == 0 &&
                  files.Fsync(fd) == 0;
        const int error = errno;
        ok = files.Close(fd) == 0 && ok;
        if (!ok && errno == 0)
            errno = error;
        return ok;
    };
    errno = 0;
    if (put(data, size))
        return {};
    const int error = errno;
    put(old.data(), old.size());
    return base::Outcome::Failed("could not write " + target + ": " + Reason(error));
}

}  // namespace

int FileSystem::Open(const std::string& path, int flags, mode_t mode) {
    return open(path.c_str(), flags, mode);
}

ssize_t FileSystem::Read(int fd, void* buffer, size_t size) {
    return read(fd, buffer, size);
}

ssize_t FileSystem::Write(int fd, const void* data, size_t size) {
    return write(fd, data, size);
}

int FileSystem::Fsync(int fd) {
    return fsync(fd);
}

int FileSystem::Close(int fd) {
    return close(fd);
}

int FileSystem::Rename(const std::string& from, const std::string& to) {
    return rename(from.c_str(), to.c_str());
}

int FileSystem::Remove(const std::string& path) {
    return remove(path.c_str());
}

int FileSystem::Fchown(int fd, uid_t owner, gid_t group) {
    return fchown(fd, owner, group);
}

FileSystem& SystemFiles() {
    static FileSystem files;  // no state: the system's calls as they are
    return files;
}

FILE* OpenFile(const std::filesystem::path& path, const char* mode) {
    if (path.empty())
        return nullptr;
    return std::fopen(path.c_str(), mode);
}

base::Outcome ReadFilePrefix(const std::filesystem::path& path, void* buffer, size_t capacity,
                             size_t* bytesRead, FileSystem& files) {
    if (bytesRead != nullptr)
        *bytesRead = 0;
    const std::string& native = path.native();
    const int fd =
        native.empty() ? (errno = ENOENT, -1) : files.Open(native, O_RDONLY | O_CLOEXEC, 0);
    if (fd < 0)
        return base::Outcome::Failed("could not open " + native + ": " + Reason(errno));
    size_t got = 0;
    // A folder opens like a file but cannot be read: that is no file at all.
    const bool ok = ReadAll(files, fd, static_cast<uint8_t*>(buffer), capacity, &got);
    const int error = errno;
    files.Close(fd);
    if (bytesRead != nullptr)
        *bytesRead = got;
    if (!ok)
        return base::Outcome::Failed("could not read " + native + ": " + Reason(error));
    return {};
}

bool FileReadable(const std::filesystem::path& path, FileSystem& files) {
    uint8_t first = 0;
    return ReadFilePrefix(path, &first, 1, nullptr, files).ok();
}

std::string DescribeFileFailure(const std::filesystem::path& path, std::string_view problem) {
    uint8_t first = 0;
    if (base::Outcome read = ReadFilePrefix(path, &first, 1); !read)
        return read.reason();
    return "could not load " + path.native() + ": " + std::string(problem);
}

base::Outcome ReplaceFile(const std::filesystem::path& path, const void* data, size_t size,
                          FileSystem& files) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    std::string target = path.native();
    if (target.empty())
        return base::Outcome::Failed("could not write a file with an empty name");
    if (!FollowLinks(&target))
        return base::Outcome::Failed("could not follow the link " + path.native() + ": " +
                                     Reason(errno));

    // The file as it stands: its permission bits and owner pass to the
    // replacement, and a file nobody may write stays as it is (even for root,
    // whom the system would let through).
    struct stat old;
    const bool exists = stat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT)
        return base::Outcome::Failed("could not write " + target + ": " + Reason(errno));
    if (exists) {
        if (S_ISDIR(old.st_mode))
            return base::Outcome::Failed("could not write " + target + ": " + Reason(EISDIR));
        if ((old.st_mode & 0222) == 0)
            return base::Outcome::Failed("could not write " + target + ": the file is read-only");
        if (access(target.c_str(), W_OK) != 0)
            return base::Outcome::Failed("could not write " + target + ": " + Reason(errno));
    }

    // The new file beside it. What an earlier run left at its name is cleared
    // away; if that cannot be done, a name of our own is taken.
    std::string temp = target + ".new";
    files.Remove(temp);
    int fd = files.Open(temp, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) {
        temp = target + ".new." + std::to_string(getpid());
        files.Remove(temp);
        fd = files.Open(temp, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    }
    if (fd < 0) {
        const int error = errno;
        if (exists && (error == EACCES || error == EPERM))
            return RewriteInPlace(files, target, bytes, size, old.st_size);
        return base::Outcome::Failed("could not write " + target + ": " + Reason(error));
    }
    if (exists) {
        fchmod(fd, old.st_mode & 07777);
        // Only root may give a file away: another user's file keeps its owner
        // by being rewritten where it lies.
        if (files.Fchown(fd, old.st_uid, old.st_gid) != 0) {
            files.Close(fd);
            files.Remove(temp);
            return RewriteInPlace(files, target, bytes, size, old.st_size);
        }
    }

    bool ok = WriteAll(files, fd, bytes, size);
    const char* step = "write";
    if (ok) {
        ok = files.Fsync(fd) == 0;
        step = "flush";
    }
    int error = errno;
    if (files.Close(fd) != 0 && ok) {
        ok = false;
        step = "write";
        error = errno;
    }
    if (ok && files.Rename(temp, target) != 0) {
        ok = false;
        step = "replace";
        error = errno;
    }
    if (!ok) {
        files.Remove(temp);
        return base::Outcome::Failed(std::string("could not ") + step + " " + target + ": " +
                                     Reason(error));
    }

    // Make the rename itself durable. A folder that cannot be opened for
    // this, or a file system without the call, has nothing to flush.
    const std::string folder = ParentFolder(target);
    const int dir = files.Open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (dir >= 0) {
        const bool flushed = files.Fsync(dir) == 0 || errno == EINVAL;
        error = errno;
        files.Close(dir);
        if (!flushed)
            return base::Outcome::Failed("could not flush " + target + " to disk (its folder " +
                                         folder + "): " + Reason(error));
    }
    return {};
}

std::filesystem::path FolderOf(const std::filesystem::path& programFile) {
    // Split into segments and resolve them lexically; the file name is dropped.
    const std::string_view file = programFile.native();
    const bool absolute = !file.empty() && file[0] == '/';
    std::vector<std::string_view> segments;
    size_t start = 0;
    for (size_t i = 0; i <= file.size(); ++i) {
        if (i == file.size() || file[i] == '/') {
            segments.push_back(file.substr(start, i - start));
            start = i + 1;
        }
    }
    segments.pop_back();  // the file name itself
    std::vector<std::string_view> kept;
    for (std::string_view s : segments) {
        if (s.empty() || s == ".")
            continue;
        if (s == "..") {
            if (!kept.empty() && kept.back() != "..") {
                kept.pop_back();
            } else if (!absolute) {
                kept.push_back(s);
            }
            continue;
        }
        kept.push_back(s);
    }
    std::string folder = absolute ? "/" : "";
    for (std::string_view s : kept) {
        folder += s;
        folder += '/';
    }
    if (folder.empty())
        folder = "./";
    return folder;
}

bool FolderWritable(const std::filesystem::path& folder) {
    return !folder.empty() && access(folder.c_str(), W_OK | X_OK) == 0;
}

base::Outcome MakeFolders(const std::filesystem::path& folder) {
    std::string native = folder.native();
    while (native.size() > 1 && native.back() == '/')
        native.pop_back();
    if (native.empty())
        return base::Outcome::Failed(
            "no folder to keep the player's files in (neither XDG_DATA_HOME nor HOME)");
    // Each folder from the top down; one that exists already is no error.
    for (size_t slash = native.find('/', 1);; slash = native.find('/', slash + 1)) {
        const std::string part = native.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return base::Outcome::Failed("could not make the folder " + part + ": " +
                                         Reason(errno));
        if (slash == std::string::npos)
            break;
    }
    struct stat info {};
    if (stat(native.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return base::Outcome::Failed("could not make the folder " + native +
                                     ": it is not a folder");
    return {};
}

}  // namespace platform
