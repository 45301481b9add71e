#include "app/Startup.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "app/Game.h"
#include "app/ProgramLayout.h"
#include "app/WindowEvents.h"
#include "audio/Audio.h"
#include "graphics/Graphics.h"
#include "input/InputSampler.h"
#include "persist/FolderFile.h"
#include "persist/SettingsFile.h"
#include "persist/SlotFiles.h"
#include "platform/Files.h"
#include "resources/LoadResources.h"
#include "world/System.h"
#include "world/WorldState.h"

namespace {

namespace fs = std::filesystem;

constexpr char kFontFile[] = "VLGothic/VL-Gothic-Regular.ttf";
constexpr char kWindowIconFile[] = "icons/tessary-64.png";

// A file of the player's folder; no path at all when there is no such folder
// (an installed game run by a user without a home), so nothing is read from or
// written to the working folder by mistake.
fs::path PlayerFile(const Folders& folders, std::string_view name) {
    if (folders.userFolder.empty())
        return {};
    return folders.userFolder / name;
}

std::string SlotFileName(int slot) {
    char name[32];
    std::snprintf(name, sizeof name, "save%04d.dat", slot + 1);
    return name;
}

// One run of the program, from the single-instance check to the last exit step.
class Program {
public:
    Program(const platform::Platform& platform, platform::FileSystem& files, bool writesFiles)
        : p_(platform), files_(files), writesFiles_(writesFiles) {}
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
    base::Outcome SaveSettings();
    void Shutdown();

