#pragma once
// The game's objects on the doubled platform, ready for the resource loader:
// the fake graphics device is made and the sound engine is up on the loopback
// device (when the sound mode asks for sound).

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "app/Game.h"
#include "audio/Audio.h"
#include "base/WideText.h"
#include "graphics/Graphics.h"
#include "resources/LoadResources.h"
#include "support/FakePlatform.h"
#include "world/System.h"
#include "world/WorldState.h"

class ResourceRig {
public:
    // resourceFolder: as dir.txt would name it, backslashes and all.
    ResourceRig(int32_t soundMode, std::u16string_view resourceFolder) {
        System& s = *game->system;
        s.sound.soundMode = static_cast<SoundMode>(soundMode);
        s.sound.bgmVolume = 10000;
        s.sound.seVolume = 10000;
        s.folders.resourceFolder = base::PathFromStored(resourceFolder);
        game->LinkObjects(fake.gpu, fake.window);
        game->graphics->LinkDialogs(&fake.dialogs);
        EXPECT_TRUE(fake.window.Create("Tessary", 1280, 720));
        EXPECT_TRUE(game->graphics->CreateDevice());
        // A failing sound device is what some tests are about: the load says so.
        if (soundMode == 1 || soundMode == 2)
            static_cast<void>(game->audio->Open(fake.sound, fake.streamClock, fake.dialogs));
    }

    bool Load() {
        return LoadResources(game->system->folders, game->system->sound, game->system->music,
                             *game->world, *game->graphics, *game->audio, fake.dialogs)
            .ok();
    }

    System& system() { return *game->system; }
    WorldState& world() { return *game->world; }
    Audio& audio() { return *game->audio; }
    Graphics& graphics() { return *game->graphics; }

    FakePlatform fake;
    std::unique_ptr<Game> game = std::make_unique<Game>();  // goes before the platform
};
