#pragma once
// Full rows: their removal, the level they count towards, and the line score
// with its sound. Runs every play frame, paused or not; rows only become full
// when a piece locks, so in practice they go in the frame of that lock.

#include <cstdint>

struct PlayState;
class Audio;

constexpr int32_t kLinesPerLevel = 20;
constexpr int32_t kTopLevel = 9;  // shown as 10
constexpr int kFewRowsEffect = 14;
constexpr int kFourRowsEffect = 11;

// Removes every full row from top to bottom, counting each in clearedLines
// and levelLines. Rows above a removed row move down one place; row 0 keeps
// its cells, so it ends up in rows 0 and 1.
void ClearFullRows(PlayState& play);

// The level change and the line score of this frame's removals; plays the
// line effect and sets clearedLines back to 0.
void ScoreRows(PlayState& play, Audio& audio);

// Both of the above, in that order.
void RemoveAndScoreRows(PlayState& play, Audio& audio);
