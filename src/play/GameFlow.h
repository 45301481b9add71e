#pragma once
// The end of a game: the game-over sequence that runs once the stack has
// reached the start position (bars rising, then the picture, then a fade to
// black), and FinishGame, which enters the score into the ranking, returns the
// play state to its start values and hands the program back to the title.

#include <cstdint>

struct PlayState;
class Graphics;
class WorldState;
struct MusicShared;

namespace platform {
class Calendar;
}

constexpr int32_t kGameOverPictureAfter = 32;
constexpr int32_t kGameOverEndAfter = 256;
constexpr uint8_t kFadeBlack = 255;

// One frame of the sequence, after the board has been drawn and only while the
// pause is closed: bars for the frames so far, the counter, the picture, the
// fade request and, once the screen is black, FinishGame.
void RunGameOverSequence(PlayState& play, MusicShared& music, WorldState& world,
                         platform::Calendar& calendar, Graphics& sprites);

void FinishGame(PlayState& play, MusicShared& music, WorldState& world,
                platform::Calendar& calendar);
