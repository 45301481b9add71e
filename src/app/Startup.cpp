#include "app/Startup.h"

#include <cstdio>
#include <memory>
#include <string>

#include "app/WindowEvents.h"
#include "audio/Audio.h"
#include "base/WideText.h"
#include "graphics/Graphics.h"
#include "input/InputSampler.h"
#include "persist/SettingsFile.h"
#include "platform/Files.h"
#include "resources/LoadResources.h"
#include "app/Game.h"
#include "world/WorldState.h"
#include "world/ProcessIds.h"
#include "world/System.h"

namespace {

constexpr char16_t kFontFile[] = u"VLGothic\\VL-Gothic-Regular.ttf";

std::u16string Join(const char16_t* folder, size_t cap, std::u16string_view name) {
    std::u16string path(folder, base::WideLength(folder, cap));
    path += name;
    return path;
}

template <size_t N>
std::u16string Join(const char16_t (&folder)[N], std::u16string_view name) {
    return Join(folder, N, name);
}

std::u16string SlotFileName(int slot) {
    char name[32];
    std::snprintf(name, sizeof name, "save%04d.dat", slot + 1);
    return base::FromUtf8(name);
}

bool FileOpens(std::u16string_view path) {
    FILE* file = platform::OpenFile(path, "rb");
    if (file == nullptr)
        return false;
    std::fclose(file);
    return true;
}

// One run of the program, from the single-instance check to the last exit step.
class Program {
public:
    explicit Program(const platform::Platform& platform) : p_(platform) {}
    ~Program() {
        if (game_ != nullptr) {
            game_.reset();
            SetTheGame(nullptr);
        }
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    int Run(const SceneFrames& scenes);

private:
    int SilentEarlyExit();
    int FailureExit();
    int OrderlyExit();
    void Shutdown();

    const platform::Platform& p_;
    std::unique_ptr<Game> game_;
};

int Program::Run(const SceneFrames& scenes) {
    // 1. Single instance: a second copy ends at once.
    if (!p_.instanceLock.TryAcquire())
        return 0;

    // 3. The Game object and its five members.
    game_ = std::make_unique<Game>();
    SetTheGame(game_.get());
    System& system = *game_->system;
    WorldState& world = *game_->world;

    // 5. Program folder, with its trailing separator.
    base::WideCopy(system.programFolder, platform::FolderOf(p_.process.ExecutablePath()));

    // 6. Settings; a missing file leaves the defaults.
    SettingsFile files(&system, &world, &p_.dialogs);
    files.LoadSettings(Join(system.programFolder, u"Game.ini"));

    // 7. Folder file: without it there is nothing to run.
    if (!files.LoadFolderFile(Join(system.programFolder, u"dir.txt")))
        return SilentEarlyExit();

    // 8. Slot files that exist are loaded; missing ones leave their slot zero.
    for (int slot = 0; slot < WorldState::kSlots; ++slot) {
        const std::u16string path = Join(system.programFolder, SlotFileName(slot));
        if (!FileOpens(path))
            continue;
        if (!files.LoadSlot(path, slot))
            return SilentEarlyExit();
    }

    // 9. Screen saver off for the run.
    p_.screenSaver.Disable();

    // 10. Resource folder.
    if (system.folderRelative != 0) {
        base::WideCopy(system.resourceFolder, base::WideView(system.programFolder));
        base::WideAppend(system.resourceFolder, base::WideView(system.folderTextCopy));
    } else {
        base::WideCopy(system.resourceFolder, base::WideView(system.folderTextCopy));
    }

    // 11-12. The window, always windowed at first; a full-screen setting arrives
    // as a request that the first frame carries out.
    system.screenWidth = 1280;
    system.screenHeight = 720;
    if (!p_.window.Create("Tessary", system.screenWidth, system.screenHeight)) {
        p_.dialogs.Show("失敗", "Message");
        return SilentEarlyExit();
    }

    // 13. The ids the piece generator seeds from.
    StartupProcessIds() = {p_.process.ThreadId(), p_.process.ProcessId()};

    // 14-16. Show the window, link the objects, remember where the window is.
    p_.window.Show();
    game_->LinkObjects(p_.gpu, p_.window);
    game_->graphics->LinkDialogs(&p_.dialogs);
    game_->input->AttachDevices(&p_.keyboard, &p_.pads);
    if (!p_.window.GetRect(&system.windowRect)) {
        system.windowRect.left = 0;
        system.windowRect.top = 0;
    }

    // 17. The font is only checked: the glyphs the game draws come from its
    // glyph sheet, so a missing font is noted on the terminal and nothing more.
    if (system.fontEnabled == 1) {
        const std::u16string font = Join(system.resourceFolder, kFontFile);
        if (!FileOpens(font))
            std::fprintf(stderr, "Tessary: font %s not found\n",
                         platform::NativePath(font).c_str());
    }

    // 18. No Ogg music track is open yet.
    if (system.soundMode == 2)
        game_->audio->music().ClearOggTracks();

    // 20. Graphics device.
    if (game_->graphics->CreateDevice() != 1) {
        p_.dialogs.Show("DirectGraphicsの初期化に失敗しました。", "Message");
        return FailureExit();
    }

    // 21. Pad use as the settings say.
    system.inputMode = system.padSetting;

    // 22. Sound. Without a sound device the game goes on silently
    // (soundDisabled); a device whose mixing context fails ends the start-up.
    if (system.soundMode == 1 || system.soundMode == 2) {
        if (!game_->audio->Open(p_.sound, p_.streamClock, p_.dialogs)) {
            p_.dialogs.Show("XAudio2の初期化に失敗しました。", "Message");
            return FailureExit();
        }
    }

    // 23. Pictures, effects, music and the music thread. A failure after the
    // thread has started still ends cleanly: the shutdown stops it first.
    if (!LoadResources(*game_, p_.dialogs)) {
        p_.dialogs.Show("ゲームの初期化に失敗しました。", "Message");
        return FailureExit();
    }

    // 24. The frame loop.
    WindowEvents windowProc(*game_, p_.window);
    FrameLoop loop(*game_, p_, windowProc, scenes);
    switch (loop.Run()) {
        case FrameLoop::Outcome::kQuit:
            return OrderlyExit();
        case FrameLoop::Outcome::kFailureExit:
            return FailureExit();
        case FrameLoop::Outcome::kAbort:
        case FrameLoop::Outcome::kContinue:
            break;
    }
    return 0;
}

int Program::OrderlyExit() {
    System& system = *game_->system;
    SettingsFile files(&system, game_->world.get(), &p_.dialogs);
    if (!files.SaveSettings(Join(system.programFolder, u"Game.ini"))) {
        p_.dialogs.Show("ini書き込みに失敗しました。", "Error");
        return FailureExit();
    }
    files.SaveFolderFile(Join(system.programFolder, u"dir.txt"));  // a failure is not reported
    Shutdown();
    return 0;
}

int Program::FailureExit() {
    p_.window.ShowCursor();
    p_.window.Destroy();
    Shutdown();
    return 0;
}

int Program::SilentEarlyExit() {
    return FailureExit();
}

void Program::Shutdown() {
    System& system = *game_->system;
    p_.screenSaver.Enable();
    // 3. The music thread stops before anything it reads goes away; then the
    // voices and the sound device.
    if (system.soundMode == 1 || system.soundMode == 2)
        game_->audio->Shutdown();
    game_->graphics->ReleaseDevice();
    // 5. The music tracks' files.
    for (int track = 0; track < MusicStreamer::kTracks; ++track) {
        if (system.soundMode == 1) {
            game_->audio->music().CloseWave(track);
        } else if (system.soundMode == 2) {
            game_->audio->music().CloseOgg(track);
        }
    }
    game_.reset();  // audio, input, graphics, world record, System, then Game itself
    SetTheGame(nullptr);
}

}  // namespace

int RunGame(const platform::Platform& platform, const SceneFrames& scenes) {
    Program program(platform);
    return program.Run(scenes);
}
