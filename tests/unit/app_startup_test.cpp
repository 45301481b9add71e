// ctest-labels: audio
// Start-up and shutdown on a real program folder with the platform doubled:
// the orderly exit writes the files, every failure shows its exact message
// with a line saying what failed, and takes its exit with status 1; a normal
// close and a second copy end with 0.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "app/Game.h"
#include "app/Startup.h"
#include "audio/Audio.h"
#include "base/WideText.h"
#include "support/DataFolder.h"
#include "support/FailingFiles.h"
#include "support/FakePlatform.h"
#include "support/TempFolder.h"
#include "world/ProcessIds.h"
#include "world/System.h"
#include "world/WorldState.h"

namespace {

namespace fs = std::filesystem;

// dir.txt naming "data\", followed by a zero unit and bytes the reader never
// takes, so a rewrite at exit is visible.
const std::vector<uint8_t> kDirTxt = {0xFF, 0xFE, 'd',  0, 'a', 0, 't', 0,
                                      'a',  0,    '\\', 0, 0,   0, 'x', 0};
const std::vector<uint8_t> kDirTxtRewritten(kDirTxt.begin(), kDirTxt.begin() + 12);

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder.Write("dir.txt", kDirTxt);
        testdata::WriteDataFolder(folder);  // what resource loading reads
        process.executable = folder.Path("tessary");
        // Esc on the first frame: command, close, destroy, quit.
        window.events.push_back({platform::WindowEvent::Kind::kEscapePressed});
        scenes.title = [this](Game& game) {
            ++frames;
            seen = &game;
            ids = game.system->processIds;
            return 1;
        };
    }
    int Run() { return RunGame(fake.platform, scenes); }

    TempFolder folder;
    FakePlatform fake;
    RecordingDialogs& dialogs = fake.dialogs;
    FakeWindow& window = fake.window;
    FakeGpu& gpu = fake.gpu;
    CountingScreenSaver& screenSaver = fake.screenSaver;
    FakeSoundDevice& sound = fake.sound;
    FakeLock& lock = fake.lock;
    FakeProcess& process = fake.process;
    SceneFrames scenes;
    int frames = 0;
    Game* seen = nullptr;
    ProcessIds ids;
};

TEST_F(StartupTest, OrderlyRunWritesSettingsAndFolderFile) {
    process.threadId = 4321;
    process.processId = 4300;
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(window.createdTitle, "Tessary");
    EXPECT_EQ(window.createdWidth, 1280);
    EXPECT_EQ(window.createdHeight, 720);
    EXPECT_GE(frames, 1);
    EXPECT_TRUE(dialogs.shown.empty());

    const auto ini = folder.Read("Game.ini");
    ASSERT_EQ(ini.size(), 512u);
    EXPECT_EQ(ini[3], 1);   // vsync on by default
    EXPECT_EQ(ini[21], 1);  // Ogg sound
    EXPECT_EQ(folder.Read("dir.txt"), kDirTxtRewritten);

    // The shutdown sequence ran: screen saver restored, device released, objects gone.
    EXPECT_EQ(screenSaver.disabled, 1);
    EXPECT_TRUE(screenSaver.on);
    EXPECT_FALSE(gpu.IsCreated());
    EXPECT_EQ(TheGame(), nullptr);
    EXPECT_EQ(ids.threadId, 4321u);
    EXPECT_EQ(ids.processId, 4300u);
}

TEST_F(StartupTest, TheProgramFolderAndResourceFolderComeFromTheProgramPath) {
    process.executable = folder.Path("./tessary");
    fs::path programFolder;
    fs::path resourceFolder;
    scenes.title = [&](Game& game) {
        programFolder = game.system->folders.programFolder;
        resourceFolder = game.system->folders.resourceFolder;
        return 1;
    };
    EXPECT_EQ(Run(), 0);
    const std::string expected = folder.path() + "/";
    EXPECT_EQ(programFolder.native(), expected);
    EXPECT_EQ(resourceFolder.native(), expected + "data/");
}

