// Frame-pacing harness: runs the real frame loop with no scene for 600 frames
// in each timer mode on the real clocks and reports the mean frame period, the
// 99th-percentile deviation from the ideal period and the CPU time used.
//
//   build/bench/frame_pacing [frames]
//
// Frame boundaries are read from the loop itself (each pass's start on the
// monotonic clock), so the figures are what a scene would see.

#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <vector>

#include "app/FrameLoop.h"
#include "app/Game.h"
#include "app/WindowEvents.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "world/System.h"
#include "world/WorldState.h"

namespace {

double NowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double CpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec * 1e3 + usage.ru_utime.tv_usec / 1e3 +
           usage.ru_stime.tv_sec * 1e3 + usage.ru_stime.tv_usec / 1e3;
}

// A window with an empty event queue: the loop's event step costs nothing
// and no display is needed.
class QuietWindow final : public platform::Window {
public:
    base::Outcome Create(const char*, int32_t, int32_t) override { return {}; }
    void Show() override {}
    void Destroy() override {}
    bool Exists() const override { return true; }
    void PumpEvents() override {}
    bool TakeEvent(platform::WindowEvent*) override { return false; }
    void PostEvent(const platform::WindowEvent&) override {}
    bool GetRect(platform::Rect*) override { return false; }
    bool GetPlacement(platform::Placement*) override { return false; }
    void SetPlacement(const platform::Placement&) override {}
    bool DisplayBounds(platform::Rect*) override { return false; }
    void SetBordered(bool) override {}
    void SetBounds(const platform::Rect&) override {}
    void ShowCursor() override {}
};

class NoDevice final : public platform::GpuDevice {
public:
    base::Outcome Create(platform::Window&, const std::filesystem::path&) override { return {}; }
    void Release() override {}
    void Forget() override {}
    bool IsCreated() const override { return false; }
    bool UploadTexture(int32_t, const uint16_t*) override { return false; }
    void ReleaseTexture(int32_t) override {}
    void Clear() override {}
    void DrawSprites(const platform::SpriteVertex*, const int32_t*, const platform::BlendState*,
                     uint32_t) override {}
    platform::DeviceStatus Present(bool) override { return platform::DeviceStatus::kOk; }
    platform::DeviceStatus RemovedReason() override { return platform::DeviceStatus::kOk; }
};

class NoDialogs final : public platform::Dialogs {
public:
    void Show(std::string_view, std::string_view, std::string_view) override {}
};
class NoScreenSaver final : public platform::ScreenSaver {
public:
    void Disable() override {}
    void Enable() override {}
    void KeepDisplayAwake() override {}
};
class NoLock final : public platform::InstanceLock {
public:
    bool TryAcquire() override { return true; }
};
class NoProcess final : public platform::Process {
public:
    std::filesystem::path ExecutablePath() override { return "/tessary"; }
    std::filesystem::path UserDataFolder() override { return "/tessary-user/"; }
    uint32_t ThreadId() override { return 0; }
    uint32_t ProcessId() override { return 0; }
};

struct Figures {
    double meanMs;
    double p99DeviationMs;
    double cpuPercent;
};

class NoKeyboard final : public platform::Keyboard {
public:
    platform::Controls HeldControls() override { return {}; }
};

class NoPads final : public platform::GamePads {
public:
    bool GetState(int, platform::PadState* out) override {
        *out = platform::PadState{};
        return false;
    }
};

Figures Measure(int mode, int frames) {
    platform::SystemClock clock;
    platform::SystemCalendar calendar;
    NoDialogs dialogs;
    QuietWindow window;
    NoDevice gpu;
    NoScreenSaver screenSaver;
    NoLock lock;
    NoProcess process;
    platform::NoSoundDevice sound;
    NoKeyboard keyboard;
    NoPads pads;
    const platform::Platform p{clock, calendar, dialogs, window,   gpu,  screenSaver,
                               lock,  process,  sound,   keyboard, pads, clock};

    Game game;
    game.system->display.timerMode = static_cast<TimerMode>(mode);
    game.system->display.framePacing = mode == 1 ? 0 : 2;  // the counter mode needs no cycle
    game.system->sound.soundMode = SoundMode::kNone;
    game.LinkObjects(gpu, window);

    std::vector<double> starts;
    starts.reserve(frames + 1);
    SceneFrames scenes;
    scenes.title = [&starts](Game&) {
        starts.push_back(NowMs());
        return 1;
    };
    WindowEvents proc(game, window);
    FrameLoop loop(game, p, proc, scenes);
    for (int i = 0; i < 30; ++i)
        loop.RunPass();  // settle
    starts.clear();
    const double cpu0 = CpuMs();
    const double wall0 = NowMs();
    for (int i = 0; i <= frames; ++i)
        loop.RunPass();
    const double cpu = CpuMs() - cpu0;
    const double wall = NowMs() - wall0;

    constexpr double kIdeal = 1000.0 / 60.0;
    std::vector<double> deviations;
    for (size_t i = 1; i < starts.size(); ++i) {
        deviations.push_back(std::fabs((starts[i] - starts[i - 1]) - kIdeal));
    }
    std::sort(deviations.begin(), deviations.end());
    const double mean = (starts.back() - starts.front()) / (starts.size() - 1);
    const double p99 = deviations[static_cast<size_t>(0.99 * (deviations.size() - 1))];
    return {mean, p99, 100.0 * cpu / wall};
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(10, std::atoi(argv[1])) : 600;
    static const char* kNames[] = {"0 timeGetTime", "1 PerformanceCounter", "2 Sleep", "3 No Wait"};
    std::printf("%-22s %12s %14s %10s\n", "timer mode", "mean ms", "p99 dev ms", "CPU %");
    for (int mode = 0; mode < 4; ++mode) {
        const Figures f = Measure(mode, mode == 3 ? frames * 50 : frames);
        std::printf("%-22s %12.4f %14.4f %10.1f\n", kNames[mode], f.meanMs, f.p99DeviationMs,
                    f.cpuPercent);
    }
    return 0;
}
