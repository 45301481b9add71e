#include "scenes/PlayScene.h"

#include "audio/Audio.h"
#include "graphics/Graphics.h"
#include "world/InputState.h"
#include "play/PlayStep.h"
#include "scenes/MusicSwitch.h"
#include "scenes/PlayBackground.h"
#include "scenes/SceneLinks.h"
#include "scenes/SceneOverlays.h"
#include "world/System.h"
#include "world/WorldState.h"

namespace {

enum PauseState : int32_t {
    kRunning = 0,
    kOpening = 1,
    kOpenHeld = 2,  // open, waiting for the button's release
    kPaused = 4,
    kClosing = 8,
    kClosedHeld = 16,  // closed, waiting for the button's release
};
constexpr int32_t kPauseFrames = 8;

void OpenPause(MenuState& m) {
    m.pauseState = kOpening;
    m.paused = 1;
    if (m.pauseAnim < kPauseFrames) {
        ++m.pauseAnim;
    } else {
        m.pauseState = kOpenHeld;
        m.pauseAnim = kPauseFrames;
    }
}

void ClosePause(MenuState& m) {
    // While the title or a window is busy the pause stays as it is.
    if (m.titleState != 0 || m.windowState != 0)
        return;
    m.pauseState = kClosing;
    m.paused = 0;
    if (m.pauseAnim > 0) {
        --m.pauseAnim;
    } else {
        m.pauseState = kClosedHeld;
        m.pauseAnim = 0;
    }
}

}  // namespace

void RunPauseControl(const InputState& input, WorldState& world, Audio& audio) {
    MenuState& m = world.menuState;
    const bool held = Held(input, platform::Control::kPause);
    const int32_t s = m.pauseState;
    if (held && s == kRunning) {
        audio.effects().Play(0);
        OpenPause(m);
    } else if (s == kOpening) {
        OpenPause(m);
    } else if (!held && s == kOpenHeld) {
        m.pauseState = kPaused;
    } else if (s == kClosing || (held && s == kPaused)) {
        ClosePause(m);
    } else if (!held && s == kClosedHeld) {
        m.pauseState = kRunning;
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