TEST_F(StartupTest, AnInstalledGameKeepsThePlayersFilesInTheirOwnFolder) {
    // <prefix>/games/tessary with its files in <prefix>/share/tessary/.
    fs::create_directories(folder.Native("usr/share/tessary"));
    fs::create_directories(folder.Native("usr/games"));
    fs::rename(folder.Native("dir.txt"), folder.Native("usr/share/tessary/dir.txt"));
    fs::rename(folder.Native("data"), folder.Native("usr/share/tessary/data"));
    process.executable = folder.Path("usr/games/tessary");
    process.userDataFolder = folder.Path("home/.local/share/tessary/");
    fs::path resourceFolder;
    scenes.title = [&](Game& game) {
        resourceFolder = game.system->folders.resourceFolder;
        return 1;
    };
    const auto listing = [&] {
        std::vector<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(folder.Native("usr")))
            files.push_back(entry.path().string() + " " +
                            std::to_string(fs::is_regular_file(entry) ? fs::file_size(entry) : 0));
        return files;
    };
    const std::vector<std::string> before = listing();

    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(resourceFolder.native(), folder.Native("usr/share/tessary/data/"));
    EXPECT_EQ(folder.Read("home/.local/share/tessary/Game.ini").size(), 512u);
    struct stat info {};
    ASSERT_EQ(stat(folder.Native("home/.local/share/tessary").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(listing(), before);  // dir.txt is not rewritten, nothing is added

    // The next start reads the player's settings and slot files from there.
    std::vector<uint8_t> ini = folder.Read("home/.local/share/tessary/Game.ini");
    ini[34] = 7;
    folder.Write("home/.local/share/tessary/Game.ini", ini);
    std::vector<uint8_t> slot(38971, 0);
    slot[0] = 0x5A;
    folder.Write("home/.local/share/tessary/save0001.dat", slot);
    int32_t bgmVolume = 0;
    uint8_t flag = 0;
    scenes.title = [&](Game& game) {
        bgmVolume = game.system->sound.bgmVolume;
        flag = game.world->saveSlots[0].blocks[0].byteAt0;
        return 1;
    };
    window.events.push_back({platform::WindowEvent::Kind::kEscapePressed});
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(bgmVolume, 7 * 500);
    EXPECT_EQ(flag, 0x5A);

    // Without the shared dir.txt the box names it, with the system's reason.
    const std::string shared = folder.Native("usr/share/tessary/dir.txt");
    fs::remove(shared);
    EXPECT_EQ(Run(), kExitFailure);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, shared + " ファイルが見つかりません");
    EXPECT_EQ(dialogs.shown[0].detail, "could not open " + shared + ": No such file or directory");
}

TEST_F(StartupTest, ASecondInstanceEndsAtOnce) {
    lock.available = false;
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(window.creates, 0);
    EXPECT_EQ(frames, 0);
    EXPECT_FALSE(folder.Exists("Game.ini"));
}

TEST_F(StartupTest, MissingFolderFileEndsSilentlyBeforeAnyWindow) {
    fs::remove(folder.Native("dir.txt"));
    EXPECT_EQ(Run(), kExitFailure);
    EXPECT_EQ(window.creates, 0);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_FALSE(folder.Exists("Game.ini"));
    EXPECT_FALSE(folder.Exists("dir.txt"));
}

