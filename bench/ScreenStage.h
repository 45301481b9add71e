#pragma once
// ScreenStage: what the screen benchmarks draw with. A hidden window on SDL's
// offscreen driver, the real GL device (llvmpipe where there is no GPU) and a
// Game with the real pictures of the program folder beside the benchmark
// (build/game/data), made once per process with sound off and vertical sync
// off, so that a frame is the scene and RenderFrame and nothing else.
//
// The helpers put the world records in the state of one screen; the frame is
// then run by the scene's own frame function.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "app/Game.h"
#include "base/WideText.h"
#include "graphics/Graphics.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/GlDevice.h"
#include "platform/SdlWindow.h"
#include "resources/LoadResources.h"
#include "world/System.h"
#include "world/WorldState.h"

namespace bench {

class PrintingDialogs final : public platform::Dialogs {
public:
    void Show(std::string_view text, std::string_view caption, std::string_view) override {
        std::fprintf(stderr, "[%.*s] %.*s\n", static_cast<int>(caption.size()), caption.data(),
                     static_cast<int>(text.size()), text.data());
    }
};

struct ScreenStage {
    platform::SdlWindow window;  // outlives the device
    platform::GlDevice gpu;
    PrintingDialogs dialogs;
    std::unique_ptr<Game> game;
    const char* error = nullptr;  // why the stage could not be made, or null

    ScreenStage() {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        if (!window.Create("Tessary", 1280, 720)) {
            error = "no window on the offscreen driver";
            return;
        }
        char exe[4096] = {};
        const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
        if (n <= 0) {
            error = "the program's own path is unknown";
            return;
        }
        const std::filesystem::path programFolder =
            platform::FolderOf(std::string(exe, n)) / "../game/";

        game = std::make_unique<Game>();
        System& system = *game->system;
        system.folders.programFolder = programFolder;
        system.folders.resourceFolder = programFolder / "data/";
        system.sound.soundMode = SoundMode::kNone;  // pictures only; the sound calls return at once
        system.display.vsync = 0;                   // present without waiting for the display
        system.sound.bgmVolume = 7 * 500;
        system.sound.seVolume = 13 * 500;
        game->LinkObjects(gpu, window);
        game->graphics->LinkDialogs(&dialogs);
        // Every frame drawn whole: these benchmarks measure what drawing costs,
        // not how often an unchanged screen is left undrawn.
        game->graphics->SetRedrawAlways(true);
        if (!game->graphics->CreateDevice()) {
            error = "no OpenGL 3.3 core device";
            return;
        }
        if (!LoadResources(game->system->folders, game->system->sound, game->system->music,
                           *game->world, *game->graphics, *game->audio, dialogs)) {
            error = "LoadResources failed (is build/game/data made?)";
            return;
        }
        ShowTitle(false);
    }

    // The title with its items open, the cursor on options, and the options
    // window fully open on the effect-volume row when optionsOpen is set.
    void ShowTitle(bool optionsOpen) {
        WorldState& world = *game->world;
        world.sceneState = SceneState::kTitle;
        world.loadingFlag = 0;
        world.fadeLevel = 0;
        world.fadeOutRequest = 0;
        world.fadeInRequest = 0;
        MenuState& m = world.menuState;
        m = MenuState{};
        m.titleState = WindowPhase::kActive;
        m.titleAnim = 8;
        m.windowState = optionsOpen ? WindowPhase::kActive : WindowPhase::kIdle;
        m.windowAnim = optionsOpen ? 8 : 0;
        m.mainCursor = 2;
        m.optionRow = 4;
        world.shownItem = 2;
    }
};

// The stage of this process, made on first use; it lives to the end of the
// process (the GL context must not go away under a later benchmark).
inline ScreenStage& TheStage() {
    static ScreenStage* stage = new ScreenStage();
    return *stage;
}

}  // namespace bench
