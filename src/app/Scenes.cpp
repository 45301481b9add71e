#include "app/Scenes.h"

#include "app/Game.h"
#include "play/PlayState.h"
#include "scenes/PlayScene.h"
#include "scenes/TitleScene.h"

Scenes::Scenes(platform::Calendar& calendar)
    : calendar_(calendar), play_(std::make_unique<PlayState>()) {}

Scenes::~Scenes() = default;

SceneFrames Scenes::Frames() {
    SceneFrames frames;
    frames.title = [](Game& game) { return RunTitleSceneFrame(game.Links()); };
    frames.play = [this](Game& game) { return RunPlaySceneFrame(game.Links(), *play_, calendar_); };
    return frames;
}
