// The single-instance lock, the facts about the running process, message boxes
// on the terminal, and the screen-saver switch.

#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>
#include <thread>

#include "platform/Dialogs.h"
#include "platform/SdlWindow.h"
#include "platform/Services.h"

namespace {

// Sets an environment variable for one scope and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

std::string LockPath(const char* name) {
    return ::testing::TempDir() + "tessary-" + std::to_string(getpid()) + "-" + name + ".lock";
}

// Runs TryAcquire on lock in a child process; true when the child got the lock.
bool ChildAcquires(platform::FileInstanceLock& lock) {
    const pid_t child = fork();
    if (child == 0)
        _exit(lock.TryAcquire() ? 1 : 0);
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    return WEXITSTATUS(status) == 1;
}

TEST(InstanceLock, OnlyOneHolderAtATime) {
    const std::string path = LockPath("one");
    {
        auto first = std::make_unique<platform::FileInstanceLock>(path);
        EXPECT_TRUE(first->TryAcquire());
        EXPECT_TRUE(first->TryAcquire());  // asking again while holding it

        platform::FileInstanceLock second(path);
        EXPECT_FALSE(second.TryAcquire());

        first.reset();  // the first copy ends
        platform::FileInstanceLock third(path);
        EXPECT_TRUE(third.TryAcquire());
    }
    std::filesystem::remove(path);
}

TEST(InstanceLock, WorksAcrossProcesses) {
    const std::string path = LockPath("fork");
    {
        auto mine = std::make_unique<platform::FileInstanceLock>(path);
        ASSERT_TRUE(mine->TryAcquire());
        platform::FileInstanceLock childs(path);  // made here: the child only tries it
        EXPECT_FALSE(ChildAcquires(childs));
        mine.reset();
        EXPECT_TRUE(ChildAcquires(childs));
    }
    std::filesystem::remove(path);
}

TEST(InstanceLock, AnUnusableLockFileDoesNotStopTheGame) {
    platform::FileInstanceLock lock("/nonexistent-tessary-folder/tessary.lock");
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(lock.TryAcquire());
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("/nonexistent-tessary-folder"),
              std::string::npos);
}

TEST(InstanceLock, DefaultPathPrefersTheRuntimeFolder) {
    const std::string fallback = "/tmp/tessary-" + std::to_string(getuid()) + ".lock";
    {
        ScopedEnv env("XDG_RUNTIME_DIR", "/run/user/4242");
        EXPECT_EQ(platform::FileInstanceLock::DefaultPath(), "/run/user/4242/tessary.lock");
    }
    {
        ScopedEnv env("XDG_RUNTIME_DIR", "");
        EXPECT_EQ(platform::FileInstanceLock::DefaultPath(), fallback);
    }
    {
        ScopedEnv env("XDG_RUNTIME_DIR", nullptr);
        EXPECT_EQ(platform::FileInstanceLock::DefaultPath(), fallback);
    }
}

TEST(PlatformProcess, KnowsItsProgramFileAndIds) {
    platform::LinuxProcess process;
    const std::string path = process.ExecutablePath().native();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_TRUE(path.ends_with("/tessary_tests"));

    EXPECT_EQ(process.ProcessId(), static_cast<uint32_t>(getpid()));
    EXPECT_EQ(process.ThreadId(), process.ProcessId());  // tests run on the main thread
    uint32_t other = 0;
    std::thread([&] { other = process.ThreadId(); }).join();
    EXPECT_NE(other, 0u);
    EXPECT_NE(other, process.ThreadId());
}

TEST(PlatformDialogs, AlwaysWriteTheMessageToTheTerminal) {
    // The box goes through the seam, so no desktop's dialog tool is involved.
    // A path before the words takes the system's separator, in the line and
    // in the box alike; the English line goes below the text in the box.
    std::vector<std::string> boxes;
    platform::SdlDialogs dialogs([&](bool error, const std::string& caption,
                                     const std::string& text) {
        boxes.push_back((error ? "!" : "") + caption + "|" + text);
    });
    ::testing::internal::CaptureStderr();
    dialogs.Show("/d/data\\grp\\grp_0003.txt ファイルが見つかりません", "Message", "could not open");
    dialogs.Show("ini書き込みに失敗しました。", "Error");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Tessary: Message: /d/data/grp/grp_0003.txt ファイルが見つかりません\n"
              "Tessary: could not open\n"
              "Tessary: Error: ini書き込みに失敗しました。\n");
    EXPECT_EQ(boxes, (std::vector<std::string>{
                         "Message|/d/data/grp/grp_0003.txt ファイルが見つかりません\ncould not open",
                         "!Error|ini書き込みに失敗しました。"}));
}

TEST(PlatformScreenSaver, SwitchesTheSaverEvenBeforeVideoStarts) {
    ScopedEnv driver("SDL_VIDEODRIVER", "offscreen");
    platform::SdlScreenSaver saver;
    saver.Enable();  // before there is a window: remembered for when video starts
    {
        platform::SdlWindow window;
        ASSERT_TRUE(window.Create("Tessary", 64, 36));
        EXPECT_EQ(SDL_IsScreenSaverEnabled(), SDL_TRUE);
        saver.Disable();
        EXPECT_EQ(SDL_IsScreenSaverEnabled(), SDL_FALSE);
        saver.Enable();
        EXPECT_EQ(SDL_IsScreenSaverEnabled(), SDL_TRUE);
        saver.Disable();
    }
    platform::SdlWindow window;
    ASSERT_TRUE(window.Create("Tessary", 64, 36));
    EXPECT_EQ(SDL_IsScreenSaverEnabled(), SDL_FALSE);
}

}  // namespace
