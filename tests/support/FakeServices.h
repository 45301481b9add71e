#pragma once
// Doubles for the small platform services: dialogs that record instead of
// showing, a screen saver that counts, a lock and a process that say what the
// test tells them.

#include <string>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/Services.h"

class RecordingDialogs final : public platform::Dialogs {
public:
    struct Shown {
        std::string text;
        std::string caption;
        std::string detail;
    };
    std::vector<Shown> shown;
    void Show(std::string_view text, std::string_view caption,
              std::string_view detail = {}) override {
        shown.push_back({std::string(text), std::string(caption), std::string(detail)});
    }
};

class CountingScreenSaver final : public platform::ScreenSaver {
public:
    int disabled = 0;
    int enabled = 0;
    int kept = 0;
    bool on = true;
    void Disable() override {
        ++disabled;
        on = false;
    }
    void Enable() override {
        ++enabled;
        on = true;
    }
    void KeepDisplayAwake() override { ++kept; }
};

class FakeLock final : public platform::InstanceLock {
public:
    bool available = true;
    bool TryAcquire() override { return available; }
};

class FakeProcess final : public platform::Process {
public:
    std::filesystem::path executable = "/nonexistent/tessary";
    std::filesystem::path userDataFolder = "/nonexistent/home/.local/share/tessary/";
    uint32_t threadId = 1234;
    uint32_t processId = 1200;
    std::filesystem::path ExecutablePath() override { return executable; }
    std::filesystem::path UserDataFolder() override { return userDataFolder; }
    uint32_t ThreadId() override { return threadId; }
    uint32_t ProcessId() override { return processId; }
};
