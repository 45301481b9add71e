// One whole frame of each screen the player sees, on the real GL device
// (llvmpipe where there is no GPU) with the real pictures of build/game/data:
// the scene's frame function, then Graphics::RenderFrame and a wait until the
// device has finished it.
//
//   BM_Screen/title/...    the title with its items open
//   BM_Screen/options/...  the title with the options window fully open
//   BM_Screen/play/...     a game in progress: half the board filled, the
//                          piece falling, the queue and the score drawn
//
// Each screen is measured twice:
//   .../thread_cpu   cpu_time is the main thread's CPU (the scene, the
//                    submissions, the driver's work on the calling thread)
//   .../process_cpu  cpu_time is the whole process's CPU: llvmpipe rasterizes
//                    on threads of its own, which the main thread only waits for
// real_time is the wall time of the frame in both. A frame must fit in the
// 16.7 ms of one frame period with room to spare: the target is a median wall
// time of at most 8.3 ms.
//
// Run: bench_screens --benchmark_repetitions=10 --benchmark_report_aggregates_only=true

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <utility>

#include "ScreenStage.h"
#include "app/Game.h"
#include "graphics/Graphics.h"
#include "platform/Clock.h"
#include "play/Board.h"
#include "play/PlayState.h"
#include "scenes/PlayScene.h"
#include "scenes/TitleScene.h"
#include "world/System.h"
#include "world/WorldState.h"

namespace {

using bench::ScreenStage;
using bench::TheStage;

enum Screen : int64_t { kTitle, kOptions, kPlay };

// A fixed date, so that every run deals the same pieces.
class FixedCalendar final : public platform::Calendar {
public:
    int64_t Now() override { return 1'900'000'000; }
    platform::CalendarTime LocalTime(int64_t) override { return {}; }
};

// The play scene of the stage with a game in progress, and the state to put
// back before every frame, so that every frame does the same work and the
// game never ends.
struct PlayStage {
    FixedCalendar calendar;
    std::unique_ptr<PlayState> play = std::make_unique<PlayState>();
    std::unique_ptr<PlayState> start;

    explicit PlayStage(Game& game) {
        WorldState& world = *game.world;
        // What the title's hand-over leaves: the play scene fading in.
        world.menuState = MenuState{};
        world.diagnostic.gameStarted = true;
        world.sceneState = SceneState::kPlay;
        world.fadeLevel = 255;
        world.fadeOutRequest = 0;
        world.fadeInRequest = 1;
        game.system->inputState.dirBits = 0;
        game.system->inputState.buttonBits = 0;
        // The first frame builds the board and the queue; then the lower half
        // of the board fills with blocks, one gap in each row so that no row
        // is ever full, and the game runs on until the fade has finished.
        RunPlaySceneFrame(game.Links(), *play, calendar);
        for (int32_t row = kFloorRow / 2; row < kFloorRow; ++row) {
            const int32_t gap = 1 + (row * 7) % 10;
            for (int32_t column = 1; column <= 10; ++column) {
                play->board[BoardIndex(row, column)] =
                    column == gap ? 0 : 1 + (row * 3 + column) % 8;
            }
        }
        play->score = 52'340;
        play->level = 4;
        for (int frame = 0; frame < 60; ++frame)
            RunPlaySceneFrame(game.Links(), *play, calendar);
        start = std::make_unique<PlayState>(*play);
    }
};

void BM_Screen(benchmark::State& state) {
    ScreenStage& stage = TheStage();
    if (stage.error != nullptr) {
        state.SkipWithError(stage.error);
        return;
    }
    Game& game = *stage.game;
    const auto screen = static_cast<Screen>(state.range(0));
    std::unique_ptr<PlayStage> play;
    if (screen == kPlay) {
        play = std::make_unique<PlayStage>(game);
        if (game.world->fadeLevel != 0 || play->start->gameOverCounter != 0) {
            state.SkipWithError("the game in progress did not come out as planned");
            return;
        }
    } else {
        stage.ShowTitle(screen == kOptions);
    }
    for (auto _ : state) {
        if (play) {
            *play->play = *play->start;
            RunPlaySceneFrame(game.Links(), *play->play, play->calendar);
        } else {
            RunTitleSceneFrame(game.Links());
        }
        game.graphics->RenderFrame();
        stage.gpu.Finish();
    }
    state.counters["sprites"] = static_cast<double>(game.graphics->SpriteCount());
}

// Two runs of each screen: the main thread's CPU, then the whole process's.
int RegisterScreens() {
    const std::pair<const char*, Screen> screens[] = {
        {"title", kTitle}, {"options", kOptions}, {"play", kPlay}};
    for (const auto& [name, screen] : screens) {
        const std::string prefix = std::string("BM_Screen/") + name;
        benchmark::RegisterBenchmark((prefix + "/thread_cpu").c_str(), BM_Screen)
            ->Arg(screen)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((prefix + "/process_cpu").c_str(), BM_Screen)
            ->Arg(screen)
            ->MeasureProcessCPUTime()
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    }
    return 0;
}
[[maybe_unused]] const int kRegistered = RegisterScreens();

}  // namespace

BENCHMARK_MAIN();
