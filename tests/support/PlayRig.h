#pragma once
// A linked Game with a play state and a fixed calendar, for driving the rules
// of play frame by frame without a display. Frame() does what the play-scene
// frame does around PlayStep that the rules depend on: it clears the sprite
// list and steps the screen fade, then runs one PlayStep with the given held
// bits. The pause flag is set directly in world.menuState.paused.

#include <cstdint>
#include <memory>
#include <vector>

#include "app/Game.h"
#include "audio/Audio.h"
#include "graphics/Graphics.h"
#include "play/PlayState.h"
#include "support/FakeGpu.h"
#include "support/FakeWindow.h"
#include "support/ScriptedClock.h"
#include "support/SpriteLog.h"
#include "world/System.h"
#include "world/WorldState.h"

class PlayRig {
public:
    // The calendar starts at `now` seconds; the thread and process ids are 0,
    // so the generator's seed is the calendar second itself.
    explicit PlayRig(int64_t now = 5489);

    // One play frame with these held bits.
    void Frame(int32_t dirBits = 0, int32_t buttonBits = 0);
    void Frames(int count, int32_t dirBits = 0, int32_t buttonBits = 0);

    // Keeps the requests of the last frame in sprites() from now on.
    void RecordSprites();
    const std::vector<SpriteRequest>& sprites() const { return log_->requests; }

    // Builds the board and queue as the first frame of a game would, without
    // running a frame: the test may then arrange blocks and the piece.
    void StartGame();
    // Sets board cell (row, column), and fills a whole row (columns 1..10) but
    // the listed holes.
    void SetCell(int32_t row, int32_t column, int32_t code);
    void FillRow(int32_t row, std::vector<int32_t> holes = {}, int32_t code = 8);
    int32_t Cell(int32_t row, int32_t column) const;
    // Puts `kind` first in the queue, at the given box position and rotation,
    // with the contacts of that place.
    void PlacePiece(int32_t kind, int32_t column, int32_t row, int32_t rotation = 0);

    uint32_t Effects(int slot) const { return game.audio->effects().requests(slot); }
    bool Paused() const { return game.world->menuState.paused != 0; }
    void SetPaused(bool paused) { game.world->menuState.paused = paused ? 1 : 0; }

    FakeGpu gpu;  // outlives the graphics object, which releases it
    FakeWindow window;
    Game game;
    System& system;
    WorldState& world;
    PlayState play;
    FixedCalendar calendar;
    int frame = 0;  // frames run so far

private:
    std::unique_ptr<SpriteLog> log_;
};
