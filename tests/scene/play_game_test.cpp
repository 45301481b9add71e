// Whole games through PlayStep: what one frame draws, the game-over sequence
// from the fourth stuck lock to the ranking entry and the next game, a game
// played from the first frame to the ranking by a scripted player, and a
// million frames of random input that must never break the board.

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "input/InputSampler.h"
#include "play/Board.h"
#include "support/PlayRig.h"

namespace {

constexpr int32_t kLeft = InputSampler::kLeft, kRight = InputSampler::kRight,
                  kDown = InputSampler::kDown;

bool IsTile(const SpriteRequest& r) {
    return r.texture == 3 && r.width == 24;
}
bool IsGlyph(const SpriteRequest& r) {
    return r.texture == 6;
}
bool IsBar(const SpriteRequest& r) {
    return r.texture == 3 && r.width == 1280;
}
bool IsPicture(const SpriteRequest& r) {
    return r.texture == 2;
}
// The tile code a cell sprite shows.
int32_t TileCode(const SpriteRequest& r) {
    return (r.srcX - 192) / 8;
}
// The character a glyph sprite shows.
uint32_t GlyphChar(const SpriteRequest& r) {
    return static_cast<uint32_t>(r.srcX / 16 + r.srcY / 2);
}
// The characters of `count` glyphs from `first`, in slot order (they are submitted last slot
// first).
std::vector<uint32_t> Slots(const std::vector<SpriteRequest>& sprites, size_t first, int count) {
    std::vector<uint32_t> text(count);
    for (int k = 0; k < count; ++k)
        text[count - 1 - k] = GlyphChar(sprites[first + k]);
    return text;
}
std::vector<uint32_t> Chars(const char* text, int slots) {
    std::vector<uint32_t> chars(slots, 0);
    for (int k = 0; text[k] != 0; ++k)
        chars[k] = static_cast<unsigned char>(text[k]);
    return chars;
}

TEST(PlayScreenTest, OneFrameDrawsPreviewsAndPieceThenScoreAndLevelThenTheBoard) {
    PlayRig rig;  // queue 6, 1, 7, 6, 1, 7, 7, 1: a vertical I falls first
    rig.RecordSprites();
    rig.Frame();
    const auto& s = rig.sprites();
    ASSERT_EQ(s.size(), 16u * 6 + 4 + 11 + 10 + 360);
    EXPECT_EQ(rig.game.graphics->SpriteCount(), s.size());

    // Box cells 15..0: six previews each, then the piece's cell where it has one.
    const int32_t previewX[6] = {808, 952, 1096, 1096, 1096, 1096};
    const int32_t previewY[6] = {24, 24, 24, 168, 312, 456};
    size_t n = 0;
    for (int32_t i = 15; i >= 0; --i) {
        const int32_t dx = 24 * (i % 4), dy = 24 * (i / 4);
        for (int p = 0; p < 6; ++p, ++n) {
            ASSERT_TRUE(IsTile(s[n])) << n;
            EXPECT_EQ(s[n].x, previewX[p] + dx);
            EXPECT_EQ(s[n].y, previewY[p] + dy);
            EXPECT_EQ(TileCode(s[n]), ShapeTable[rig.play.queue[p + 1] + 1][0][i]);
        }
        if (i % 4 == 1) {  // the vertical I's column
            EXPECT_EQ(s[n].x, 496 + 96 + 24);
            EXPECT_EQ(s[n].y, dy);
            EXPECT_EQ(TileCode(s[n]), 7);
            ++n;
        }
    }
    // Score 0: nine spaces and the digit in slots 0..9, the digit at x 454.
    EXPECT_EQ(Slots(s, n, 11), Chars("         0", 11));
    EXPECT_EQ(s[n + 1].x, 454);
    EXPECT_EQ(s[n + 1].y, 24);
    n += 11;
    EXPECT_EQ(Slots(s, n, 10), Chars("Level  1", 10));
    EXPECT_EQ(s[n + 9].x, 298);
    EXPECT_EQ(s[n + 9].y, 120);
    n += 10;
    for (int32_t index = 0; index < 360; ++index, ++n) {
        ASSERT_TRUE(IsTile(s[n])) << index;
        EXPECT_EQ(s[n].x, 496 + 24 * (index % 12));
        EXPECT_EQ(s[n].y, 24 * (index / 12));
        EXPECT_EQ(TileCode(s[n]), rig.play.board[index]);
    }

    // Every request: zero-filled but for the fields each kind sets.
    for (const SpriteRequest& r : s) {
        EXPECT_EQ(r.scaleX, 1.0f);
        EXPECT_EQ(r.scaleY, 1.0f);
        EXPECT_EQ(r.color, 0xFFFFFFFFu);
        EXPECT_EQ(r.flip | static_cast<int32_t>(r.blendMode) | r.angleX | r.angleY | r.angleZ, 0);
        if (IsTile(r)) {
            EXPECT_EQ(r.height, 24);
            EXPECT_EQ(r.srcY, 256);
            EXPECT_EQ(r.srcWidth * 100 + r.srcHeight, 808);
            EXPECT_EQ(r.pivotX, 12.0f);
            EXPECT_EQ(r.pivotY, 12.0f);
        } else {
            EXPECT_EQ(r.width * 100 + r.height, 3264);
            EXPECT_EQ(r.srcWidth * 100 + r.srcHeight, 1632);
            EXPECT_EQ(r.pivotX, 0.0f);
        }
    }
}

TEST(PlayScreenTest, WhilePausedOnlyScoreLevelAndPauseAreDrawn) {
    PlayRig rig;
    rig.RecordSprites();
    rig.SetPaused(true);
    rig.Frame();
    const auto& s = rig.sprites();
    ASSERT_EQ(s.size(), 11u + 10 + 11);
    for (const SpriteRequest& r : s)
        EXPECT_TRUE(IsGlyph(r));
    EXPECT_EQ(Slots(s, 21, 11), Chars("P A U S E", 11));
    EXPECT_EQ(s[21 + 10].x, 568);
    EXPECT_EQ(s[21 + 10].y, 288);
}

TEST(PlayScreenTest, EveryGameOverBarIsSubmittedThenThePicture) {
    PlayRig rig;
    rig.RecordSprites();
    rig.Frame();
    rig.play.gameOverCounter = 300;
    rig.Frame();
    const auto& s = rig.sprites();
    ASSERT_EQ(s.size(), 481u + 300 + 1);
    EXPECT_EQ(rig.game.graphics->SpriteCount(), s.size());
    for (int j = 0; j < 300; ++j) {
        const SpriteRequest& bar = s[481 + j];
        ASSERT_TRUE(IsBar(bar));
        EXPECT_EQ(bar.x, 16);
        EXPECT_EQ(bar.y, 720 - 24 * j);
        EXPECT_EQ(bar.srcY * 1000 + bar.srcWidth, 248416);
    }
    const SpriteRequest& picture = s.back();
    ASSERT_TRUE(IsPicture(picture));
    EXPECT_EQ(picture.x * 1000 + picture.y, 220240);
    EXPECT_EQ(picture.width * 1000 + picture.height, 768132);
    EXPECT_EQ(picture.srcX * 1000 + picture.srcY, 255043);
    EXPECT_EQ(picture.srcWidth * 1000 + picture.srcHeight, 181043);
}

// Rows 3..27 stand full but for column 1, so every piece rests where it appears.
class GameOverTest : public ::testing::Test {
protected:
    GameOverTest() {
        rig.calendar.local = {7, 6, 5, 4, 3, 125, 2, 1, 0};  // 2025-04-04 05:06:07
        rig.world.sceneState = SceneState::kPlay;
        rig.StartGame();
        for (int32_t row = 3; row < 28; ++row)
            rig.FillRow(row, {1});
        rig.RecordSprites();
    }

