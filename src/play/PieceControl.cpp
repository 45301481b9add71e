#include "play/PieceControl.h"

#include "play/Board.h"
#include "play/PieceGenerator.h"
#include "play/PlayState.h"
#include "world/InputState.h"

namespace {

using platform::Control;

constexpr int32_t kSingleBlockKind = 7;
constexpr uint32_t kLockScore = 20;
constexpr uint32_t kSingleBlockLockScore = 200;

// One turn attempt in direction step (+1 or -1 mod 4), once per press. The
// latch is the play record's: turns are not asked for while paused, and the
// end of a game clears it.
void TurnOnce(PlayState& play, const InputState& input, Control control, int32_t& latch,
              int32_t step) {
    if (!PressedOnce(input, control, latch))
        return;
    const int32_t previous = play.rotation;
    play.rotation = (play.rotation + step + 4) % 4;
    if (OverlapsBoard(play, play.queue[0], play.rotation))
        play.rotation = previous;
}

}  // namespace

void MoveSideways(PlayState& play, const InputState& input) {
    const bool left = Held(input, Control::kLeft);
    const bool right = Held(input, Control::kRight);
    const bool sideFree = left ? play.leftBlocked == 0 : right && play.rightBlocked == 0;
    bool fast = play.fastRepeat == 1;
    if (RepeatStep(kSidewaysRepeat, play.moveRepeat, fast, left || right,
                   sideFree && !Held(input, Control::kDecision))) {
        play.pieceX += left ? -kCellPixels : kCellPixels;
    }
    play.fastRepeat = fast ? 1 : 0;
}

void Rotate(PlayState& play, const InputState& input) {
    TurnOnce(play, input, Control::kDecision, play.rotateRightLatch, 1);
    TurnOnce(play, input, Control::kCancellation, play.rotateLeftLatch, -1);
}

void FallAndLock(PlayState& play, const InputState& input, bool paused, PieceGenerator& generator) {
    if (!paused && play.lockCounter == 0 && play.landed == 0) {
        // Falling: soft drop while DOWN is held, gravity otherwise.
        if (Held(input, Control::kDown)) {
            play.gravityTimer = 0;
            ++play.softDropCounter;
            if (play.softDropCounter % kSoftDropPeriod == 0) {
                play.pieceY += kCellPixels;
                ++play.score;
            }
        } else {
            play.softDropCounter = 0;
            ++play.gravityTimer;
            if (play.gravityTimer > GravityLimit(play.level)) {
                play.pieceY += kCellPixels;
                play.gravityTimer = 0;
            }
        }
        play.lockCounter = 0;
        play.stuckLockCount = 0;
    } else if (play.landed == 1) {
        // Resting. The game-over sequence turns the lock off.
        if (play.gameOverCounter == 0)
            ++play.lockCounter;
        if (play.lockCounter > kLockDelay && play.gameOverCounter == 0)
            LockPiece(play, generator);
        if (play.stuckLockCount > kStuckLimit)
            ++play.gameOverCounter;
    } else {
        // Paused in the air, or just got free: no fall this frame.
        play.lockCounter = 0;
        play.stuckLockCount = 0;
    }
}

void LockPiece(PlayState& play, PieceGenerator& generator) {
    // The cell coordinates are this frame's: a resting piece did not move
    // since they were derived. Occupied cells keep their codes.
    const ShapeBox& shape = ShapeTable[play.queue[0] + 1][play.rotation];
    for (int32_t i = 0; i < PlayState::kBoxCells; ++i) {
        int32_t& cell = play.board[BoardIndex(play.cellRow[i], play.cellColumn[i])];
        if (cell == 0)
            cell = shape[i];
    }
    play.score += play.queue[0] == kSingleBlockKind ? kSingleBlockLockScore : kLockScore;
    ++play.piecesLocked;
    generator.AdvanceQueue(play);
    play.pieceY = kStartY;
    play.lockCounter = 0;
    play.pieceX = kStartX;
    play.rotation = 0;
    play.landed = 0;
    ++play.stuckLockCount;
}
