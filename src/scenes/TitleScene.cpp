#include "scenes/TitleScene.h"

#include "audio/Audio.h"
#include "graphics/Graphics.h"
#include "app/Game.h"
#include "world/WorldState.h"
#include "scenes/SceneOverlays.h"

int32_t RunTitleSceneFrame(Game& game) {
    System& system = *game.system;
    WorldState& world = *game.world;

    game.graphics->ClearSpriteList();
    TitleScene title(game);
    title.DrawTitle();
    if (world.loadingFlag == 0)
        title.RunMenu();

    scene_overlays::StepScreenFade(world);
    game.audio->music().ServiceFade();

    Graphics& sprites = *game.graphics;
    scene_overlays::DrawFadeOverlay(sprites, system, world);
    scene_overlays::DrawBorderMasks(sprites, system);
    scene_overlays::DrawDiagnosticLine(sprites, system, world);
    return 1;
}
