// Tessary: the program entry point. It answers --help and --version, checks
// replays without a window, or builds the real platform pieces and hands them
// to the game, which records every game it plays or plays one replay.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Game.h"
#include "app/ProgramLayout.h"
#include "app/ReplayFolder.h"
#include "app/Replays.h"
#include "app/RunTrace.h"
#include "app/Scenes.h"
#include "app/Startup.h"
#include "persist/FolderFile.h"
#include "persist/SettingsFile.h"
#include "platform/AlDevice.h"
#include "platform/Dialogs.h"
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
        SettingsFile(*system, ranking).Load(layout.userFolder / "Game.ini");
    std::filesystem::path resources;
    if (FolderFile(system->folders).Load(layout.programFolder / "dir.txt")) {
        system->folders.SetResourceFolder();
        resources = system->folders.resourceFolder;
    }
    const std::string text =
        HelpText(TESSARY_VERSION, layout, resources, platform::FileInstanceLock::DefaultPath());
    std::fputs(text.c_str(), stdout);
    return 0;
}

// --check-replay: each file's line on standard output; 1 if any differs or
// cannot be read.
int CheckReplays(const std::vector<std::string>& files) {
    if (files.empty()) {
        std::fputs("tessary: --check-replay needs at least one replay file\n", stderr);
        return 1;
    }
    int status = 0;
    for (const std::string& file : files) {
        std::string line;
        if (!CheckReplayFile(file, &line))
            status = 1;
        std::printf("%s\n", line.c_str());
    }
    return status;
}

// A finished game's replay goes to the player's replays folder; a failure is
// said on the terminal and changes nothing else.
void KeepReplay(Game& game, const Replay& replay) {
    if (base::Outcome saved =
            SaveReplay(ReplayFolderOf(game.system->folders), replay, platform::SystemFiles());
        !saved) {
        std::fprintf(stderr, "Tessary: the replay of this game was not kept: %s\n",
                     saved.reason().c_str());
    }
}

// A watched replay writes nothing, so it may run beside a game.
class NoInstanceLock final : public platform::InstanceLock {
public:
    bool TryAcquire() override { return true; }
};

}  // namespace

int main(int argc, char** argv) {
    // A message box of the running program (see ShowBoxInChildProcess).
    if (platform::IsBoxProcess(argc, argv))
        return platform::RunBoxProcess(argc, argv);
    std::vector<std::string> replayFiles;
    const CommandLineRequest request = ReadCommandLine(argc, argv, &replayFiles);
    switch (request) {
        case CommandLineRequest::kHelp:
            return PrintHelp();
        case CommandLineRequest::kVersion:
            std::printf("Tessary %s\n", TESSARY_VERSION);
            return 0;
        case CommandLineRequest::kCheckReplay:
            return CheckReplays(replayFiles);
        case CommandLineRequest::kReplay:
        case CommandLineRequest::kPlay:
            break;
    }
    const bool watching = request == CommandLineRequest::kReplay;
    Replay replay;
    if (watching) {
        if (replayFiles.empty()) {
            std::fputs("tessary: --replay needs a replay file\n", stderr);
            return 1;
        }
        if (base::Outcome read = ReadReplayFile(replayFiles[0], &replay); !read) {
            std::printf("%s: cannot be read: %s\n", replayFiles[0].c_str(), read.reason().c_str());
            return 1;
        }
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

    NoInstanceLock noLock;
    platform::InstanceLock& lock = watching ? static_cast<platform::InstanceLock&>(noLock)
                                            : static_cast<platform::InstanceLock&>(instanceLock);
    const platform::Platform platform{clock, calendar, dialogs, window,       gpu,  screenSaver,
                                      lock,  process,  sound,   gameKeyboard, pads, clock};
    Scenes scenes(calendar);
    if (!watching) {
        scenes.RecordGames(TESSARY_VERSION, &KeepReplay);
        return RunGame(platform, scenes.Frames());
    }

    // The replay ends the run when it ends; Esc ends it sooner.
    scenes.Watch(
        replay, [&window](Game&) { window.PostEvent({platform::WindowEvent::Kind::kWindowGone}); });
    const int status = RunGame(platform, scenes.Frames(), platform::SystemFiles(), false);
    if (status != 0)
        return status;
    const ReplayVerdict& verdict = scenes.playback()->verdict();
    if (!verdict.same && verdict.difference.empty()) {
        std::printf("%s: stopped at frame %u of %zu\n", replayFiles[0].c_str(),
                    scenes.playback()->frame(), replay.bits.size());
        return 0;
    }
    std::printf("%s\n", DescribeVerdict(replayFiles[0], verdict).c_str());
    return verdict.same ? 0 : 1;
}