TEST_F(StartupTest, SlotFilesThatExistAreLoaded) {
    std::vector<uint8_t> slot(38971, 0);
    slot[0] = 0x5A;
    folder.Write("save0003.dat", slot);
    uint8_t flag2 = 0;
    uint8_t flag0 = 0;
    scenes.title = [&](Game& game) {
        flag2 = game.world->saveSlots[2].blocks[0].byteAt0;
        flag0 = game.world->saveSlots[0].blocks[0].byteAt0;
        return 1;
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(flag2, 0x5A);
    EXPECT_EQ(flag0, 0);
}

TEST_F(StartupTest, AWindowThatCannotBeMadeShowsFailure) {
    window.createOk = false;
    EXPECT_EQ(Run(), kExitFailure);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "失敗");
    EXPECT_EQ(dialogs.shown[0].detail.rfind("could not create the window", 0), 0u);
    EXPECT_EQ(dialogs.shown[0].caption, "Message");
    EXPECT_EQ(frames, 0);
    EXPECT_FALSE(folder.Exists("Game.ini"));
}

TEST_F(StartupTest, ADeviceThatCannotBeMadeTakesTheFailureExit) {
    gpu.createSucceeds = false;
    EXPECT_EQ(Run(), kExitFailure);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "DirectGraphicsの初期化に失敗しました。");
    EXPECT_EQ(dialogs.shown[0].detail.rfind("could not start OpenGL 3.3", 0), 0u);
    EXPECT_EQ(dialogs.shown[0].caption, "Message");
    EXPECT_EQ(frames, 0);
    EXPECT_FALSE(window.Exists());
    EXPECT_TRUE(window.cursorShown);
    EXPECT_TRUE(screenSaver.on);
    EXPECT_FALSE(folder.Exists("Game.ini"));
    EXPECT_EQ(TheGame(), nullptr);
}