    const platform::Platform& p_;
    platform::FileSystem& files_;
    bool writesFiles_;
    std::unique_ptr<Game> game_;
};

int Program::Run(const SceneFrames& scenes) {
    // Single instance: a second copy ends at once.
    if (!p_.instanceLock.TryAcquire())
        return kExitSuccess;

    // The Game object: the records and the three subsystems.
    game_ = std::make_unique<Game>();
    SetTheGame(game_.get());
    System& system = *game_->system;
    Folders& folders = system.folders;
    WorldState& world = *game_->world;

    // Program folder and the player's folder, each with its trailing separator:
    // the same folder for a portable copy, apart for an installed game.
    ApplyLayout(FindLayout(p_.process.ExecutablePath(), p_.process.UserDataFolder()), folders);

    // Settings; a missing file leaves the defaults.
    SettingsFile(system, world.rankingTable, files_).Load(PlayerFile(folders, "Game.ini"));

    // Folder file: without it there is nothing to run. A copy without one
    // beside it ends quietly; an installed one whose package lacks it says
    // which file is missing, in a box as well, for a player who started it
    // from the menu, with the English line under it as every box has.
    const fs::path folderFile = folders.programFolder / "dir.txt";
    if (base::Outcome loaded = FolderFile(folders, files_).Load(folderFile); !loaded) {
        if (folders.layout == FolderLayout::kInstalled)
            p_.dialogs.Show(folderFile.native() + " ファイルが見つかりません", "Message",
                            loaded.reason());
        else
            std::fprintf(stderr, "Tessary: %s\n", loaded.reason().c_str());
        return SilentEarlyExit();
    }

    // Slot files that can be read are loaded; missing ones (and folders or
    // files the system will not read) leave their slot zero. Only a file
    // that goes away between the look and the read ends the start.
    SlotFiles slotFiles(world, p_.dialogs, files_);
    for (int slot = 0; slot < WorldState::kSlots; ++slot) {
        const fs::path path = PlayerFile(folders, SlotFileName(slot));
        if (!slotFiles.Present(path))
            continue;
        if (!slotFiles.Load(path, slot))
            return SilentEarlyExit();
    }

    // Screen saver off for the run.
    p_.screenSaver.Disable();

    // Resource folder.
    folders.SetResourceFolder();

    // The window, always windowed at first; a full-screen setting arrives
    // as a request that the first frame carries out.
    system.display.screenWidth = 1280;
    system.display.screenHeight = 720;
    if (base::Outcome made =
            p_.window.Create("Tessary", system.display.screenWidth, system.display.screenHeight);
        !made) {
        p_.dialogs.Show("失敗", "Message", "could not create the window: " + made.reason());
        return SilentEarlyExit();
    }
    // The badge from the data folder as the window's icon; without it the
    // window manager shows its own.
    p_.window.SetIcon(folders.resourceFolder / kWindowIconFile);

    // The ids the piece generator seeds from.
    system.processIds = {p_.process.ThreadId(), p_.process.ProcessId()};

    // Show the window, link the objects, remember where the window is.
    p_.window.Show();
    game_->LinkObjects(p_.gpu, p_.window);
    game_->graphics->LinkDialogs(&p_.dialogs);
    game_->input->AttachDevices(p_.keyboard, p_.pads);
    if (!p_.window.GetRect(&system.display.windowRect)) {
        system.display.windowRect.left = 0;
        system.display.windowRect.top = 0;
    }

    // The font is only checked: the glyphs the game draws come from its
    // glyph sheet, so a missing font is noted on the terminal and nothing more.
    if (system.settings.fontEnabled == 1) {
        const fs::path font = folders.resourceFolder / kFontFile;
        uint8_t first = 0;
        if (base::Outcome read = platform::ReadFilePrefix(font, &first, 1); !read)
            std::fprintf(stderr, "Tessary: font: %s\n", read.reason().c_str());
    }

    // No Ogg music track is open yet.
    if (system.sound.soundMode == SoundMode::kOgg)
        game_->audio->music().ClearOggTracks();

    // Graphics device.
    if (base::Outcome made = game_->graphics->CreateDevice(); !made) {
        p_.dialogs.Show("DirectGraphicsの初期化に失敗しました。", "Message",
                        "could not start OpenGL 3.3: " + made.reason());
        return FailureExit();
    }

    // Pad use as the settings say.
    system.inputState.inputMode = system.settings.padSetting;

    // Sound. Without a sound device the game goes on silently
    // (soundDisabled); a device whose mixing context fails ends the start-up.
    if (system.sound.soundMode == SoundMode::kWave || system.sound.soundMode == SoundMode::kOgg) {
        if (base::Outcome opened = game_->audio->Open(p_.sound, p_.streamClock, p_.dialogs);
            !opened) {
            p_.dialogs.Show("XAudio2の初期化に失敗しました。", "Message",
                            "could not open a sound device: " + opened.reason());
            return FailureExit();
        }
    }

    // Pictures, effects, music and the music thread. A failure after the
    // thread has started still ends cleanly: the shutdown stops it first.
    if (base::Outcome loaded =
            LoadResources(game_->system->folders, game_->system->sound, game_->system->music,
                          *game_->world, *game_->graphics, *game_->audio, p_.dialogs);
        !loaded) {
        p_.dialogs.Show("ゲームの初期化に失敗しました。", "Message", loaded.reason());
        return FailureExit();
    }

    // The frame loop.
    WindowEvents windowProc(*game_, p_.window);
    FrameLoop loop(*game_, p_, windowProc, scenes);
    // A save during play that fails is said on the terminal and the game goes
    // on; the close tries again and reports a failure with its box.
    // A watched replay writes nothing, not even when its game ends.
    if (writesFiles_) {
        loop.ServeSaveRequests([this] {
            if (base::Outcome saved = SaveSettings(); !saved)
                std::fprintf(stderr, "Tessary: %s\n", saved.reason().c_str());
        });
    }
    switch (loop.Run()) {
        case FrameLoop::Next::kQuit:
            return OrderlyExit();
        case FrameLoop::Next::kFailureExit:
            return FailureExit();
        case FrameLoop::Next::kAbort:
        case FrameLoop::Next::kContinue:
            break;
    }
    // The textures could not be made again after a lost device: the run ends
    // at once.
    return kExitFailure;
}

base::Outcome Program::SaveSettings() {
    System& system = *game_->system;
    const Folders& folders = system.folders;
    // An installed game makes the player's folder on its first save.
    if (folders.layout != FolderLayout::kPortable) {
        if (base::Outcome made = platform::MakeFolders(folders.userFolder); !made)
            return made;
    }
    SettingsFile settings(system, game_->world->rankingTable, files_);
    return settings.Save(PlayerFile(folders, "Game.ini"));
}

int Program::OrderlyExit() {
    if (!writesFiles_) {
        Shutdown();
        return kExitSuccess;
    }
    System& system = *game_->system;
    const Folders& folders = system.folders;
    if (base::Outcome saved = SaveSettings(); !saved) {
        p_.dialogs.Show("ini書き込みに失敗しました。", "Error", saved.reason());
        return FailureExit();
    }
    // The shared files of an installed game are never written. A portable
    // dir.txt that cannot be written is said in the same words: the next
    // start may not find its resources.
    if (folders.layout == FolderLayout::kPortable) {
        FolderFile folderFile(system.folders, files_);
        if (base::Outcome saved = folderFile.Save(folders.programFolder / "dir.txt"); !saved) {
            p_.dialogs.Show("ini書き込みに失敗しました。", "Error", saved.reason());
            return FailureExit();
        }
    }
    Shutdown();
    return kExitSuccess;
}

int Program::FailureExit() {
    p_.window.ShowCursor();
    p_.window.Destroy();
    Shutdown();
    return kExitFailure;
}

int Program::SilentEarlyExit() {
    return FailureExit();
}

void Program::Shutdown() {
    System& system = *game_->system;
    p_.screenSaver.Enable();
    // The music thread stops before anything it reads goes away; then the
    // voices and the sound device.
    if (system.sound.soundMode == SoundMode::kWave || system.sound.soundMode == SoundMode::kOgg)
        game_->audio->Shutdown();
    game_->graphics->ReleaseDevice();
    // The music tracks' files.
    for (int track = 0; track < MusicStreamer::kTracks; ++track) {
        if (system.sound.soundMode == SoundMode::kWave) {
            game_->audio->music().CloseWave(track);
        } else if (system.sound.soundMode == SoundMode::kOgg) {
            game_->audio->music().CloseOgg(track);
        }
    }
    game_.reset();  // audio, input, graphics, world record, System, then Game itself
    SetTheGame(nullptr);
}

}  // namespace

int RunGame(const platform::Platform& platform, const SceneFrames& scenes,
            platform::FileSystem& files, bool writesFiles) {
    Program program(platform, files, writesFiles);
    return program.Run(scenes);
}
