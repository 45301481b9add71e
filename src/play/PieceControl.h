#pragma once
// Control of the falling piece for one frame: sideways moves with auto-repeat,
// turns once per press, gravity and the soft drop, the lock delay and the lock
// itself. Each function is one step of the play step and reads only the
// controls held this frame; none plays a sound.

#include <cstdint>

#include "input/AutoRepeat.h"

struct InputState;
struct PlayState;
class PieceGenerator;

constexpr int32_t kStartX = 96;  // box at column 4, row 0
constexpr int32_t kStartY = 0;
// Sideways auto-repeat: a move at once, again 24 frames later, then every
// 3 frames.
constexpr RepeatTimings kSidewaysRepeat{24, 8};
constexpr int32_t kSoftDropPeriod = 3;
constexpr int32_t kLockDelay = 30;  // the piece locks on its 31st resting frame
constexpr int32_t kStuckLimit = 3;

// Frames counted before a one-row fall: the piece falls when gravityTimer exceeds this.
constexpr int32_t GravityLimit(int32_t level) {
    return 60 - 6 * level;
}

// Sideways movement, using the contact flags of the previous frame. LEFT wins
// over RIGHT; a held DECISION stops moves but not the repeat count.
void MoveSideways(PlayState& play, const InputState& input);

// DECISION turns clockwise, CANCELLATION counter-clockwise, once per press;
// a turn onto an occupied cell is not made (the latch is set all the same).
void Rotate(PlayState& play, const InputState& input);

// Fall, rest or lock, from the contacts just computed. A resting piece counts
// towards its lock even while paused; once gameOverCounter runs, nothing locks
// and a stuck piece raises the counter instead.
void FallAndLock(PlayState& play, const InputState& input, bool paused, PieceGenerator& generator);

// Writes the piece into the empty board cells under it, scores it, takes the
// next kind from the queue and puts it at the start position.
void LockPiece(PlayState& play, PieceGenerator& generator);
