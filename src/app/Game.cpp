#include "app/Game.h"

#include "audio/Audio.h"
#include "graphics/Graphics.h"
#include "input/InputSampler.h"
#include "world/System.h"
#include "world/WorldState.h"

namespace {
Game* gGame = nullptr;
}  // namespace

Game* TheGame() {
    return gGame;
}
void SetTheGame(Game* game) {
    gGame = game;
}

Game::Game()
    : system(std::make_unique<System>()),
      world(std::make_unique<WorldState>()),
      graphics(
          std::make_unique<Graphics>(system->display, system->settings, system->folders, *world)),
      input(std::make_unique<InputSampler>(system->inputState, system->settings, *world)),
      audio(std::make_unique<Audio>(system->sound, system->music, system->focus)) {}

Game::~Game() {
    audio.reset();
    input.reset();
    graphics.reset();
    world.reset();
    system.reset();
}

void Game::LinkObjects(platform::GpuDevice& gpu, platform::Window& window) {
    graphics->AttachDevice(gpu, window);
}
