#pragma once
// The play screen's sprites, above the scene's background and under its fade:
// the six next-piece previews and the falling piece, the score, the level,
// the pause text, the board with its walls and floor, and the game-over bars
// and picture. Submission order is drawing order, so the board (empty tiles
// included) lies over the falling piece.

#include <cstdint>

struct PlayState;
class Graphics;

constexpr int32_t kBoardLeft = 496;  // board column 0 on screen
constexpr int32_t kPreviews = 6;     // queue[1..6]; queue[7] is never shown

// Everything but the game-over graphics. While paused only the score, the
// level and "P A U S E" are drawn.
void DrawPlayScreen(const PlayState& play, bool paused, Graphics& sprites);

// Game-over bars 0..count - 1, from the bottom edge up, 24 pixels apart.
void DrawGameOverBars(Graphics& sprites, int32_t count);
void DrawGameOverPicture(Graphics& sprites);
