#pragma once
// Game: the root object. It owns the records (System's settings, display,
// input, sound, music and folder records, then the world record) and the
// three subsystems (graphics, input sampling, audio), makes them in member
// order and destroys them in the reverse order. One instance exists per run,
// reached through the process-wide pointer TheGame().

#include <memory>

#include "scenes/SceneLinks.h"

struct System;
class WorldState;
class Graphics;
class InputSampler;
class Audio;

namespace platform {
class GpuDevice;
class Window;
}  // namespace platform

class Game {
public:
    Game();
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // Gives graphics its device and window, once the window exists (every
    // subsystem gets its records when it is made).
    void LinkObjects(platform::GpuDevice& gpu, platform::Window& window);

    // The objects the scene frames work on.
    SceneLinks Links() { return {*system, *world, *graphics, *input, *audio}; }

    std::unique_ptr<System> system;
    std::unique_ptr<WorldState> world;
    std::unique_ptr<Graphics> graphics;
    std::unique_ptr<InputSampler> input;
    std::unique_ptr<Audio> audio;
};

// The process-wide pointer to the one Game; null before start-up and after shutdown.
Game* TheGame();
void SetTheGame(Game* game);
