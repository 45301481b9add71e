#include "platform/Services.h"

#include <SDL.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace platform {

// ---- Screen saver ------------------------------------------------------------

// The hint covers the case where the video subsystem is not running yet: SDL
// applies it when the subsystem starts, and the call alone would do nothing.
void SdlScreenSaver::Disable() {
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "0");
    SDL_DisableScreenSaver();
}

void SdlScreenSaver::Enable() {
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_EnableScreenSaver();
}

// Nothing to do each frame: while the saver is disabled SDL itself holds the
// desktop's idle inhibition and resets the X screen-saver timer as it pumps
// events, so the display cannot blank during play.
void SdlScreenSaver::KeepDisplayAwake() {}

// ---- Single-instance lock ----------------------------------------------------

FileInstanceLock::FileInstanceLock(std::string path) : path_(std::move(path)) {}

FileInstanceLock::~FileInstanceLock() {
    if (fd_ >= 0)
        close(fd_);
}

bool FileInstanceLock::TryAcquire() {
    if (fd_ >= 0)
        return true;
    const int fd = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        // Without a lock file the guard cannot work; running is better than refusing.
        std::fprintf(stderr, "Tessary: cannot open the lock file %s: %s; running anyway\n",
                     path_.c_str(), std::strerror(errno));
        return true;
    }
    int result = 0;
    do {
        result = flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        const int error = errno;
        close(fd);
        if (error == EWOULDBLOCK)
            return false;
        std::fprintf(stderr, "Tessary: cannot lock %s: %s; running anyway\n", path_.c_str(),
                     std::strerror(error));
        return true;
    }
    fd_ = fd;  // held until this object goes, which frees the lock
    return true;
}

std::string FileInstanceLock::DefaultPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] != '\0')
        return std::string(runtime) + "/tessary.lock";
    return "/tmp/tessary-" + std::to_string(getuid()) + ".lock";
}

// ---- The running process -----------------------------------------------------

std::filesystem::path LinuxProcess::ExecutablePath() {
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) {
            std::fprintf(stderr, "Tessary: readlink(/proc/self/exe) failed: %s\n",
                         std::strerror(errno));
            return {};
        }
        if (static_cast<size_t>(n) < buffer.size()) {
            return std::string(buffer.data(), static_cast<size_t>(n));
        }
        buffer.resize(buffer.size() * 2);  // the path may have been cut short
    }
}

std::filesystem::path LinuxProcess::UserDataFolder() {
    // The XDG base directory rules: only an absolute XDG_DATA_HOME counts.
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && dataHome[0] == '/')
        return std::string(dataHome) + "/tessary/";
    std::string home;
    if (const char* env = std::getenv("HOME"); env != nullptr && env[0] == '/') {
        home = env;
    } else if (const passwd* user = getpwuid(getuid());
               user != nullptr && user->pw_dir != nullptr) {
        home = user->pw_dir;
    }
    if (home.empty())
        return {};
    return home + "/.local/share/tessary/";
}

uint32_t LinuxProcess::ThreadId() {
    return static_cast<uint32_t>(syscall(SYS_gettid));
}

uint32_t LinuxProcess::ProcessId() {
    return static_cast<uint32_t>(getpid());
}

}  // namespace platform
