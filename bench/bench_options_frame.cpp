// The title scene with the options window fully open: the heaviest frame of
// the game, about 2,000 quads (the texts of the window are 29-glyph strings,
// and each of the 40 volume marks submits its whole string).
//
//   BM_OptionsFrame/whole        one whole frame: the title-scene frame
//                                (background, logo, items, window frame, the
//                                options window's apply step and drawing,
//                                fade, masks, diagnostic line), then
//                                CDx_Gr::RenderFrame on the real GL device
//                                (llvmpipe where there is no GPU) with the
//                                real pictures of build/game/data, and a wait
//                                until the GPU has finished it. Wall-clock
//                                time. Target: a median of at most 8.3 ms,
//                                half the 16.7 ms frame.
//   BM_OptionsFrame/title        the same whole frame with the window closed:
//                                what the title itself costs.
//   BM_OptionsFrame/submissions  the title-scene frame alone, without drawing.
//   BM_OptionsFrame/every_quad   the whole frame with culling off: every quad
//                                submitted goes to the device, as the frame
//                                was drawn before quads that cannot change a
//                                pixel were left out (same pixels).
//
// On llvmpipe the drawing is bound by the pixels filled: the title's sky and
// the fade overlay each cover the whole screen, the window's body most of it,
// and every glyph quad (blank cells included) is 512 pixels.
// The fade overlay at level 0 and the blank glyph cells change no pixel and
// are left out before the device sees them (every_quad draws them).
//
// Run: bench_options_frame --benchmark_repetitions=10 --benchmark_report_aggregates_only=true

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "base/WideText.h"
#include "graphics/CDx_Gr.h"
#include "menu/CTitleIcDX.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/GlDevice.h"
#include "platform/SdlWindow.h"
#include "resources/LoadResources.h"
#include "world/Game.h"
#include "world/MapSceneEntity.h"
#include "world/System.h"

namespace {

class PrintingDialogs final : public platform::Dialogs {
public:
    void Show(std::string_view text, std::string_view caption) override {
        std::fprintf(stderr, "[%.*s] %.*s\n", static_cast<int>(caption.size()), caption.data(),
                     static_cast<int>(text.size()), text.data());
    }
};

// The window, the device and a Game with the pictures loaded from build/game,
// made once, standing on the title with the options window open.
struct Stage {
    platform::SdlWindow window;  // outlives the device
    platform::GlDevice gpu;
    PrintingDialogs dialogs;
    std::unique_ptr<Game> game;
    const char* error = nullptr;

    Stage() {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        if (!window.Create("Tessary", 1280, 720)) {
            error = "no window on the offscreen driver";
            return;
        }
        char exe[4096] = {};
        const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
        if (n <= 0) {
            error = "the program's own path is unknown";
            return;
        }
        const std::u16string programFolder =
            platform::FolderOf(base::FromUtf8(std::string(exe, n))) + u"../game/";

        game = std::make_unique<Game>();
        System& system = *game->system;
        base::WideCopy(system.programFolder, programFolder);
        base::WideCopy(system.resourceFolder, programFolder + u"data\\");
        system.soundMode = 0;  // pictures only; the options window's sound calls return at once
        system.vsync = 0;      // present without waiting for the display
        system.bgmVolume = 7 * 500;
        system.seVolume = 13 * 500;
        game->LinkObjects(gpu, window);
        game->graphics->LinkDialogs(&dialogs);
        if (game->graphics->CreateDevice() != 1) {
            error = "no OpenGL 3.3 core device";
            return;
        }
        if (!LoadResources(*game, dialogs)) {
            error = "LoadResources failed (is build/game/data made?)";
            return;
        }

        // The title with its items open and the options window fully open on
        // the effect-volume row.
        MapSceneEntity& world = *game->mapScene;
        world.loadingFlag = 0;
        MenuState& m = world.menuState;
        m.titleState = 4;
        m.titleAnim = 8;
        m.windowState = 4;
        m.windowAnim = 8;
        m.mainCursor = 2;
        m.optionRow = 4;
        world.shownItem = 2;
    }
};

Stage& TheStage() {
    static Stage* stage = new Stage();  // lives to the end of the process
    return *stage;
}

void BM_OptionsFrame(benchmark::State& state) {
    Stage& stage = TheStage();
    if (stage.error != nullptr) {
        state.SkipWithError(stage.error);
        return;
    }
    const bool draw = state.range(0) != 0;
    const bool window = state.range(1) != 0;
    Game& game = *stage.game;
    game.mapScene->menuState.windowState = window ? 4 : 0;
    for (auto _ : state) {
        RunTitleSceneFrame(game);
        if (draw) {
            game.graphics->RenderFrame();
            stage.gpu.Finish();
        }
    }
    state.counters["sprites"] = static_cast<double>(game.graphics->SpriteCount());
}
BENCHMARK(BM_OptionsFrame)
    ->Name("BM_OptionsFrame/whole")
    ->Args({1, 1})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OptionsFrame)
    ->Name("BM_OptionsFrame/title")
    ->Args({1, 0})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
// The whole frame with every quad drawn; "drawn" counts the quads the device got.
void BM_OptionsFrameEveryQuad(benchmark::State& state) {
    Stage& stage = TheStage();
    if (stage.error != nullptr) {
        state.SkipWithError(stage.error);
        return;
    }
    Game& game = *stage.game;
    game.mapScene->menuState.windowState = 4;
    game.graphics->SetCulling(false);
    for (auto _ : state) {
        RunTitleSceneFrame(game);
        game.graphics->RenderFrame();
        stage.gpu.Finish();
    }
    state.counters["drawn"] = static_cast<double>(game.graphics->DrawnCount());
    game.graphics->SetCulling(true);
}
BENCHMARK(BM_OptionsFrameEveryQuad)
    ->Name("BM_OptionsFrame/every_quad")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OptionsFrame)
    ->Name("BM_OptionsFrame/submissions")
    ->Args({0, 1})
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
