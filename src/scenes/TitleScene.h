#pragma once
// TitleScene: the title scene's per-frame object, a Menu and nothing more,
// and the title-scene frame the frame loop runs while the scene state is 1.

#include <cstdint>

#include "menu/Menu.h"

class Game;

class TitleScene : public Menu {
public:
    using Menu::Menu;
};

// One title frame; always returns 1. In order: the sprite list is emptied;
// the title is drawn; the menu takes its step (not while textures are being
// made); the screen fade and the music fade take a step; then the fade
// overlay, the border masks and the diagnostic line go on top.
int32_t RunTitleSceneFrame(Game& game);
