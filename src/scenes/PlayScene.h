#pragma once
// The play-scene frame: the skeleton around the rules of play, run once per
// frame while the scene state is 4.
//
// In order: the sprite list is emptied; the pause control runs; a pending
// music switch is served; the screen fade and the music fade take a step;
// the background is drawn; the rules of play take their step (and draw the
// play screen); then the fade overlay, the border masks and the diagnostic
// line are drawn on top. The frame keeps nothing of its own: the pause cycle
// and the fade live in the world record, the game in PlayState.

#include <cstdint>

struct SceneLinks;
class WorldState;
struct InputState;
struct System;
class Audio;
struct PlayState;

namespace platform {
class Calendar;
}

// One play frame. The calendar reaches the rules of play
// (the piece generator's seed, the ranking entry's date).
void RunPlaySceneFrame(const SceneLinks& links, PlayState& play, platform::Calendar& calendar);

// The pause button, one frame of it. A press from a running game plays effect
// 0 and opens the pause over nine frames (pauseAnim 1..8, then held open);
// after a release it is active and a second press closes it over nine frames
// (then held closed), unless the title or a window is busy; after a second
// release the game runs again. `paused` is 1 from the first opening frame
// until closing starts.
void RunPauseControl(const InputState& input, WorldState& world, Audio& audio);
