// The title scene with the options window fully open: the heaviest frame of
// the game, about 2,000 quads (the texts of the window are 29-glyph strings,
// and each of the 40 volume marks submits its whole string).
//
//   BM_OptionsFrame/whole        one whole frame: the title-scene frame
//                                (background, logo, items, window frame, the
//                                options window's apply step and drawing,
//                                fade, masks, diagnostic line), then
//                                Graphics::RenderFrame on the real GL device
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

#include "ScreenStage.h"
#include "app/Game.h"
#include "graphics/Graphics.h"
#include "scenes/TitleScene.h"

namespace {

using bench::ScreenStage;
using bench::TheStage;

void BM_OptionsFrame(benchmark::State& state) {
    ScreenStage& stage = TheStage();
    if (stage.error != nullptr) {
        state.SkipWithError(stage.error);
        return;
    }
    const bool draw = state.range(0) != 0;
    stage.ShowTitle(state.range(1) != 0);
    Game& game = *stage.game;
    for (auto _ : state) {
        RunTitleSceneFrame(game.Links());
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
    ScreenStage& stage = TheStage();
    if (stage.error != nullptr) {
        state.SkipWithError(stage.error);
        return;
    }
    stage.ShowTitle(true);
    Game& game = *stage.game;
    game.graphics->SetCulling(false);
    for (auto _ : state) {
        RunTitleSceneFrame(game.Links());
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
