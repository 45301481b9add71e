// Tessary: the program entry point. It builds the real platform pieces and
// hands them to the game.

#include <cstdio>
#include <cstdlib>

#include "app/RunTrace.h"
#include "app/Scenes.h"
#include "app/Startup.h"
#include "platform/AlDevice.h"
#include "platform/GlDevice.h"
#include "platform/Platform.h"
#include "platform/SdlInput.h"
#include "platform/SdlSession.h"
#include "platform/SdlWindow.h"

int main() {
    platform::SdlSession sdl;
    platform::SystemClock clock;
    platform::SystemCalendar calendar;
    platform::SdlDialogs dialogs;
    platform::SdlWindow window;
    platform::GlDevice gpu;
    platform::SdlScreenSaver screenSaver;
    platform::FileInstanceLock instanceLock(platform::FileInstanceLock::DefaultPath());
    platform::LinuxProcess process;
    platform::AlDefaultDevice sound;  // fails to open on a machine without sound
    platform::SdlKeyboard keyboard(window);
    platform::SdlGamePads pads(window);

    // For the benchmarks and soak runs: when the player first sees a frame,
    // and when frames and key presses reach the screen (see RunTrace).
    const bool startupTrace = std::getenv("TESSARY_STARTUP_TRACE") != nullptr;
    const bool runTrace = std::getenv("TESSARY_TRACE") != nullptr;
    TracingKeyboard tracingKeyboard(keyboard, &platform::SystemClock::MonotonicNanoseconds);
    RunTrace trace(tracingKeyboard, &platform::SystemClock::MonotonicNanoseconds, stderr);
    bool firstPresent = true;
    if (startupTrace || runTrace) {
        gpu.OnPresent([&] {
            if (startupTrace && firstPresent) {
                std::fprintf(stderr, "tessary: first frame presented %u ms after start\n",
                             clock.Milliseconds());
            }
            firstPresent = false;
            if (runTrace)
                trace.Presented();
        });
    }
    platform::Keyboard& gameKeyboard =
        runTrace ? static_cast<platform::Keyboard&>(tracingKeyboard) : keyboard;

    const platform::Platform platform{clock, calendar,     dialogs,      window,
                                      gpu,   screenSaver,  instanceLock, process,
                                      sound, gameKeyboard, pads,         clock};
    Scenes scenes(calendar);
    return RunGame(platform, scenes.Frames());
}
