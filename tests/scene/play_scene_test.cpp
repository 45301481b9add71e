// The play-scene frame, frame by frame through the scene frames the program
// wires up: the pause cycle and its sound, the screen fade, the music switch,
// and the frame's fixed drawing around the rules of play.

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/Game.h"
#include "app/Scenes.h"
#include "audio/Audio.h"
#include "graphics/Quads.h"
#include "input/InputSampler.h"
#include "support/FakePlatform.h"
#include "support/SpriteLog.h"
#include "world/System.h"
#include "world/WorldState.h"

namespace {

using Phase = WindowPhase;

using Fields = SpriteFields;

Fields Quad(int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcX, int32_t srcY, int32_t srcW,
            int32_t srcH, uint32_t color, int32_t texture) {
    return QuadFields(x, y, w, h, srcX, srcY, srcW, srcH, color, texture);
}

class PlaySceneTest : public ::testing::Test {
protected:
    PlaySceneTest() {
        game.LinkObjects(fake.gpu, fake.window);
        sys().sound.soundMode = SoundMode::kNone;  // effects are still counted when asked for
        world().sceneState = SceneState::kPlay;
        frames = scenes.Frames();
    }

    System& sys() { return *game.system; }
    WorldState& world() { return *game.world; }
    MenuState& menu() { return game.world->menuState; }

    void Frame() {
        log.Clear();
        frames.play(game);
    }
    void Frames(int n) {
        for (int i = 0; i < n; ++i)
            Frame();
    }
    void HoldPause(bool held) { sys().inputState.buttonBits = held ? InputSampler::kPause : 0; }

