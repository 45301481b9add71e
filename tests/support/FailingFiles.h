#pragma once
// A file system that fails one chosen step of a save the way a failing disk
// does, for files whose name ends with a chosen text; every other call goes to
// the system. It can also make a file vanish between two opens.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/Files.h"

class FailingFiles final : public platform::FileSystem {
public:
    enum class Step {
        kNone,
        kCreate,        // the new file cannot be made (ENOSPC)
        kCreateDenied,  // the folder takes no new file (EACCES)
        kChownDenied,   // the new file cannot be given the old one's owner (EPERM)
        kShortWrite,    // half the bytes, then nothing more
        kWriteNoSpace,  // ENOSPC
        kWriteIo,       // EIO
        kFsync,         // EIO
        kClose,         // EIO, as NFS reports a late write error
        kRename,        // EIO
        kFolderFlush,   // EIO
    };

    Step failing = Step::kNone;
    std::string suffix = "Game.ini";  // only files named so (and their ".new") fail
    std::string vanishing;            // a path removed just before its second open

    int Open(const std::string& path, int flags, mode_t mode) override {
        if (!vanishing.empty() && path == vanishing && ++vanishingOpens_ == 2)
            unlink(path.c_str());
        if ((flags & O_CREAT) != 0 && Matches(path)) {
            if (failing == Step::kCreate)
                return Refuse(ENOSPC);
            if (failing == Step::kCreateDenied)
                return Refuse(EACCES);
        }
        const int fd = FileSystem::Open(path, flags, mode);
        if (fd >= 0 && (flags & O_DIRECTORY) != 0 && renamed_) {
            folderFd_ = fd;
            renamed_ = false;
        }
        if (fd >= 0 && (flags & O_CREAT) != 0 && Matches(path)) {
            fd_ = fd;
            written_ = 0;
        }
        return fd;
    }
    ssize_t Write(int fd, const void* data, size_t size) override {
        if (fd == fd_) {
            switch (failing) {
                case Step::kShortWrite:
                    if (written_ > 0)
                        return 0;
                    written_ = size / 2;
                    return FileSystem::Write(fd, data, size / 2);
                case Step::kWriteNoSpace:
                    return Refuse(ENOSPC);
                case Step::kWriteIo:
                    return Refuse(EIO);
                default:
                    break;
            }
        }
        return FileSystem::Write(fd, data, size);
    }
    int Fsync(int fd) override {
        if ((fd == fd_ && failing == Step::kFsync) ||
            (fd == folderFd_ && failing == Step::kFolderFlush))
            return Refuse(EIO);
        return FileSystem::Fsync(fd);
    }
    int Close(int fd) override {
        const int result = FileSystem::Close(fd);
        if (fd == folderFd_)
            folderFd_ = -1;
        if (fd == fd_) {
            fd_ = -1;
            if (failing == Step::kClose)
                return Refuse(EIO);
        }
        return result;
    }
    int Fchown(int fd, uid_t owner, gid_t group) override {
        if (fd == fd_ && failing == Step::kChownDenied)
            return Refuse(EPERM);
        return FileSystem::Fchown(fd, owner, group);
    }
    int Rename(const std::string& from, const std::string& to) override {
        if (!Matches(to))
            return FileSystem::Rename(from, to);
        if (failing == Step::kRename)
            return Refuse(EIO);
        renamed_ = true;
        return FileSystem::Rename(from, to);
    }

private:
    bool Matches(const std::string& path) const {
        return path.size() >= suffix.size() &&
               (path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0 ||
                path.find(suffix + ".new") != std::string::npos);
    }
    static int Refuse(int error) {
        errno = error;
        return -1;
    }

    int fd_ = -1;
    int folderFd_ = -1;
    bool renamed_ = false;  // the next folder opened is the one to flush
    size_t written_ = 0;
    int vanishingOpens_ = 0;
};
