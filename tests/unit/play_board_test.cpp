// The board rules on their own: the contact faces, the queue a seed gives,
// and what removing rows does to the board, the level and the score.

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

#include "audio/Audio.h"
#include "play/Board.h"
#include "play/PieceGenerator.h"
#include "play/PlayState.h"
#include "play/Rows.h"
#include "world/System.h"

namespace {

constexpr int32_t kT = 2, kO = 5, kI = 6;

class BoardTest : public ::testing::Test {
protected:
    BoardTest() { BuildBoard(play); }

    int32_t& Cell(int32_t row, int32_t column) { return play.board[BoardIndex(row, column)]; }
    void FillRow(int32_t row, int32_t code = 8) {
        for (int32_t column = 1; column <= 10; ++column)
            Cell(row, column) = code;
    }
    PlayState play;
};

TEST_F(BoardTest, ContactsSeeOnlyTheOuterFaces) {
    struct Case {
        const char* name;
        int32_t kind, column, row;
        std::initializer_list<std::pair<int32_t, int32_t>> blocks;
        int32_t left, right, landed;
    };
    const Case cases[] = {
        {"vertical I against the left wall", kI, 0, 5, {}, 1, 0, 0},
        {"O on the floor", kO, 4, 25, {}, 0, 0, 1},
        {"O one row above the floor", kO, 4, 24, {}, 0, 0, 0},
        {"T with a block under its left arm", kT, 4, 10, {{13, 4}}, 0, 0, 1},
        {"blocks inside the O's outline", kO, 4, 10, {{11, 5}, {12, 6}}, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BuildBoard(play);
        for (auto [row, column] : c.blocks)
            Cell(row, column) = 3;
        play.queue[0] = c.kind;
        play.pieceX = 24 * c.column;
        play.pieceY = 24 * c.row;
        ComputeContacts(play);
        EXPECT_EQ(play.leftBlocked, c.left);
        EXPECT_EQ(play.rightBlocked, c.right);
        EXPECT_EQ(play.landed, c.landed);
    }
}

TEST(PieceGeneratorTest, QueueHoldsTheTopBitsOfTheFirstEightOutputs) {
    PlayState play;
    PieceGenerator(5489).FillQueue(play);
    const int32_t start[8] = {6, 1, 7, 6, 1, 7, 7, 1};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(play.queue[i], start[i]) << i;
    PieceGenerator(5490).AdvanceQueue(play);
    const int32_t advanced[8] = {1, 7, 6, 1, 7, 7, 1, 4};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(play.queue[i], advanced[i]) << i;
}

TEST_F(BoardTest, LineScoreAndLevelByRowsRemoved) {
    struct Case {
        int32_t rows, level, levelLines;
        uint32_t points;
        int effect;  // -1: none
        int32_t levelAfter, levelLinesAfter;
    };
    const Case cases[] = {
        {0, 0, 5, 0, -1, 0, 5},      {1, 0, 0, 200, 14, 0, 1},  {2, 3, 0, 1600, 14, 3, 2},
        {3, 0, 0, 800, 14, 0, 3},    {4, 0, 0, 1600, 11, 0, 4}, {4, 9, 0, 16000, 11, 9, 4},
        {4, 0, 19, 3200, 11, 1, 0},  // 23 rows: the level rises, three rows are lost
        {4, 9, 19, 16000, 11, 9, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rows << " rows at level " << c.level);
        BuildBoard(play);
        for (int32_t r = 0; r < c.rows; ++r)
            FillRow(27 - r);
        play.level = c.level;
        play.levelLines = c.levelLines;
        play.score = 7;
        System records;  // no sound set: the effects are asked for, not played
        Audio sound(records.sound, records.music, records.focus);
        RemoveAndScoreRows(play, sound);
        EXPECT_EQ(play.score, 7 + c.points);
        EXPECT_EQ(play.level, c.levelAfter);
        EXPECT_EQ(play.levelLines, c.levelLinesAfter);
        EXPECT_EQ(play.clearedLines, 0);
        EXPECT_EQ(sound.effects().requests(14), c.effect == 14 ? 1u : 0u);
        EXPECT_EQ(sound.effects().requests(11), c.effect == 11 ? 1u : 0u);
        for (int32_t r = 0; r < 28; ++r)
            EXPECT_EQ(Cell(r, 5), 0) << r;
    }
}

TEST_F(BoardTest, RowsAboveARemovedRowMoveDownAndRowZeroIsCopiedNotEmptied) {
    // Rows 24 and 26 full, 25 and 23 marked: both go, and the marks move down.
    FillRow(24);
    FillRow(26);
    Cell(25, 3) = 2;
    Cell(23, 7) = 4;
    Cell(0, 2) = 5;
    ClearFullRows(play);
    EXPECT_EQ(play.clearedLines, 2);
    EXPECT_EQ(Cell(26, 3), 2);
    EXPECT_EQ(Cell(25, 7), 4);
    EXPECT_EQ(Cell(24, 7), 0);
    // Row 0's block is copied down each time and stays in row 0 as well.
    EXPECT_EQ(Cell(0, 2), 5);
    EXPECT_EQ(Cell(1, 2), 5);
    EXPECT_EQ(Cell(2, 2), 5);
    for (int32_t row = 0; row < 28; ++row) {
        EXPECT_EQ(Cell(row, 0), 9);
        EXPECT_EQ(Cell(row, 11), 9);
    }
    for (int32_t column = 0; column < 12; ++column)
        EXPECT_EQ(Cell(28, column), 9);
}

TEST_F(BoardTest, AFullRowZeroIsEmptied) {
    FillRow(0);
    Cell(1, 4) = 3;
    ClearFullRows(play);
    EXPECT_EQ(play.clearedLines, 1);
    for (int32_t column = 1; column <= 10; ++column)
        EXPECT_EQ(Cell(0, column), 0);
    EXPECT_EQ(Cell(1, 4), 3);
    EXPECT_EQ(Cell(0, 0), 9);
}

}  // namespace
