#pragma once
// PlayState: everything of the game in progress that lasts from one frame to
// the next: the board, the queue of coming pieces, the falling piece, and the
// timers and counters of the rules. One lives for the whole run; the end of
// every game returns it to these start values.

#include <cstdint>

struct PlayState {
    static constexpr int kColumns = 12;  // 0 and 11 are walls
    static constexpr int kRows = 30;     // 28 is the floor, 29 lies below it
    static constexpr int kCells = kColumns * kRows;
    static constexpr int kQueue = 8;
    static constexpr int kBoxCells = 16;

    int32_t board[kCells] = {};  // row-major: board[12 * row + column]
    int32_t started = 0;         // 1 once the board and queue of this game are built
    int32_t queue[kQueue] = {};  // [0] falls now, [1..7] come next
    int32_t pieceX = 96;         // box offsets from the board's corner, in pixels
    int32_t pieceY = 0;
    int32_t rotation = 0;  // 0..3
    int32_t cellColumn[kBoxCells] = {};
    int32_t cellRow[kBoxCells] = {};
    int32_t leftBlocked = 0;
    int32_t rightBlocked = 0;
    int32_t landed = 0;
    int32_t moveRepeat = 24;
    int32_t fastRepeat = 0;
    int32_t rotateRightLatch = 0;
    int32_t rotateLeftLatch = 0;
    int32_t gravityTimer = 0;
    int32_t softDropCounter = 0;
    int32_t lockCounter = 0;
    int32_t stuckLockCount = 0;
    int32_t gameOverCounter = 0;
    uint32_t score = 0;
    int32_t level = 0;  // 0..9, shown one higher
    int32_t levelLines = 0;
    int32_t clearedLines = 0;
    uint32_t rowsRemoved = 0;  // every row of this game, for its record
    uint32_t piecesLocked = 0;  // every lock of this game, for its replay
    int32_t resultEntered = 0;  // 1 once the score is in the ranking (see EnterEndedGame)
};
