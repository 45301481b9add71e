#pragma once
// The end of a game: the game-over sequence that runs once the stack has
// reached the start position (bars rising, then the picture, then a fade to
// black), and FinishGame, which enters the score into the ranking, returns the
// play state to its start values and hands the program back to the title.

#include <cstdint>

#include "play/PlayState.h"

class Graphics;
class WorldState;
struct MusicShared;

namespace platform {
class Calendar;
}

constexpr int32_t kGameOverPictureAfter = 32;
constexpr int32_t kGameOverEndAfter = 256;
constexpr uint8_t kFadeBlack = 255;

// A game has ended once its game-over sequence has begun: no piece locks
// after that.
inline bool GameHasEnded(const PlayState& play) {
    return play.gameOverCounter > 0;
}

// On the frame a game ends, enters its score into the ranking, dated now, and
// asks for the save, so the finished game is kept while the sequence still
// runs; FinishGame then leaves the ranking as it is. True on that frame only.
// A run that never calls it (an old recording played again) enters the score
// when the fade has reached black, as FinishGame always did.
bool EnterEndedGame(PlayState& play, WorldState& world, platform::Calendar& calendar);

// One frame of the sequence, after the board has been drawn and only while the
// pause is closed: bars for the frames so far, the counter, the picture, the
// fade request and, once the screen is black, FinishGame.
void RunGameOverSequence(PlayState& play, MusicShared& music, WorldState& world,
                         platform::Calendar& calendar, Graphics& sprites);

void FinishGame(PlayState& play, MusicShared& music, WorldState& world,
                platform::Calendar& calendar);
