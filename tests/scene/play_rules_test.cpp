// The rules of play frame by frame through PlayStep: gravity and the soft
// drop, sideways moves with auto-repeat, turns and their latches, the lock
// delay and the lock, and the generator's seed per frame.

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>
#include <vector>

#include "input/InputSampler.h"
#include "support/PlayRig.h"

namespace {

constexpr int32_t kLeft = InputSampler::kLeft, kRight = InputSampler::kRight,
                  kDown = InputSampler::kDown;
constexpr int32_t kCw = InputSampler::kDecision, kCcw = InputSampler::kCancellation;
constexpr int32_t kL = 3, kO = 5, kI = 6, kSingle = 7;

// The frames (1-based) in which `value` changed while holding the bits for `frames` frames.
template <typename Read>
std::vector<int> ChangeFrames(PlayRig& rig, int frames, int32_t dirBits, int32_t buttonBits,
                              Read read) {
    std::vector<int> changes;
    for (int i = 0; i < frames; ++i) {
        const int32_t before = read();
        rig.Frame(dirBits, buttonBits);
        if (read() != before)
            changes.push_back(rig.frame);
    }
    return changes;
}

TEST(PlayRulesTest, GravityFallsOneRowEachTimeTheTimerPassesTheLevelsLimit) {
    // The first game's first piece is a vertical I, with room to fall.
    for (auto [level, period] : {std::pair{0, 61}, {4, 37}, {9, 7}}) {
        SCOPED_TRACE(level);
        PlayRig rig;
        rig.play.level = level;
        const auto falls = ChangeFrames(rig, 3 * period, 0, 0, [&] { return rig.play.pieceY; });
        EXPECT_EQ(falls, (std::vector<int>{period, 2 * period, 3 * period}));
        EXPECT_EQ(rig.play.pieceY, 72);
    }
}

TEST(PlayRulesTest, SoftDropFallsEveryThirdFrameForAPointAndGravityRestartsAfterIt) {
    PlayRig rig;
    auto pieceY = [&] { return rig.play.pieceY; };
    EXPECT_EQ(ChangeFrames(rig, 9, kDown, 0, pieceY), (std::vector<int>{3, 6, 9}));
    EXPECT_EQ(rig.play.score, 3u);
    // Released on frame 10: gravity counts from 0 again.
    EXPECT_EQ(ChangeFrames(rig, 61, 0, 0, pieceY), (std::vector<int>{70}));
    EXPECT_EQ(rig.play.score, 3u);
}

TEST(PlayRulesTest, HeldLeftMovesAtOnceThenAfter24FramesThenEveryThirdUntilTheWall) {
    PlayRig rig;
    const auto moves = ChangeFrames(rig, 60, kLeft, 0, [&] { return rig.play.pieceX; });
    EXPECT_EQ(moves, (std::vector<int>{1, 25, 28, 31}));
    EXPECT_EQ(rig.play.pieceX, 0);  // the I's cells stand in column 1
}

TEST(PlayRulesTest, LeftWinsOverRightAndDecisionHoldsSidewaysMovesBack) {
    PlayRig rig;
    rig.Frame(kLeft | kRight);
    EXPECT_EQ(rig.play.pieceX, 72);

    PlayRig wall;
    wall.StartGame();
    wall.PlacePiece(kI, 0, 5);
    wall.Frames(30, kLeft | kRight);
    EXPECT_EQ(wall.play.pieceX, 0);  // blocked on the left, and right is not looked at

    PlayRig turning;
    turning.Frames(40, kLeft, kCw);
    EXPECT_EQ(turning.play.pieceX, 96);
    EXPECT_EQ(turning.play.rotation, 1);  // one turn for the whole hold
    EXPECT_EQ(turning.play.moveRepeat, 24);
    turning.Frame(kLeft);
    EXPECT_EQ(turning.play.pieceX, 72);
}

TEST(PlayRulesTest, TurnsOnBothButtonsInOneFrame) {
    struct Case {
        const char* name;
        std::initializer_list<std::pair<int32_t, int32_t>> blocks;
        int32_t rotation;
    };
    // An L in rotation 0 with its box at column 4, row 10. A block at box cell
    // (3, 2) is covered by rotation 1 but not by rotation 3.
    const Case cases[] = {
        {"both allowed: they cancel", {}, 0},
        {"clockwise refused: counter-clockwise still turns", {{13, 6}}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlayRig rig;
        rig.StartGame();
        for (auto [row, column] : c.blocks)
            rig.SetCell(row, column, 2);
        rig.PlacePiece(kL, 4, 10);
        rig.Frame(0, kCw | kCcw);
        EXPECT_EQ(rig.play.rotation, c.rotation);
        EXPECT_EQ(rig.play.rotateRightLatch, 1);
        EXPECT_EQ(rig.play.rotateLeftLatch, 1);
    }
}

TEST(PlayRulesTest, AVerticalIAtAWallCannotTurnAndItsLatchWaitsForARelease) {
    // Box column 9 puts the flat I into column 12, which is refused as well.
    for (int32_t column : {0, 9}) {
        SCOPED_TRACE(column);
        PlayRig rig;
        rig.StartGame();
        rig.PlacePiece(kI, column, 5);
        rig.Frame(0, kCw);
        rig.Frame(0, kCw | kCcw);
        EXPECT_EQ(rig.play.rotation, 0);
    }
    PlayRig rig;
    rig.StartGame();
    rig.PlacePiece(kI, 0, 5);
    rig.Frame(0, kCcw);
    EXPECT_EQ(rig.play.rotateLeftLatch, 1);
    rig.Frame(kRight, kCcw);  // moved away from the wall; the held button does not turn again
    EXPECT_EQ(rig.play.pieceX, 24);
    EXPECT_EQ(rig.play.rotation, 0);
    rig.Frame();
    rig.Frame(0, kCcw);
    EXPECT_EQ(rig.play.rotation, 3);
}

TEST(PlayRulesTest, APieceLocksOnThe31stRestingFrame) {
    for (auto [kind, points] : {std::pair{kO, 20u}, {kSingle, 200u}}) {
        SCOPED_TRACE(kind);
        PlayRig rig;
        rig.StartGame();
        const int32_t next = rig.play.queue[1];
        rig.PlacePiece(kind, 4, 25);  // resting on the floor
        rig.Frames(30);
        EXPECT_EQ(rig.Cell(27, 5), 0);
        EXPECT_EQ(rig.play.lockCounter, 30);
        rig.Frame();
        EXPECT_EQ(rig.Cell(27, 5), kind + 1);
        EXPECT_EQ(rig.Cell(26, 6), kind == kO ? kind + 1 : 0);
        EXPECT_EQ(rig.play.score, points);
        EXPECT_EQ(rig.play.queue[0], next);
        EXPECT_EQ(rig.play.pieceX, 96);
        EXPECT_EQ(rig.play.pieceY, 0);
        EXPECT_EQ(rig.play.lockCounter, 0);
        EXPECT_EQ(rig.play.stuckLockCount, 1);
    }
}

TEST(PlayRulesTest, APieceSlidOffALedgeFallsOnWithTheGravityCountItHad) {
    PlayRig rig;
    rig.StartGame();
    rig.SetCell(3, 4, 8);  // a ledge under column 4, just below the O
    rig.PlacePiece(kO, 4, 0);
    rig.Frames(20);  // gravity has counted 20
    rig.Frame(kLeft);
    EXPECT_EQ(rig.play.landed, 1);
    rig.Frames(4);
    EXPECT_EQ(rig.play.lockCounter, 5);
    rig.Frame(kRight);  // free again: this frame only clears the counters
    EXPECT_EQ(rig.play.lockCounter, 0);
    EXPECT_EQ(rig.play.gravityTimer, 20);
    // 41 more frames take the count past 60.
    EXPECT_EQ(ChangeFrames(rig, 41, 0, 0, [&] { return rig.play.pieceY; }), (std::vector<int>{67}));
}

TEST(PlayRulesTest, ALockWhileThePauseIsOpenRemovesAndScoresItsRows) {
    PlayRig rig;
    rig.StartGame();
    rig.FillRow(26, {5, 6});
    rig.FillRow(27, {5, 6});
    rig.PlacePiece(kO, 4, 25);
    rig.SetPaused(true);
    rig.Frames(31);
    EXPECT_EQ(rig.play.score, 20u + 400u);
    EXPECT_EQ(rig.Effects(14), 1u);
    for (int32_t column = 1; column <= 10; ++column) {
        EXPECT_EQ(rig.Cell(26, column), 0);
        EXPECT_EQ(rig.Cell(27, column), 0);
    }
    // The next piece waits at the start position until the pause closes.
    rig.Frames(100);
    EXPECT_EQ(rig.play.pieceY, 0);
    rig.SetPaused(false);
    rig.Frames(61);
    EXPECT_EQ(rig.play.pieceY, 24);
}

TEST(PlayRulesTest, AMoveAfterAFallCanOverlapBlocksAndTheLockKeepsTheirCodes) {
    PlayRig rig;
    rig.StartGame();
    rig.SetCell(4, 4, 3);  // beside the row the I falls into
    rig.SetCell(5, 4, 2);
    rig.PlacePiece(kI, 4, 0);  // cells in column 5, rows 0..3
    rig.Frames(61);            // falls to rows 1..4
    // The move uses the contacts from before the fall.
    rig.Frame(kLeft);
    EXPECT_EQ(rig.play.pieceX, 72);
    EXPECT_EQ(rig.play.landed, 1);
    rig.Frames(30);
    EXPECT_EQ(rig.play.pieceY, 0);  // locked
    const int32_t column4[6] = {0, 7, 7, 7, 3, 2};
    for (int32_t row = 0; row < 6; ++row)
        EXPECT_EQ(rig.Cell(row, 4), column4[row]) << row;
}

TEST(PlayRulesTest, LocksWithinOneCalendarSecondPushTheSameKind) {
    PlayRig rig(5489);
    rig.StartGame();
    auto lockAt = [&rig](int32_t column) {
        rig.PlacePiece(kO, column, 25);
        rig.Frames(31);
    };
    lockAt(0);
    lockAt(2);
    EXPECT_EQ(rig.play.queue[6], 6);
    EXPECT_EQ(rig.play.queue[7], 6);
    rig.calendar.now = 5490;
    lockAt(4);
    EXPECT_EQ(rig.play.queue[7], 4);
    EXPECT_EQ(rig.play.queue[6], 6);
}

}  // namespace
