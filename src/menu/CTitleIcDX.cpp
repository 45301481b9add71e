#include "menu/CTitleIcDX.h"

#include "audio/CXa2.h"
#include "graphics/CDx_Gr.h"
#include "graphics/CSetVerTex.h"
#include "world/Game.h"
#include "world/MapSceneEntity.h"
#include "world/SceneOverlays.h"

int32_t RunTitleSceneFrame(Game& game) {
    System& system = *game.system;
    MapSceneEntity& world = *game.mapScene;

    game.graphics->ClearSpriteList();
    CTitleIcDX title(game);
    title.DrawTitle();
    if (world.loadingFlag == 0)
        title.RunMenu();

    scene_overlays::StepScreenFade(world);
    game.audio->MusicFadeService();

    CSetVerTex sprites(game);
    scene_overlays::DrawFadeOverlay(sprites, system, world);
    scene_overlays::DrawBorderMasks(sprites, system);
    scene_overlays::DrawDiagnosticLine(sprites, system, world);
    return 1;
}
