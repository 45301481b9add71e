// Resource loading at start-up, measured on the data folder the asset tool
// makes (build/game/data beside build/bench).
//
//   BM_LoadResources/soundMode:1  with the WAVE sound set
//   BM_LoadResources/soundMode:2  with the Ogg Vorbis sound set
//   BM_LoadResources/soundMode:0  without sound (pictures only)
//
// Each iteration is one start-up's loading on a fresh Game: the real GL
// device on the offscreen video driver, and OpenAL's loopback device for
// sound. Making the device and the sound engine, and the shutdown that stops
// the music thread, are outside the timing. The figure is wall-clock time;
// the target is a median of at most 150 ms.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/Game.h"
#include "audio/Audio.h"
#include "base/WideText.h"
#include "graphics/Graphics.h"
#include "platform/AlDevice.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/GlDevice.h"
#include "platform/SdlWindow.h"
#include "resources/LoadResources.h"
#include "world/System.h"

namespace {

class PrintingDialogs final : public platform::Dialogs {
public:
    void Show(std::string_view text, std::string_view caption, std::string_view) override {
        std::fprintf(stderr, "[%.*s] %.*s\n", static_cast<int>(caption.size()), caption.data(),
                     static_cast<int>(text.size()), text.data());
    }
};

// The window, made once; the program folder build/game (shaders, data).
struct Stage {
    platform::SdlWindow window;
    platform::SystemClock clock;
    PrintingDialogs dialogs;
    std::filesystem::path programFolder;
    bool ready = false;

    Stage() {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        if (!window.Create("Tessary", 1280, 720))
            return;
        char exe[4096] = {};
        const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
        if (n <= 0)
            return;
        programFolder = platform::FolderOf(std::string(exe, n)) / "../game/";
        ready = true;
    }
};

Stage& TheStage() {
    static Stage* stage = new Stage();  // lives to the end of the process
    return *stage;
}

// One start-up's devices and objects; the Game goes first.
struct Run {
    platform::GlDevice gpu;
    platform::AlLoopbackDevice sound;
    std::unique_ptr<Game> game = std::make_unique<Game>();
};

void BM_LoadResources(benchmark::State& state) {
    Stage& stage = TheStage();
    if (!stage.ready) {
        state.SkipWithError("no window on the offscreen driver");
        return;
    }
    const auto soundMode = static_cast<SoundMode>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto run = std::make_unique<Run>();
        Game& game = *run->game;
        System& system = *game.system;
        system.sound.soundMode = soundMode;
        system.sound.bgmVolume = 5000;
        system.sound.seVolume = 5000;
        system.folders.programFolder = stage.programFolder;
        system.folders.resourceFolder = stage.programFolder / "data/";
        game.LinkObjects(run->gpu, stage.window);
        game.graphics->LinkDialogs(&stage.dialogs);
        if (!game.graphics->CreateDevice()) {
            state.SkipWithError("no OpenGL 3.3 core device");
            return;
        }
        if (soundMode != SoundMode::kNone &&
            !game.audio->Open(run->sound, stage.clock, stage.dialogs)) {
            state.SkipWithError("no loopback sound device");
            return;
        }
        state.ResumeTiming();

        const bool loaded =
            LoadResources(game.system->folders, game.system->sound, game.system->music, *game.world,
                          *game.graphics, *game.audio, stage.dialogs)
                .ok();

        state.PauseTiming();
        run.reset();  // stops the music thread, frees the voices, textures and devices
        state.ResumeTiming();
        if (!loaded) {
            state.SkipWithError("LoadResources failed (is build/game/data made?)");
            return;
        }
    }
}
BENCHMARK(BM_LoadResources)
    ->ArgName("soundMode")
    ->Arg(1)
    ->Arg(2)
    ->Arg(0)
    ->Iterations(1)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
