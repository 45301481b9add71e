#pragma once
// The play scene's music switch: the title asks for the play music by a
// request in the world record, and the first play frame after it serves it.

class Audio;
class WorldState;

// When bgmSwitchRequest is 1, selects the track for bgmSelector (which
// clears the request).
void ServeMusicSwitch(WorldState& world, Audio& audio);
