// A million frames of the real scene code through RunGame, on the fake
// platform, with seeded random keys: games from the title, the ranking and
// options windows (every option may change, the display mode and the timer
// included), the pause. Cheap invariants are checked after every frame. It
// takes minutes, so it is disabled; run it by hand, best under the sanitizers:
//   tessary_tests --gtest_also_run_disabled_tests --gtest_filter='*SceneSoak*'

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>

#include "app/Game.h"
#include "app/Scenes.h"
#include "app/Startup.h"
#include "graphics/Graphics.h"
#include "input/InputSampler.h"
#include "play/Board.h"
#include "play/PlayState.h"
#include "scenes/TitleScene.h"
#include "support/DataFolder.h"
#include "support/FakePlatform.h"
#include "support/TempFolder.h"
#include "world/System.h"
#include "world/WorldState.h"

namespace {

using Phase = WindowPhase;

using platform::Control;

constexpr int kFrames = 1'000'000;

bool Within(int32_t value, int32_t low, int32_t high) {
    return value >= low && value <= high;
}

// The board of a game in progress: codes 0..9, walls and floor whole, the row
// below the floor empty, and the falling piece inside the walls.
testing::AssertionResult BoardIntact(const PlayState& play) {
    for (int32_t index = 0; index < PlayState::kCells; ++index) {
        const int32_t row = index / PlayState::kColumns, column = index % PlayState::kColumns;
        const int32_t code = play.board[index];
        const bool wall = row == 28 || (row < 28 && (column == 0 || column == 11));
        if (!Within(code, 0, 9) || (wall && code != 9) || (row == 29 && code != 0))
            return testing::AssertionFailure() << "code " << code << " at " << row << "," << column;
    }
    if (!Within(play.queue[0], 0, 7) || !Within(play.rotation, 0, 3))
        return testing::AssertionFailure() << "piece " << play.queue[0] << "/" << play.rotation;
    if (play.pieceX < 0 || play.pieceY < 0 || play.pieceX % 24 != 0 || play.pieceY % 24 != 0)
        return testing::AssertionFailure() << "box at " << play.pieceX << "," << play.pieceY;
    const ShapeBox& shape = ShapeTable[play.queue[0] + 1][play.rotation];
    for (int32_t i = 0; i < PlayState::kBoxCells; ++i) {
        const int32_t column = play.pieceX / 24 + i % 4, row = play.pieceY / 24 + i / 4;
        if (shape[i] != 0 && (!Within(column, 1, 10) || row > 27))
            return testing::AssertionFailure() << "piece cell at " << row << "," << column;
    }
    if (!Within(play.level, 0, 9))
        return testing::AssertionFailure() << "level " << play.level;
    return testing::AssertionSuccess();
}

// The records between two frames: every state machine in one of its states,
// every setting in its range, the ranking in order, the sprite list never full.
testing::AssertionResult RecordsIntact(const Game& game) {
    const System& system = *game.system;
    const WorldState& world = *game.world;
    const MenuState& m = world.menuState;
    if (world.sceneState != SceneState::kTitle && world.sceneState != SceneState::kPlay)
        return testing::AssertionFailure()
               << "scene state " << static_cast<int32_t>(world.sceneState);
    const auto phase = [](WindowPhase p) {
        return static_cast<int32_t>(p);
    };
    const int32_t closedHeld = phase(Phase::kClosedHeld);
    if (!Within(phase(m.titleState), 0, closedHeld) ||
        !Within(phase(m.windowState), 0, closedHeld) ||
        !Within(phase(m.pauseState), 0, closedHeld) || !Within(m.titleAnim, 0, 8) || !Within(m.windowAnim, 0, 8) ||
        !Within(m.pauseAnim, 0, 8) || !Within(m.mainCursor, 0, 2) || !Within(m.optionRow, 0, 10))
        return testing::AssertionFailure()
               << "menu " << phase(m.titleState) << "/" << phase(m.windowState) << "/"
               << phase(m.pauseState)
               << " anims " << m.titleAnim << "/" << m.windowAnim << "/" << m.pauseAnim
               << " cursor " << m.mainCursor << " row " << m.optionRow;
    if (world.fadeLevel % 5 != 0 || !Within(world.colorIndex, 0, 9))
        return testing::AssertionFailure()
               << "fade " << int{world.fadeLevel} << " colour " << world.colorIndex;
    if (!Within(static_cast<int32_t>(system.display.timerMode), 0, 3) ||
        !Within(system.display.screenMode, 0, 1) || !Within(system.sound.bgmVolume, 0, 10000) ||
        !Within(system.sound.seVolume, 0, 10000))
        return testing::AssertionFailure()
               << "timer " << static_cast<int32_t>(system.display.timerMode) << " screen "
               << system.display.screenMode << " volumes " << system.sound.bgmVolume << "/"
               << system.sound.seVolume;
    const Display& d = system.display;
    if (!Within(d.screenModeChoice, 0, 1) || !Within(d.vsync, 0, 1) || !Within(d.frameSkip, 0, 1))
        return testing::AssertionFailure() << "switches " << d.screenModeChoice << "/" << d.vsync
                                           << "/" << d.frameSkip;
    for (int32_t i = 0; i < 4; ++i) {
        if (!Within(system.settings.buttonMap[i], 0, 9))
            return testing::AssertionFailure()
                   << "button " << i << " " << int{system.settings.buttonMap[i]};
    }
    const int32_t lastValue[] = {1, 1, 3, 1, 20, 20, 9, 9, 9, 9, 9};
    for (int32_t row = 0; row < 11; ++row) {
        const Settings::WaitingValue& w = system.settings.waitingOptionValues[row];
        if (w.waiting && !Within(w.value, 0, lastValue[row]))
            return testing::AssertionFailure() << "row " << row << " waits with " << w.value;
    }
    for (int32_t i = 1; i < 10; ++i) {
        if (world.rankingTable.scores[i] > world.rankingTable.scores[i - 1])
            return testing::AssertionFailure() << "ranking out of order at place " << i + 1;
    }
    if (game.graphics->SpriteCount() >= Graphics::kMaxVisible)
        return testing::AssertionFailure() << "sprite list full: " << game.graphics->SpriteCount();
    return testing::AssertionSuccess();
}

// Random keys, each choice held for a few frames: on the title mostly the
// cursor, DECISION and the value keys; in play mostly the soft drop, so that
// games end, with shifts, turns and now and then the pause.
class RandomPlayer {
public:
    explicit RandomPlayer(uint32_t seed) : random_(seed) {}