    struct Seen {
        int32_t counter;  // gameOverCounter after the frame
        int bars;
        bool picture;
    };
    Seen Frame() {
        rig.Frame();
        Seen seen{rig.play.gameOverCounter, 0, false};
        for (const SpriteRequest& r : rig.sprites()) {
            seen.bars += IsBar(r) ? 1 : 0;
            seen.picture = seen.picture || IsPicture(r);
        }
        return seen;
    }

    PlayRig rig;
};

TEST_F(GameOverTest, FourStuckLocksRunTheSequenceToTheRankingAndANewGame) {
    // Four locks, 31 frames apart, with no falling frame between them. The
    // second piece stands over the first one's cells and is not refused.
    for (int lock = 1; lock <= 3; ++lock) {
        rig.Frames(31);
        EXPECT_EQ(rig.play.stuckLockCount, lock);
        EXPECT_EQ(rig.play.pieceY, 0);
    }
    EXPECT_EQ(rig.Cell(2, 5), 7);
    rig.Frames(30);
    EXPECT_EQ(rig.play.gameOverCounter, 0);
    Seen seen = Frame();      // frame 124: the fourth lock
    EXPECT_EQ(seen.bars, 1);  // the counter was 1 when the bars were drawn
    EXPECT_EQ(seen.counter, 2);
    const auto board = std::vector<int32_t>(rig.play.board, rig.play.board + 360);

    // Two a frame until the picture, one a frame after it; the fade starts
    // once past 256 and the game ends when the screen is black.
    int firstPicture = 0, fadeRequested = 0;
    while (rig.world.sceneState == SceneState::kPlay && rig.frame < 1000) {
        const int32_t before = rig.play.gameOverCounter;
        seen = Frame();
        if (rig.world.sceneState != SceneState::kPlay)
            break;
        EXPECT_EQ(seen.bars, seen.counter - 1);
        EXPECT_EQ(seen.counter - before, before < 33 ? 2 : 1) << rig.frame;
        EXPECT_EQ(seen.picture, seen.counter > 32) << rig.frame;
        if (seen.picture && firstPicture == 0)
            firstPicture = rig.frame;
        if (rig.world.fadeOutRequest != 0 && fadeRequested == 0) {
            fadeRequested = rig.frame;
            EXPECT_EQ(seen.counter, 257);
        }
        ASSERT_EQ(std::vector<int32_t>(rig.play.board, rig.play.board + 360), board)
            << "nothing locks during the sequence";
    }
    EXPECT_EQ(firstPicture, 140);
    EXPECT_EQ(fadeRequested, 363);
    EXPECT_EQ(rig.frame, fadeRequested + 51);

    // FinishGame: the ranking, the hand-over to the title, the start values.
    const RankingTable& ranking = rig.world.rankingTable;
    EXPECT_EQ(ranking.scores[0], 20 + 20 + 200 + 20);
    EXPECT_EQ(ranking.scores[1], 0);
    EXPECT_EQ(ranking.dates[0].year, 125);
    EXPECT_EQ(ranking.dates[0].second, 7);
    EXPECT_EQ(ranking.lastTime, 5489);
    EXPECT_EQ(rig.world.sceneState, SceneState::kTitle);
    EXPECT_EQ(rig.world.fadeLevel, 255);
    EXPECT_EQ(rig.world.fadeOutRequest, 0);
    EXPECT_EQ(rig.world.fadeInRequest, 1);
    EXPECT_EQ(rig.world.bgmSwitchRequest, 1);
    EXPECT_EQ(rig.world.bgmSelector, 0);
    EXPECT_EQ(rig.system.music.bgmTrack, 0);
    EXPECT_EQ(rig.system.music.bgmRestart, 0);
    const PlayState fresh;
    EXPECT_EQ(std::memcmp(&rig.play, &fresh, sizeof fresh), 0);

    // The next game, a second later: score 0, level 1, an empty board, a new queue.
    rig.world.sceneState = SceneState::kPlay;
    rig.calendar.now = 5490;
    Frame();
    EXPECT_EQ(rig.play.started, 1);
    EXPECT_EQ(rig.play.score, 0u);
    EXPECT_EQ(rig.play.stuckLockCount, 0);
    const int32_t queue[8] = {4, 5, 0, 3, 1, 6, 1, 5};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(rig.play.queue[i], queue[i]) << i;
    for (int32_t row = 0; row < 28; ++row)
        for (int32_t column = 1; column <= 10; ++column)
            ASSERT_EQ(rig.Cell(row, column), 0) << row << "," << column;
    // A J falls first: 96 preview tiles, its 4 cells, then the score.
    EXPECT_EQ(Slots(rig.sprites(), 96 + 4 + 11, 10), Chars("Level  1", 10));
}

// Board and piece invariants that hold after every frame of a running game.
testing::AssertionResult BoardIntact(const PlayState& play) {
    for (int32_t index = 0; index < 360; ++index) {
        const int32_t row = index / 12, column = index % 12;
        const int32_t code = play.board[index];
        if (code < 0 || code > 9)
            return testing::AssertionFailure() << "code " << code << " at " << row << "," << column;
        const bool wall = (row <= 28 && (column == 0 || column == 11)) || row == 28;
        if (wall && code != 9)
            return testing::AssertionFailure() << "wall broken at " << row << "," << column;
        if (row == 29 && code != 0)
            return testing::AssertionFailure() << "row 29 written at column " << column;
    }
    if (play.queue[0] < 0 || play.queue[0] > 7 || play.rotation < 0 || play.rotation > 3)
        return testing::AssertionFailure() << "piece " << play.queue[0] << "/" << play.rotation;
    if (play.pieceX < 0 || play.pieceY < 0 || play.pieceX % 24 != 0 || play.pieceY % 24 != 0)
        return testing::AssertionFailure() << "box at " << play.pieceX << "," << play.pieceY;
    const int32_t column0 = play.pieceX / 24, row0 = play.pieceY / 24;
    if (column0 + 3 > 12 || row0 + 3 > 28)
        return testing::AssertionFailure() << "box at column " << column0 << ", row " << row0;
    const ShapeBox& shape = ShapeTable[play.queue[0] + 1][play.rotation];
    for (int32_t i = 0; i < 16; ++i) {
        const int32_t column = column0 + i % 4, row = row0 + i / 4;
        if (shape[i] != 0 && (column < 1 || column > 10 || row > 27))
            return testing::AssertionFailure() << "piece cell at " << row << "," << column;
    }
    return testing::AssertionSuccess();
}

TEST(PlayGameTest, AScriptedPlayerPlaysAWholeGameToTheRanking) {
    // The calendar stands still, so after the opening queue every piece is
    // a vertical I. The player spreads the opening, then stands the I pieces
    // in columns 1..10 in turn (four rows go at a time once the mess below is
    // covered), then drops everything in the middle until the stack is stuck.
    PlayRig rig;
    rig.world.sceneState = SceneState::kPlay;
    const int32_t openingBox[8] = {0, 2, 4, 5, 6, 8, 9, 2};
    int pieces = 0;
    uint32_t score = 0;
    while (rig.world.sceneState == SceneState::kPlay && rig.frame < 20000) {
        int32_t target = 4;
        if (pieces < 8)
            target = openingBox[pieces];
        else if (pieces < 58)
            target = (pieces - 8) % 10;
        const int32_t box = rig.play.pieceX / 24;
        int32_t dir = kDown;
        if (box != target)  // tap: a move needs a frame with neither direction held before it
            dir = rig.frame % 2 == 0 ? 0 : (box > target ? kLeft : kRight);
        rig.Frame(dir);
        if (rig.world.sceneState == SceneState::kPlay) {
            ASSERT_TRUE(BoardIntact(rig.play)) << "frame " << rig.frame;
            if (rig.play.score >= score + 20)
                ++pieces;
            score = rig.play.score;
        }
    }
    ASSERT_EQ(rig.world.sceneState, SceneState::kTitle) << "the game did not end";
    // The game as played: 66 locks, four clears of four rows, all at the first level.
    EXPECT_EQ(pieces, 66);
    EXPECT_EQ(rig.frame, 5967);
    EXPECT_EQ(rig.Effects(11), 4u);
    EXPECT_EQ(rig.Effects(14), 0u);
    EXPECT_EQ(score, 9372u);
    EXPECT_EQ(rig.world.rankingTable.scores[0], static_cast<int32_t>(score));
    EXPECT_EQ(rig.world.rankingTable.lastTime, 5489);
}

// A million frames in all, in four runs that can go side by side: random held
// bits, held for 1..8 frames, the pause toggling now and then, the calendar
// ticking every 60 frames, and games finishing through the fade.
// Under AddressSanitizer one run takes about 40 s of processor time, nearly
// all of it in the sprite list.
class RandomInputTest : public ::testing::TestWithParam<uint32_t> {};
constexpr int kFramesPerRun = 250'000;

TEST_P(RandomInputTest, AQuarterMillionFramesNeverBreakTheBoard) {
    std::mt19937 random(GetParam());
    PlayRig rig(1'700'000'000);
    rig.world.sceneState = SceneState::kPlay;
    int32_t dirBits = 0, buttonBits = 0;
    int hold = 0, games = 0;
    for (int frame = 0; frame < kFramesPerRun; ++frame) {
        if (--hold <= 0) {
            dirBits = static_cast<int32_t>(random() & 15);
            buttonBits = static_cast<int32_t>(random() & 15);
            hold = 1 + static_cast<int>(random() % 8);
        }
        if (random() % 600 == 0)
            rig.SetPaused(!rig.Paused());
        if (frame % 60 == 0)
            ++rig.calendar.now;
        rig.Frame(dirBits, buttonBits);
        if (rig.world.sceneState != SceneState::kPlay) {
            ++games;
            rig.world.sceneState = SceneState::kPlay;
            continue;
        }
        ASSERT_TRUE(BoardIntact(rig.play)) << "frame " << frame;
    }
    EXPECT_GE(games, 5);
}

INSTANTIATE_TEST_SUITE_P(FourSeeds, RandomInputTest, ::testing::Values(11u, 22u, 33u, 44u));

}  // namespace
