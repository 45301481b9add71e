// Tessary: the program entry point. It builds the real platform pieces and
// hands them to the game.

#include <cstdio>
#include <cstdlib>

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
    if (std::getenv("TESSARY_STARTUP_TRACE") != nullptr) {
        // For the start-up benchmark: how long until the player sees a frame.
        gpu.OnFirstPresent([&clock] {
            std::fprintf(stderr, "tessary: first frame presented %u ms after start\n",
                         clock.Milliseconds());
        });
    }
    platform::SdlScreenSaver screenSaver;
    platform::FileInstanceLock instanceLock(platform::FileInstanceLock::DefaultPath());
    platform::LinuxProcess process;
    platform::AlDefaultDevice sound;  // fails to open on a machine without sound
    platform::SdlKeyboard keyboard(window);
    platform::SdlGamePads pads;
    const platform::Platform platform{clock,        calendar, dialogs, window,   gpu,  screenSaver,
                                      instanceLock, process,  sound,   keyboard, pads, clock};
    Scenes scenes(calendar);
    return RunGame(platform, scenes.Frames());
}
