#include "play/PlayStep.h"

#include "graphics/Graphics.h"
#include "play/Board.h"
#include "play/GameFlow.h"
#include "play/PieceControl.h"
#include "play/PieceGenerator.h"
#include "play/PlayScreen.h"
#include "play/PlayState.h"
#include "play/Rows.h"
#include "world/InputState.h"
#include "world/MusicShared.h"
#include "world/ProcessIds.h"
#include "world/WorldState.h"

PlayStep::PlayStep(const InputState& input, const ProcessIds& ids, MusicShared& music,
                   WorldState& world, Audio& audio, Graphics& graphics, PlayState& play,
                   platform::Calendar& calendar)
    : input_(input),
      ids_(ids),
      music_(music),
      world_(world),
      audio_(audio),
      graphics_(graphics),
      play_(play),
      calendar_(calendar) {}

void PlayStep::Run() {
    Graphics& sprites = graphics_;
    const bool paused = world_.menuState.paused != 0;
    const InputState& input = input_;

    // This frame's generator; the first frame of a game builds the board
    // and the queue, and queue[0] falls from the start position at once.
    PieceGenerator generator(PieceSeed(calendar_, ids_));
    if (play_.started == 0) {
        BuildBoard(play_);
        generator.FillQueue(play_);
        play_.started = 1;
    }

    // Sideways, with the contacts of the previous frame.
    if (!paused)
        MoveSideways(play_, input);
    // The box's board cells, valid for the rest of the frame (the lock included).
    UpdateCellCoordinates(play_);
    // Turns.
    if (!paused)
        Rotate(play_, input);
    // Contacts where the piece now stands.
    ComputeContacts(play_);
    // Fall, rest or lock; a lock also runs while paused.
    FallAndLock(play_, input, paused, generator);
    // Full rows, level and line score, paused or not.
    RemoveAndScoreRows(play_, audio_);
    // The play screen, then the game-over sequence while the pause is closed.
    DrawPlayScreen(play_, paused, sprites);
    if (!paused)
        RunGameOverSequence(play_, music_, world_, calendar_, sprites);
}
