// The screens a player sees, rendered with the real scene code, the real
// pictures and the real GL device on the offscreen video driver: the title,
// the ranking and options windows, a game in play, the pause and game over.
//
// They are written to <build>/assets-render/screens/, or to the folder named
// by TESSARY_SCREENS_DIR (scripts/update-screenshots.sh points it at
// docs/screens/ for the README). The end-to-end tests compare with their own
// copies in tests/e2e/golden/, which neither this test nor that script
// touches.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/Game.h"
#include "graphics_test_util.h"
#include "input/InputSampler.h"
#include "menu/MenuDrawing.h"
#include "play/PlayState.h"
#include "scenes/PlayScene.h"
#include "scenes/TitleScene.h"
#include "support/SceneRenderRig.h"
#include "support/ScriptedClock.h"
#include "world/System.h"
#include "world/WorldState.h"

namespace {

namespace fs = std::filesystem;

const fs::path kDataFolder = TESSARY_GAME_DATA_DIR;
constexpr int kWidth = SceneRenderRig::kWidth, kHeight = SceneRenderRig::kHeight;

fs::path ScreensFolder() {
    if (const char* folder = std::getenv("TESSARY_SCREENS_DIR"))
        return folder;
    return (kDataFolder / ".." / ".." / "assets-render" / "screens").lexically_normal();
}

class ReadmeScreens : public ::testing::Test {
protected:
    void SetUp() override {
        BEGIN_RIG_OR_SKIP(rig);
        calendar.now = 1'796'000'000;
        calendar.local = {12, 34, 20, 7, 11, 126, 1, 340, 0};  // 2026-12-07 20:34:12
    }

    void Title(int frames, int32_t dirBits = 0, int32_t buttonBits = 0) {
        for (int i = 0; i < frames; ++i) {
            game.system->inputState.dirBits = dirBits;
            game.system->inputState.buttonBits = buttonBits;
            RunTitleSceneFrame(game.Links());
        }
    }
    void Play(int frames, int32_t dirBits = 0, int32_t buttonBits = 0) {
        for (int i = 0; i < frames; ++i) {
            game.system->inputState.dirBits = dirBits;
            game.system->inputState.buttonBits = buttonBits;
            RunPlaySceneFrame(game.Links(), play, calendar);
            if (++frame_ % 60 == 0)
                ++calendar.now;  // the generator draws from the second
        }
    }
    // Opens the window of the title item `item` (1 ranking, 2 options).
    void OpenWindow(int item) {
        Title(20);
        for (int i = 0; i < item; ++i) {
            Title(1, InputSampler::kDown);
            Title(1);
        }
        Title(1, 0, InputSampler::kDecision);
        Title(12);
    }
    // Saves the frame; a screen must show more than a few colours.
    void Save(const std::string& name) {
        const std::vector<uint8_t> rgb = rig.Render();
        ASSERT_FALSE(rgb.empty());
        size_t lit = 0;
        for (size_t i = 0; i < rgb.size(); i += 3)
            lit += rgb[i] + rgb[i + 1] + rgb[i + 2] > 60 ? 1 : 0;
        EXPECT_GT(lit, rgb.size() / 3 / 10) << name << " is mostly black";
        fs::create_directories(ScreensFolder());
        EXPECT_TRUE(WriteScreenshot((ScreensFolder() / name).string(), rgb, kWidth, kHeight));
    }

    SceneRenderRig rig;
    Game& game = rig.game;
    PlayState play;
    FixedCalendar calendar;
    int frame_ = 0;
};

TEST_F(ReadmeScreens, TitleAndWindows) {
    Title(24);
    Save("title.png");

    RankingTable& table = game.world->rankingTable;
    const int scores[] = {48'210, 31'455, 27'020, 19'880, 12'340, 9'372, 6'120, 2'260, 880, 240};
    for (int r = 0; r < 10; ++r) {
        table.scores[r] = scores[r];
        table.dates[r] = {(7 * r) % 60, (13 * r + 5) % 60, 18 + r % 5, 1 + r, 11, 126, 0, 0, 0};
    }
    OpenWindow(1);
    Save("ranking.png");

    Title(1, 0, InputSampler::kDecision);  // close it again
    Title(20);
    game.system->sound.bgmVolume = 7000;
    game.system->sound.seVolume = 8500;
    Title(1, InputSampler::kDown);  // from ranking to options
    Title(1);
    Title(1, 0, InputSampler::kDecision);
    Title(12);
    Title(1, InputSampler::kDown);  // select the vertical-sync row
    Title(6);
    Save("options.png");
}

TEST_F(ReadmeScreens, PlayPauseAndGameOver) {
    // A game played for a while by a simple player: each piece is nudged to
    // a column of its own, sometimes turned, and dropped.
    int piece = 0;
    uint32_t previousScore = 0;
    for (int frame = 0; frame < 20000; ++frame) {
        if (play.score >= previousScore + 20)  // a lock scores 20 or more, a dropped row 1
            ++piece;
        previousScore = play.score;
        const int target = 24 * ((piece * 3) % 8) - 24;
        int32_t dir = InputSampler::kDown;
        if (play.pieceY < 96 && play.pieceX != target)
            dir = frame % 2 != 0         ? 0
                  : play.pieceX > target ? InputSampler::kLeft
                                         : InputSampler::kRight;
        const bool turn = piece % 3 == 0 && play.pieceY == 24 && frame % 2 == 0;
        Play(1, dir, turn ? InputSampler::kDecision : 0);
        if (piece >= 14 && play.pieceY == 120) {
            Save("play.png");
            Play(12, 0, InputSampler::kPause);
            Save("pause.png");
            Play(1);
            Play(12, 0, InputSampler::kPause);
            Play(2);
            break;
        }
    }
    ASSERT_EQ(game.world->menuState.paused, 0);
    // Then the stack is let to grow to the top.
    for (int frame = 0; frame < 20000 && play.gameOverCounter <= 60; ++frame)
        Play(1, InputSampler::kDown);
    ASSERT_GT(play.gameOverCounter, 60);
    Save("game-over.png");
}

}  // namespace
