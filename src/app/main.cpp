// Tessary: the program entry point. It answers --help and --version, or
// builds the real platform pieces and hands them to the game.

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/CommandLine.h"
#include "app/ProgramLayout.h"
#include "app/RunTrace.h"
#include "app/Scenes.h"
#include "app/Startup.h"
#include "base/WideText.h"
#include "persist/FolderFile.h"
#include "persist/SettingsFile.h"
#include "platform/Dialogs.h"
#include "platform/AlDevice.h"
#include "platform/GlDevice.h"
#include "platform/Platform.h"
#include "platform/SdlInput.h"
#include "platform/SdlSession.h"
#include "platform/SdlWindow.h"
#include "platform/SignalWatcher.h"
#include "world/System.h"
#include "world/WorldState.h"

#ifndef TESSARY_VERSION
#define TESSARY_VERSION "unknown"
#endif

namespace {

// Prints where this copy of the game finds and keeps its files, worked out as
// start-up works them out, without changing any file.
int PrintHelp() {
    platform::LinuxProcess process;
    const ProgramLayout layout = FindLayout(process.ExecutablePath(), process.UserDataFolder());
    auto system = std::make_unique<System>();
    RankingTable ranking;
    ApplyLayout(layout, system->folders);
    if (!layout.userFolder.empty())
        SettingsFile(*system, ranking).Load(layout.userFolder + u"Game.ini");
    std::u16string resources;
    if (FolderFile(system->folders).Load(layout.programFolder + u"dir.txt")) {
        system->folders.SetResourceFolder();
        resources = base::WideView(system->folders.resourceFolder);
    }
    const std::string text =
        HelpText(TESSARY_VERSION, layout, resources, platform::FileInstanceLock::DefaultPath());
    std::fputs(text.c_str(), stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // A message box of the running program (see ShowBoxInChildProcess).
    if (platform::IsBoxProcess(argc, argv))
        return platform::RunBoxProcess(argc, argv);
    switch (ReadCommandLine(argc, argv)) {
        case CommandLineRequest::kHelp:
            return PrintHelp();
        case CommandLineRequest::kVersion:
            std::printf("Tessary %s\n", TESSARY_VERSION);
            return 0;
        case CommandLineRequest::kPlay:
            break;
    }

    // Before SDL starts, so that SDL leaves these signals to the game.
    platform::SignalWatcher signals;
    platform::SdlSession sdl;
    platform::SystemClock clock;
    platform::SystemCalendar calendar;
    platform::SdlDialogs dialogs(platform::ShowBoxInChildProcess);
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
                std::fprintf(stderr, "tessary: video driver %s\n", window.VideoDriver());
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