TEST_F(StartupTest, SoundComesUpWithTheGameAndGoesDownWithIt) {
    bool mixing = false;
    scenes.title = [&](Game& game) {
        mixing = game.system->sound.soundDisabled == 0 && sound.loopback.HasContext();
        return 1;
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(mixing);
    EXPECT_EQ(sound.opens, 1);
    EXPECT_EQ(sound.closes, 1);
    EXPECT_FALSE(sound.loopback.IsOpen());
}

TEST_F(StartupTest, WithoutASoundDeviceTheGameRunsSilently) {
    sound.hasDevice = false;
    int32_t disabled = -1;
    scenes.title = [&](Game& game) {
        disabled = game.system->sound.soundDisabled;
        ++frames;
        return 1;
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(disabled, 1);
    EXPECT_GE(frames, 1);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(folder.Exists("Game.ini"));
}

TEST_F(StartupTest, AMasteringVoiceThatCannotBeMadeTakesTheFailureExit) {
    sound.contextOk = false;
    EXPECT_EQ(Run(), kExitFailure);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "XAudio2の初期化に失敗しました。");
    EXPECT_EQ(dialogs.shown[0].detail.rfind("could not open a sound device", 0), 0u);
    EXPECT_EQ(dialogs.shown[0].caption, "Message");
    EXPECT_EQ(frames, 0);
    EXPECT_FALSE(window.Exists());
    EXPECT_FALSE(gpu.IsCreated());
    EXPECT_FALSE(sound.loopback.IsOpen());
    EXPECT_FALSE(folder.Exists("Game.ini"));
}

TEST_F(StartupTest, WithSoundOffNoSoundDeviceIsOpened) {
    std::vector<uint8_t> ini(512, 0);
    ini[3] = 1;   // byte 21 = 0: no sound
    ini[16] = 1;  // the data folder lies beside the program
    folder.Write("Game.ini", ini);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(sound.opens, 0);
    EXPECT_TRUE(dialogs.shown.empty());
}

// One program folder and platform of doubles, for the tables below: Esc on
// the first frame.
struct Install {
    Install() {
        folder.Write("dir.txt", kDirTxt);
        testdata::WriteDataFolder(folder);
        fake.process.executable = folder.Path("tessary");
        fake.window.events.push_back({platform::WindowEvent::Kind::kEscapePressed});
        scenes.title = [](Game&) { return 1; };
    }
    int Run(platform::FileSystem& files = platform::SystemFiles()) {
        return RunGame(fake.platform, scenes, files);
    }
    TempFolder folder;
    FakePlatform fake;
    SceneFrames scenes;
};

TEST(StartupExit, EveryFailureEndsWithStatusOneAndOnlyThose) {
    const struct {
        const char* name;
        std::function<void(Install&)> arrange;
        int status;
    } cases[] = {
        {"orderly close", [](Install&) {}, kExitSuccess},
        {"second copy", [](Install& i) { i.fake.lock.available = false; }, kExitSuccess},
        {"no dir.txt", [](Install& i) { fs::remove(i.folder.Native("dir.txt")); }, kExitFailure},
        {"no window", [](Install& i) { i.fake.window.createOk = false; }, kExitFailure},
        {"no device", [](Install& i) { i.fake.gpu.createSucceeds = false; }, kExitFailure},
        {"no mixing context", [](Install& i) { i.fake.sound.contextOk = false; }, kExitFailure},
        {"no pictures", [](Install& i) { fs::remove(i.folder.Native("data/grp/grp_0003.txt")); },
         kExitFailure},
        {"Game.ini not written",
         [](Install& i) { fs::create_directory(i.folder.Native("Game.ini")); }, kExitFailure},
        {"device not made again",
         [](Install& i) {
             i.fake.window.events.clear();
             i.scenes.title = [&i](Game&) {
                 i.fake.gpu.presentResults.push_back(platform::DeviceStatus::kRemoved);
                 i.fake.gpu.createSucceeds = false;
                 return 1;
             };
         },
         kExitFailure},
        {"textures not made again",
         [](Install& i) {
             i.fake.window.events.clear();
             i.scenes.title = [&i](Game&) {
                 i.fake.gpu.presentResults.push_back(platform::DeviceStatus::kRemoved);
                 fs::remove_all(i.folder.Native("data/grp"));
                 return 1;
             };
         },
         kExitFailure},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Install install;
        c.arrange(install);
        EXPECT_EQ(install.Run(), c.status);
    }
}

// A save asked for during play (a finished game, the options window closed)
// is made before the next frame; one that fails is said on the terminal and
// the game goes on, and the close reports its own failure as ever.
TEST(StartupSave, ARequestDuringPlaySavesAtOnceAndAFailureGoesOn) {
    for (const bool failing : {false, true}) {
        SCOPED_TRACE(failing ? "failing disk" : "working disk");
        Install install;
        int frames = 0;
        bool savedBeforeExit = false;
        install.scenes.title = [&](Game& game) {
            if (++frames == 1)
                game.world->saveRequest = 1;
            else if (frames == 2)
                savedBeforeExit = install.folder.Exists("Game.ini");
            return 1;
        };
        FailingFiles files;
        files.suffix = "Game.ini";
        files.failing = failing ? FailingFiles::Step::kCreate : FailingFiles::Step::kNone;
        testing::internal::CaptureStderr();
        const int status = install.Run(files);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_GE(frames, 2);
        EXPECT_EQ(savedBeforeExit, !failing);
        EXPECT_EQ(status, failing ? kExitFailure : kExitSuccess);
        EXPECT_EQ(err.find("Tessary: could not") != std::string::npos, failing) << err;
        EXPECT_EQ(install.fake.dialogs.shown.size(), failing ? 1u : 0u);
    }
}

// A slot file is passed over when it is a folder or cannot be read; only one
// that goes away between the look and the read ends the start.
TEST(StartupSlots, EntriesThatCannotBeReadArePassedOver) {
    const struct {
        const char* name;
        std::function<void(const std::string&)> make;
        bool vanishes;
    } cases[] = {
        {"folder", [](const std::string& p) { fs::create_directory(p); }, false},
        {"unreadable", [](const std::string& p) { fs::create_symlink("/proc/self/mem", p); },
         false},
        {"vanished", [](const std::string& p) { std::ofstream(p) << "slot"; }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Install install;
        const std::string path = install.folder.Native("save0005.dat");
        c.make(path);
        FailingFiles files;
        if (c.vanishes)
            files.vanishing = path;
        EXPECT_EQ(install.Run(files), c.vanishes ? kExitFailure : kExitSuccess);
        const auto& shown = install.fake.dialogs.shown;
        if (c.vanishes) {
            ASSERT_EQ(shown.size(), 1u);
            EXPECT_EQ(shown[0].text, path + " ファイルが見つかりません");
            EXPECT_EQ(shown[0].detail, "could not open " + path + ": No such file or directory");
            EXPECT_EQ(install.fake.window.creates, 0);
        } else {
            EXPECT_TRUE(shown.empty());
            EXPECT_TRUE(install.folder.Exists("Game.ini"));
        }
    }
}

// Saving at exit on a disk that fails at each step: the old file stays whole
// and readable (after the rename, the new one does), the player is told, the
// status is 1, and nothing is left beside it.
TEST(StartupSave, AFailingDiskAtEachStepIsReportedAndLosesNothing) {
    using Step = FailingFiles::Step;
    const Step steps[] = {Step::kCreate,  Step::kShortWrite, Step::kWriteNoSpace,
                          Step::kWriteIo, Step::kFsync,      Step::kClose,
                          Step::kRename,  Step::kFolderFlush};
    std::vector<uint8_t> oldIni(512, 0);
    oldIni[3] = 1;
    oldIni[16] = 1;  // the data folder lies beside the program
    oldIni[34] = 7;
    for (const char* file : {"Game.ini", "dir.txt"}) {
        for (Step step : steps) {
            SCOPED_TRACE(std::string(file) + " step " + std::to_string(static_cast<int>(step)));
            Install install;
            install.folder.Write("Game.ini", oldIni);
            install.scenes.title = [](Game& game) {
                game.system->sound.seVolume = 2500;  // the run changes a setting
                return 1;
            };
            const Bytes old = install.folder.Read(file);
            FailingFiles files;
            files.suffix = file;
            files.failing = step;
            EXPECT_EQ(install.Run(files), kExitFailure);
            const auto& shown = install.fake.dialogs.shown;
            ASSERT_EQ(shown.size(), 1u);
            EXPECT_EQ(shown[0].text, "ini書き込みに失敗しました。");
            EXPECT_EQ(shown[0].caption, "Error");
            EXPECT_NE(shown[0].detail.find(install.folder.Native(file)), std::string::npos)
                << shown[0].detail;
            const bool ini = std::string(file) == "Game.ini";
            const Bytes now = install.folder.Read(file);
            if (step != Step::kFolderFlush) {
                EXPECT_EQ(now, old);
            } else if (ini) {
                ASSERT_EQ(now.size(), 512u);  // the new file, whole
                EXPECT_EQ(now[35], 5);
            } else {
                EXPECT_EQ(now, kDirTxtRewritten);
            }
            if (ini) {
                EXPECT_EQ(install.folder.Read("dir.txt"), kDirTxt);  // not written after
            }
            EXPECT_FALSE(install.folder.Exists(std::string(file) + ".new"));
        }
    }
}

TEST_F(StartupTest, AFullScreenSettingOpensWindowedThenSwitchesOnTheFirstFrame) {
    std::vector<uint8_t> ini(512, 0);
    ini[2] = 1;
    ini[3] = 1;
    ini[16] = 1;  // the data folder lies beside the program
    folder.Write("Game.ini", ini);
    window.displayBounds = {0, 0, 1920, 1080};
    bool borderedAtFirstFrame = false;
    scenes.title = [&](Game&) {
        if (frames++ == 0)
            borderedAtFirstFrame = window.bordered;
        return 1;
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(borderedAtFirstFrame);         // created as a window
    EXPECT_FALSE(window.bordered);             // switched after the first scene
    EXPECT_EQ(folder.Read("Game.ini")[2], 1);  // the stored mode is kept
}

}  // namespace
