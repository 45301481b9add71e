#include "support/SceneRenderRig.h"

#include <cstdlib>

#include "base/WideText.h"
#include "graphics/Graphics.h"
#include "resources/LoadResources.h"
#include "support/FakeServices.h"
#include "unit/graphics_test_util.h"
#include "world/System.h"
#include "world/WorldState.h"

SceneRenderRig::Start SceneRenderRig::Begin() {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    if (!window.Create("Tessary", kWidth, kHeight))
        return Start::kFailed;
    game.LinkObjects(gpu, window);
    System& system = *game.system;
    system.folders.programFolder = TESSARY_SHADER_DIR;
    if (!game.graphics->CreateDevice())
        return gpu.failure() == platform::GlFailure::kNoContext ? Start::kNoContext
                                                                : Start::kFailed;
    KeepGlDriverLoaded();
    system.sound.soundMode = SoundMode::kNone;
    system.folders.resourceFolder = TESSARY_GAME_DATA_DIR;
    RecordingDialogs dialogs;
    if (!LoadResources(game.system->folders, game.system->sound, game.system->music, *game.world,
                       *game.graphics, *game.audio, dialogs) ||
        game.world->loadingFlag != 0)
        return Start::kFailed;
    return Start::kReady;
}

std::vector<uint8_t> SceneRenderRig::Render() {
    game.graphics->DrawFrame();
    std::vector<uint8_t> rgb(static_cast<size_t>(kWidth) * kHeight * 3);
    if (!gpu.ReadPixels(0, 0, kWidth, kHeight, rgb.data()))
        rgb.clear();
    return rgb;
}
