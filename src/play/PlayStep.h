#pragma once
// PlayStep: the rules of play for one frame. The play scene makes one each
// frame and runs it once: it reads the held bits, moves, turns, drops and
// locks the falling piece, removes and scores full rows, draws the play
// screen and runs the game-over sequence. What lasts between frames is in
// PlayState and the world record, not here.

#include <cstdint>

class Audio;
class Graphics;
struct InputState;
struct MusicShared;
struct PlayState;
struct ProcessIds;
class WorldState;

namespace platform {
class Calendar;
}

class PlayStep {
public:
    // The held controls it plays by, the ids and the calendar that seed the
    // piece generator (the calendar also dates the ranking entry), the music
    // the game-over sequence switches, the world record, the audio and the
    // sprite list; the play state lasts between frames.
    PlayStep(const InputState& input, const ProcessIds& ids, MusicShared& music, WorldState& world,
             Audio& audio, Graphics& graphics, PlayState& play, platform::Calendar& calendar);

    void Run();

private:
    const InputState& input_;
    const ProcessIds& ids_;
    MusicShared& music_;
    WorldState& world_;
    Audio& audio_;
    Graphics& graphics_;
    PlayState& play_;
    platform::Calendar& calendar_;
};
