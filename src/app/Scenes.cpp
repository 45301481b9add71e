#include "app/Scenes.h"

#include "play/PlayState.h"
#include "world/PlayScene.h"

Scenes::Scenes(platform::Calendar& calendar)
    : calendar_(calendar), play_(std::make_unique<PlayState>()) {}

Scenes::~Scenes() = default;

SceneFrames Scenes::Frames() {
    SceneFrames frames;
    // The title scene (state 1) is built on its own; until it is wired in
    // here, state 1 runs no scene.
    frames.play = [this](Game& game) { return RunPlaySceneFrame(game, *play_, calendar_); };
    return frames;
}
