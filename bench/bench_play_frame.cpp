// The play-scene frame on its worst frame.
//
//   BM_PlayFrame/worst  one whole play frame: ClearSpriteList, the pause
//                       control, the music switch and both fades, the
//                       background, PlayStep and every submission after it,
//                       on a board full of blocks with 300 game-over bars
//                       (and the game-over picture) on screen. That is the
//                       most the frame ever submits. Target: a median of at
//                       most 0.25 ms. The allocations counter must stay 0.
//   BM_PlayFrame/worst_redraw_always  the same with TESSARY_REDRAW_ALWAYS's
//                       setting: no quad is hashed as it is submitted, which
//                       is what the comparison with the last drawn frame costs.
//
//   BM_PlayFrame/scene, BM_PlayFrame/scene-recording
//                       the same frame through the scenes' play frame, without
//                       and with the game being recorded (the held bits and
//                       the second into the record, the lock check after), to
//                       show what recording costs in one run.
//
// The state is put back before every frame (a copy of a few kilobytes, inside
// the timing), so the game never finishes and every frame does the same work.
//
// Run: bench_play_frame --benchmark_repetitions=10 --benchmark_report_aggregates_only=true

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>

#include "app/Game.h"
#include "app/Scenes.h"
#include "audio/Audio.h"
#include "graphics/Graphics.h"
#include "input/InputSampler.h"
#include "persist/ReplayFile.h"
#include "platform/Clock.h"
#include "play/PlayState.h"
#include "scenes/PlayScene.h"
#include "world/System.h"
#include "world/WorldState.h"

// Every heap allocation of the process is counted. (GCC takes the replaced
// operators' malloc and free for a mismatched pair; they are a matched pair.)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
namespace {
std::atomic<long> gAllocations{0};
}  // namespace
void* operator new(size_t size) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}

namespace {

constexpr int32_t kBars = 300;
constexpr int32_t kWall = 9;
constexpr int32_t kBlock = 8;

// A game deep in its game-over sequence: walls and floor, every cell above
// the floor filled, the queue drawn, the piece at its start, 300 bars due.
PlayState WorstPlayState() {
    PlayState s;
    for (int row = 0; row < PlayState::kRows; ++row) {
        for (int column = 0; column < PlayState::kColumns; ++column) {
            int32_t code = 0;
            if (row == 28 || ((column == 0 || column == 11) && row < 29)) {
                code = kWall;
            } else if (row < 28) {
                code = 1 + (row + column) % kBlock;
            }
            s.board[PlayState::kColumns * row + column] = code;
        }
    }
    s.started = 1;
    for (int i = 0; i < PlayState::kQueue; ++i)
        s.queue[i] = i % 7;
    s.stuckLockCount = 4;
    s.gameOverCounter = kBars;
    s.score = 123456;
    s.level = 9;
    return s;
}

void BM_PlayFrame(benchmark::State& state, bool redrawAlways) {
    auto game = std::make_unique<Game>();
    System& system = *game->system;
    WorldState& world = *game->world;
    game->graphics->SetRedrawAlways(redrawAlways);
    world.angleTable.Fill();
    world.sceneState = SceneState::kPlay;
    world.diagnostic.gameStarted = true;
    system.sound.soundMode = SoundMode::kNone;
    platform::SystemCalendar calendar;

    const PlayState start = WorstPlayState();
    auto play = std::make_unique<PlayState>(start);
    long allocations = 0;
    for (auto _ : state) {
        // Undo what the last frame did, so the game never reaches its end.
        *play = start;
        world.fadeLevel = 0;
        world.fadeOutRequest = 0;
        world.fadeInRequest = 0;
        world.sceneState = SceneState::kPlay;
        const long before = gAllocations.load(std::memory_order_relaxed);
        RunPlaySceneFrame(game->Links(), *play, calendar);
        allocations += gAllocations.load(std::memory_order_relaxed) - before;
        benchmark::DoNotOptimize(game->graphics->Vertices());
    }
    state.counters["sprites"] = static_cast<double>(game->graphics->SpriteCount());
    state.counters["allocations"] = static_cast<double>(allocations);
}
BENCHMARK_CAPTURE(BM_PlayFrame, worst, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PlayFrame, worst_redraw_always, true)->Unit(benchmark::kMicrosecond);

void BM_SceneFrame(benchmark::State& state, bool recording) {
    auto game = std::make_unique<Game>();
    System& system = *game->system;
    WorldState& world = *game->world;
    world.angleTable.Fill();
    world.diagnostic.gameStarted = true;
    system.sound.soundMode = SoundMode::kNone;
    platform::SystemCalendar calendar;

    const PlayState start = WorstPlayState();
    std::unique_ptr<Scenes> scenes;
    SceneFrames frames;
    // A fresh record now and then, so that its frames never outgrow what it
    // reserves at the start of a game (a real game ends long before).
    const auto fresh = [&] {
        scenes = std::make_unique<Scenes>(calendar);
        if (recording)
            scenes->RecordGames("bench", [](Game&, const Replay&) {});
        frames = scenes->Frames();
    };
    fresh();
    long allocations = 0;
    int count = 0;
    for (auto _ : state) {
        if (++count == 30000) {
            state.PauseTiming();
            fresh();
            count = 0;
            state.ResumeTiming();
        }
        scenes->playState() = start;
        world.fadeLevel = 0;
        world.fadeOutRequest = 0;
        world.fadeInRequest = 0;
        world.sceneState = SceneState::kPlay;
        const long before = gAllocations.load(std::memory_order_relaxed);
        frames.play(*game);
        allocations += gAllocations.load(std::memory_order_relaxed) - before;
        benchmark::DoNotOptimize(game->graphics->Vertices());
    }
    state.counters["allocations"] = static_cast<double>(allocations);
}
BENCHMARK_CAPTURE(BM_SceneFrame, plain, false)
    ->Name("BM_PlayFrame/scene")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SceneFrame, recording, true)
    ->Name("BM_PlayFrame/scene-recording")
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