    void NextFrame(ScriptedKeyboard& keys, bool inPlay, bool paused) {
        if (--hold_ > 0)
            return;
        keys.ReleaseAll();
        const uint32_t r = random_() % 100;
        hold_ = 1 + static_cast<int>(random_() % 6);
        if (paused) {
            // A pause is left again after a few choices.
            if (r < 20)
                keys.Hold(Control::kPause);
        } else if (inPlay) {
            if (r < 40) {
                keys.Hold(Control::kDown);
                hold_ += static_cast<int>(random_() % 30);
            } else if (r < 55) {
                keys.Hold(Control::kLeft);
            } else if (r < 70) {
                keys.Hold(Control::kRight);
            } else if (r < 80) {
                keys.Hold(Pick({Control::kDecision, Control::kDecision, Control::kUp}));  // Z C Up
            } else if (r < 87) {
                keys.Hold(Control::kCancellation);
            } else if (r < 88) {
                keys.Hold(Control::kPause);
            } else if (r < 89) {
                keys.Hold(Control::kShift);
            }
        } else {
            if (r < 25) {
                keys.Hold(Control::kDown);
            } else if (r < 35) {
                keys.Hold(Control::kUp);
            } else if (r < 55) {
                keys.Hold(Pick({Control::kDecision, Control::kDecision}));  // Z or C
            } else if (r < 65) {
                keys.Hold(Control::kLeft);
            } else if (r < 75) {
                keys.Hold(Control::kRight);
            } else if (r < 78) {
                keys.Hold(Pick({Control::kCancellation, Control::kPause, Control::kShift}));
            }
        }
    }

private:
    Control Pick(std::initializer_list<Control> keys) {
        return keys.begin()[random_() % keys.size()];
    }

