#include "world/Game.h"

#include "audio/CXa2.h"
#include "graphics/CDx_Gr.h"
#include "input/CXi.h"
#include "world/MapSceneEntity.h"
#include "world/System.h"

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
      mapScene(std::make_unique<MapSceneEntity>()),
      graphics(std::make_unique<CDx_Gr>()),
      input(std::make_unique<CXi>()),
      audio(std::make_unique<CXa2>()) {}

Game::~Game() {
    audio.reset();
    input.reset();
    graphics.reset();
    mapScene.reset();
    system.reset();
}

void Game::LinkObjects(platform::GpuDevice& gpu, platform::Window& window) {
    graphics->Link(system.get(), mapScene.get(), &gpu, &window);
    input->Link(system.get(), mapScene.get());
    audio->Link(system.get());
}
