#pragma once
// SceneLinks: the long-lived objects a scene frame works on. The root object
// hands them to the scene frames each frame; the frames keep nothing of their
// own, so everything that lasts from one frame to the next lives in these.

class Audio;
class Graphics;
class InputSampler;
struct System;
class WorldState;

struct SceneLinks {
    // Whole, because a scene frame is where the records part ways: it hands
    // each piece of play, the menu and the overlays the records that piece
    // uses, and between them they use nearly every one.
    System& system;
    WorldState& world;
    Graphics& graphics;
    InputSampler& input;
    Audio& audio;
};
