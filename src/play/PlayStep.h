#pragma once
// PlayStep: the rules of play for one frame. The play scene makes one each
// frame and runs it once: it reads the held bits, moves, turns, drops and
// locks the falling piece, removes and scores full rows, draws the play
// screen and runs the game-over sequence. What lasts between frames is in
// PlayState and the world record, not here.

#include <cstdint>

class Audio;
class Graphics;
class WorldState;
struct System;
struct PlayState;

namespace platform {
class Calendar;
}

class PlayStep {
public:
    // Links System, the world record and the audio object of the game; the
    // play state lasts between frames, the calendar seeds the piece generator
    // and dates the ranking entry.
    PlayStep(System& system, WorldState& world, Audio& audio, Graphics& graphics, PlayState& play,
             platform::Calendar& calendar);
    ~PlayStep() = default;

    void Run();

private:
    System& system_;
    WorldState& world_;
    Audio& audio_;
    Graphics& graphics_;
    PlayState& play_;
    platform::Calendar& calendar_;
};