    std::mt19937 random_;
    int hold_ = 0;
};

struct Counts {
    int games = 0;
    int rankingVisits = 0;
    int optionsVisits = 0;
    int pauses = 0;
    int displaySwitches = 0;
    int timerChanges = 0;
    uint32_t mostSprites = 0;
};

TEST(DISABLED_SceneSoak, MillionFramesThroughTitleGamesAndWindows) {
    TempFolder folder;
    folder.Write("dir.txt", {0xFF, 0xFE, 'd', 0, 'a', 0, 't', 0, 'a', 0, '\\', 0});
    testdata::WriteDataFolder(folder);

    FakePlatform fake;
    fake.process.executable = folder.Path("tessary");
    fake.calendar.now = 1'743'743'167;
    // A busy-waiting timer mode polls the counter until the frame is over:
    // coarser steps keep each frame's wait to a few hundred reads.
    fake.clock.counterReadCostUs = 100;
    Scenes scenes(fake.calendar);
    const SceneFrames real = scenes.Frames();
    RandomPlayer player(20'240'601);
    Counts counts;
    int frames = 0;
    bool closing = false;
    // The fields compared with the previous frame.
    SceneState sceneBefore = SceneState::kTitle;
    TimerMode timerBefore = TimerMode::kMillisecondClock;
    int32_t screenBefore = 0;
    MenuState menuBefore;

    const auto report = [&](const char* when) {
        std::printf(
            "scene soak, %s: %d frames, %d games, %d ranking and %d options visits, %d "
            "pauses, %d display-mode and %d timer changes, at most %u sprites a frame\n",
            when, frames, counts.games, counts.rankingVisits, counts.optionsVisits, counts.pauses,
            counts.displaySwitches, counts.timerChanges, counts.mostSprites);
        std::fflush(stdout);
    };
    const auto close = [&] {
        closing = true;
        fake.keyboard.ReleaseAll();
        fake.window.PostEvent({platform::WindowEvent::Kind::kEscapePressed});
    };
    const auto afterFrame = [&](Game& game) {
        if (closing)
            return;
        ++frames;
        const WorldState& world = *game.world;
        const MenuState& m = world.menuState;
        const PlayState& play = scenes.playState();
        testing::AssertionResult intact = RecordsIntact(game);
        if (intact && world.sceneState == SceneState::kPlay && play.started != 0)
            intact = BoardIntact(play);
        if (!intact) {
            ADD_FAILURE() << "frame " << frames << ": " << intact.message();
            close();
            return;
        }
        if (sceneBefore == SceneState::kPlay && world.sceneState == SceneState::kTitle)
            ++counts.games;
        if (menuBefore.windowState == Phase::kIdle && m.windowState == Phase::kOpening)
            ++(m.mainCursor == 1 ? counts.rankingVisits : counts.optionsVisits);
        if (world.sceneState == SceneState::kPlay && menuBefore.pauseState == Phase::kIdle &&
            m.pauseState == Phase::kOpening)
            ++counts.pauses;
        counts.displaySwitches += game.system->display.screenMode != screenBefore;
        counts.timerChanges += game.system->display.timerMode != timerBefore;
        counts.mostSprites = std::max(counts.mostSprites, game.graphics->SpriteCount());
        sceneBefore = world.sceneState;
        menuBefore = m;
        timerBefore = game.system->display.timerMode;
        screenBefore = game.system->display.screenMode;
        if (frames % 60 == 0)
            ++fake.calendar.now;

        if (frames % 100'000 == 0 && frames < kFrames)
            report("so far");
        if (frames >= kFrames) {
            close();
            return;
        }
        player.NextFrame(fake.keyboard, world.sceneState == SceneState::kPlay,
                         world.sceneState == SceneState::kPlay && m.paused != 0);
    };
    SceneFrames watched;
    watched.title = [&](Game& game) {
        real.title(game);
        afterFrame(game);
    };
    watched.play = [&](Game& game) {
        real.play(game);
        afterFrame(game);
    };

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RunGame(fake.platform, watched), 0);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    char when[64];
    std::snprintf(when, sizeof when, "%.0f s, %.0f frames a second", seconds, frames / seconds);
    report(when);

    EXPECT_EQ(frames, kFrames);
    EXPECT_TRUE(fake.dialogs.shown.empty());
    EXPECT_TRUE(folder.Exists("Game.ini"));
    // The run went everywhere it was meant to.
    EXPECT_GE(counts.games, 20);
    EXPECT_GE(counts.rankingVisits, 20);
    EXPECT_GE(counts.optionsVisits, 20);
    EXPECT_GE(counts.pauses, 20);
}

}  // namespace