    FakePlatform fake;
    Game game;
    Scenes scenes{fake.calendar};
    SceneFrames frames;
    SpriteLog log{*game.graphics};
};

TEST_F(PlaySceneTest, HoldingPauseOpensOverNineFramesWithOneSoundThenWaitsForRelease) {
    HoldPause(true);
    for (int frame = 1; frame <= 8; ++frame) {
        Frame();
        EXPECT_EQ(menu().pauseState, Phase::kOpening) << "frame " << frame;
        EXPECT_EQ(menu().pauseAnim, frame) << "frame " << frame;
        EXPECT_EQ(menu().paused, 1);
    }
    Frame();
    EXPECT_EQ(menu().pauseState, Phase::kOpenHeld);
    EXPECT_EQ(menu().pauseAnim, 8);
    Frames(30);
    EXPECT_EQ(menu().pauseState, Phase::kOpenHeld);
    EXPECT_EQ(game.audio->effects().requests(0), 1u);

    HoldPause(false);
    Frames(3);
    EXPECT_EQ(menu().pauseState, Phase::kActive);
    EXPECT_EQ(menu().paused, 1);

    // The second press closes over nine frames, silently.
    HoldPause(true);
    for (int frame = 1; frame <= 8; ++frame) {
        Frame();
        EXPECT_EQ(menu().pauseState, Phase::kClosing) << "frame " << frame;
        EXPECT_EQ(menu().pauseAnim, 8 - frame) << "frame " << frame;
        EXPECT_EQ(menu().paused, 0);
    }
    Frame();
    EXPECT_EQ(menu().pauseState, Phase::kClosedHeld);
    Frames(5);
    EXPECT_EQ(menu().pauseState, Phase::kClosedHeld);
    EXPECT_EQ(game.audio->effects().requests(0), 1u);

    // Released, the next press opens the pause again, with its sound.
    HoldPause(false);
    Frame();
    EXPECT_EQ(menu().pauseState, Phase::kIdle);
    HoldPause(true);
    Frame();
    EXPECT_EQ(menu().pauseState, Phase::kOpening);
    EXPECT_EQ(game.audio->effects().requests(0), 2u);
}

TEST_F(PlaySceneTest, ClosingIsRefusedWhileTheTitleOrAWindowIsBusy) {
    for (WindowPhase MenuState::*busy : {&MenuState::titleState, &MenuState::windowState}) {
        menu() = MenuState{};
        menu().pauseState = Phase::kActive;
        menu().pauseAnim = 8;
        menu().paused = 1;
        menu().*busy = Phase::kOpening;
        HoldPause(true);
        Frames(3);
        EXPECT_EQ(menu().pauseState, Phase::kActive);
        EXPECT_EQ(menu().pauseAnim, 8);
        EXPECT_EQ(menu().paused, 1);

        // A closing already under way stands still as well.
        menu().pauseState = Phase::kClosing;
        menu().pauseAnim = 5;
        Frames(3);
        EXPECT_EQ(menu().pauseState, Phase::kClosing);
        EXPECT_EQ(menu().pauseAnim, 5);

        menu().*busy = Phase::kIdle;
        Frame();
        EXPECT_EQ(menu().pauseAnim, 4);
    }
}

TEST_F(PlaySceneTest, AFadeOutHoldsBlackUntilAFadeInClearsBothRequestsAtZero) {
    auto overlayColor = [this] { return log.requests[log.requests.size() - 41].color; };
    world().fadeOutRequest = 1;
    Frames(50);
    EXPECT_EQ(world().fadeLevel, 250);
    Frame();
    EXPECT_EQ(world().fadeLevel, 255);
    Frames(100);
    EXPECT_EQ(world().fadeLevel, 255);
    EXPECT_EQ(world().fadeOutRequest, 1);
    EXPECT_EQ(overlayColor(), 0xFFFFFFFFu);

    // The game asks for a fade-in by clearing the one request and setting the other.
    world().fadeOutRequest = 0;
    world().fadeInRequest = 1;
    Frame();
    EXPECT_EQ(world().fadeLevel, 250);
    EXPECT_EQ(overlayColor(), 0xFAFFFFFFu);
    Frames(50);
    EXPECT_EQ(world().fadeLevel, 0);
    EXPECT_EQ(world().fadeInRequest, 1);
    Frame();
    EXPECT_EQ(world().fadeLevel, 0);
    EXPECT_EQ(world().fadeOutRequest, 0);
    EXPECT_EQ(world().fadeInRequest, 0);
    EXPECT_EQ(overlayColor(), 0x00FFFFFFu);
}

TEST_F(PlaySceneTest, APendingMusicSwitchIsServedOnce) {
    world().bgmSwitchRequest = 1;
    world().bgmSelector = 0;
    sys().music.bgmTrack = 0;
    Frame();
    EXPECT_EQ(sys().music.bgmTrack, MusicStreamer::kPlayTrack);
    EXPECT_EQ(sys().music.bgmPreviousTrack, 0);
    EXPECT_EQ(world().bgmSwitchRequest, 0);
    sys().music.bgmTrack = 3;  // no request: the track is left alone
    Frame();
    EXPECT_EQ(sys().music.bgmTrack, 3);
}

TEST_F(PlaySceneTest, TheFrameOpensWithTheBackgroundAndEndsWithFadeMasksAndDiagnosticLine) {
    struct Case {
        bool gameStarted;
        const char* text;  // the 36 characters shown
    };
    const Case cases[] = {
        {false, "        0        0        0        0"},
        {true, "     1296        0        0        0"},
    };
    for (const Case& c : cases) {
        world().diagnostic.gameStarted = c.gameStarted;
        world().fadeLevel = 0x55;
        Frame();
        const auto& r = log.requests;
        ASSERT_GE(r.size(), 42u);
        EXPECT_EQ(FieldsOf(r[0]), Quad(16, 0, 1536, 768, 0, 0, 512, 256, 0xFFFFFFFFu, 3));

        const size_t tail = r.size() - 41;
        EXPECT_EQ(FieldsOf(r[tail]), Quad(0, 0, 1280, 720, 32, 0, 16, 16, 0x55FFFFFFu, 120));
        const Fields masks[4] = {
            Quad(-256, -256, 1760, 256, 32, 0, 16, 16, 0xFFFFFFFFu, 120),
            Quad(-256, 720, 1760, 256, 32, 0, 16, 16, 0xFFFFFFFFu, 120),
            Quad(-240, -256, 256, 1232, 32, 0, 16, 16, 0xFFFFFFFFu, 120),
            Quad(1264, -256, 256, 1232, 32, 0, 16, 16, 0xFFFFFFFFu, 120),
        };
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(FieldsOf(r[tail + 1 + i]), masks[i]) << "mask " << i;

        std::string shown;
        for (int k = 0; k < 36; ++k) {
            const SpriteRequest& g = r[tail + 5 + k];
            const int c16 = g.srcX / 16 + g.srcY / 2;  // the glyph's character code
            shown += static_cast<char>(c16);
            EXPECT_EQ(FieldsOf(g), Quad(10 * k, 720, 16, 32, (c16 & 0x0F) * 16, (c16 & 0xF0) * 2,
                                        16, 32, 0xFFFFFFFFu, 6))
                << "glyph " << k;
        }
        EXPECT_EQ(shown, c.text);
    }
}

}  // namespace
