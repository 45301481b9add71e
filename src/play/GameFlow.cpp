#include "play/GameFlow.h"

#include "play/PlayScreen.h"
#include "play/PlayState.h"
#include "world/MusicShared.h"
#include "world/Ranking.h"
#include "world/WorldState.h"

void RunGameOverSequence(PlayState& play, MusicShared& music, WorldState& world,
                         platform::Calendar& calendar, Graphics& sprites) {
    if (play.gameOverCounter > 0) {
        DrawGameOverBars(sprites, play.gameOverCounter);
        ++play.gameOverCounter;
        if (play.gameOverCounter > kGameOverPictureAfter) {
            DrawGameOverPicture(sprites);
            // From here the counter grows by exactly one a frame.
            play.stuckLockCount = 0;
        }
    }
    if (play.gameOverCounter > kGameOverEndAfter) {
        play.stuckLockCount = 0;
        world.fadeOutRequest = 1;
        world.fadeInRequest = 0;
        if (world.fadeLevel == kFadeBlack)
            FinishGame(play, music, world, calendar);
    }
}

bool EnterEndedGame(PlayState& play, WorldState& world, platform::Calendar& calendar) {
    if (!GameHasEnded(play) || play.resultEntered != 0)
        return false;
    EnterRankingResult(world.rankingTable, static_cast<int32_t>(play.score), calendar);
    play.resultEntered = 1;
    world.saveRequest = 1;
    return true;
}

void FinishGame(PlayState& play, MusicShared& music, WorldState& world,
                platform::Calendar& calendar) {
    // The music stops; the next game's first frame selects the play music again.
    world.bgmSwitchRequest = 1;
    music.bgmTrack = 0;
    music.bgmRestart = 0;
    world.bgmSelector = 0;
    play.gameOverCounter = 0;
    // The score enters the ranking with the calendar's date and rises to its
    // place, unless it did when the game ended; the play state returns to its
    // start values, so the next game builds a new board and queue.
    if (play.resultEntered == 0) {
        EnterRankingResult(world.rankingTable, static_cast<int32_t>(play.score), calendar);
        world.saveRequest = 1;  // kept at once, not only at the close
    }
    play = PlayState{};
    // The title scene takes over and fades in from black.
    world.fadeLevel = kFadeBlack;
    world.fadeOutRequest = 0;
    world.fadeInRequest = 1;
    world.sceneState = SceneState::kTitle;
}
