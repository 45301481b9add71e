#include "scenes/PlayScene.h"

#include "audio/Audio.h"
#include "graphics/Graphics.h"
#include "menu/WindowPhases.h"
#include "world/InputState.h"
#include "play/PlayStep.h"
#include "scenes/MusicSwitch.h"
#include "scenes/PlayBackground.h"
#include "scenes/SceneLinks.h"
#include "scenes/SceneOverlays.h"
#include "world/System.h"
#include "world/WorldState.h"

namespace {

using Phase = WindowPhase;
constexpr int32_t kPauseFrames = 8;

void OpenPause(MenuState& m) {
    window_phases::StepOpening(m.pauseState, m.pauseAnim, kPauseFrames);
    m.paused = 1;
}

void ClosePause(MenuState& m) {
    // While the title or a window is busy the pause stays as it is.
    if (m.titleState != Phase::kIdle || m.windowState != Phase::kIdle)
        return;
    window_phases::StepClosing(m.pauseState, m.pauseAnim);
    m.paused = 0;
}

}  // namespace

void RunPauseControl(const InputState& input, WorldState& world, Audio& audio) {
    MenuState& m = world.menuState;
    const bool held = Held(input, platform::Control::kPause);
    const Phase s = m.pauseState;
    if (held && s == Phase::kIdle) {
        audio.effects().Play(0);
        OpenPause(m);
    } else if (s == Phase::kOpening) {
        OpenPause(m);
    } else if (!held && s == Phase::kOpenHeld) {
        m.pauseState = Phase::kActive;
    } else if (s == Phase::kClosing || (held && s == Phase::kActive)) {
        ClosePause(m);
    } else if (!held && s == Phase::kClosedHeld) {
        m.pauseState = Phase::kIdle;
    }
}

void RunPlaySceneFrame(const SceneLinks& links, PlayState& play, platform::Calendar& calendar) {
    System& system = links.system;
    WorldState& world = links.world;
    Audio& audio = links.audio;
    Graphics& sprites = links.graphics;

    // A fresh sprite list, the pause, the music switch and both fades.
    sprites.ClearSpriteList();
    RunPauseControl(system.inputState, world, audio);
    ServeMusicSwitch(world, audio);
    scene_overlays::StepScreenFade(world);
    audio.music().ServiceFade();

    // The background, then the rules of play with the play screen.
    DrawPlayBackground(sprites);
    PlayStep(system.inputState, system.processIds, system.music, world, audio, sprites, play,
             calendar)
        .Run();

    // On top of everything: the fade, the border masks, the diagnostic line.
    scene_overlays::DrawFadeOverlay(sprites, system.display, world);
    scene_overlays::DrawBorderMasks(sprites, system.display);
    scene_overlays::DrawDiagnosticLine(sprites, system.display, world);
    system.inputState.KeepAsLastFrame();
}
