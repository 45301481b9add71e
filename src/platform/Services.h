#pragma once
// Small services of the operating system: the screen saver, the single-instance
// lock and facts about the running process.

#include <cstdint>
#include <filesystem>
#include <string>

namespace platform {

class ScreenSaver {
public:
    virtual ~ScreenSaver() = default;
    virtual void Disable() = 0;
    virtual void Enable() = 0;
    // Called once per frame so that the display never blanks during play.
    virtual void KeepDisplayAwake() = 0;
};

class InstanceLock {
public:
    virtual ~InstanceLock() = default;
    // Takes the lock for the rest of the run; false when another copy holds it.
    virtual bool TryAcquire() = 0;
};

class Process {
public:
    virtual ~Process() = default;
    // Full path of the running program file.
    virtual std::filesystem::path ExecutablePath() = 0;
    // The folder an installed game keeps this user's files in, with its
    // trailing separator: $XDG_DATA_HOME/tessary/, or ~/.local/share/tessary/.
    // Empty when the user has no home folder to name.
    virtual std::filesystem::path UserDataFolder() = 0;
    virtual uint32_t ThreadId() = 0;
    virtual uint32_t ProcessId() = 0;
};

class SdlScreenSaver final : public ScreenSaver {
public:
    void Disable() override;
    void Enable() override;
    void KeepDisplayAwake() override;
};

// A per-user lock file held with flock for as long as the process lives.
class FileInstanceLock final : public InstanceLock {
public:
    explicit FileInstanceLock(std::string path);
    ~FileInstanceLock() override;
    FileInstanceLock(const FileInstanceLock&) = delete;
    FileInstanceLock& operator=(const FileInstanceLock&) = delete;
    bool TryAcquire() override;

    // $XDG_RUNTIME_DIR/tessary.lock, or /tmp/tessary-<uid>.lock.
    static std::string DefaultPath();

private:
    std::string path_;
    int fd_ = -1;
};

class LinuxProcess final : public Process {
public:
    std::filesystem::path ExecutablePath() override;
    std::filesystem::path UserDataFolder() override;
    uint32_t ThreadId() override;
    uint32_t ProcessId() override;
};

}  // namespace platform
