#include "scenes/TitleScene.h"

#include "audio/Audio.h"
#include "graphics/Graphics.h"
#include "menu/Menu.h"
#include "scenes/SceneLinks.h"
#include "scenes/SceneOverlays.h"
#include "world/System.h"
#include "world/WorldState.h"

void RunTitleSceneFrame(const SceneLinks& links) {
    WorldState& world = links.world;
    Graphics& sprites = links.graphics;

    sprites.ClearSpriteList();
    System& system = links.system;
    Menu title({system.display, system.sound, system.settings, world.colorIndex}, system.inputState,
               system.music, world, links.input, links.audio, links.graphics);
    title.DrawTitle();
    if (world.loadingFlag == 0)
        title.RunMenu();

    scene_overlays::StepScreenFade(world);
    links.audio.music().ServiceFade();

    scene_overlays::DrawFadeOverlay(sprites, links.system.display, world);
    scene_overlays::DrawBorderMasks(sprites, links.system.display);
    scene_overlays::DrawDiagnosticLine(sprites, links.system.display, world);
    system.inputState.KeepAsLastFrame();
}
