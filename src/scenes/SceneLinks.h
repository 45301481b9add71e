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
    System& system;
    WorldState& world;
    Graphics& graphics;
    InputSampler& input;
    Audio& audio;
};
