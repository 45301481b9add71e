// Start-up and shutdown on a real program folder with the platform doubled:
// the orderly exit writes the files, every failure shows its exact message and
// takes its exit, and every path ends with exit code 0.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/Startup.h"
#include "base/WideText.h"
#include "support/FakeGpu.h"
#include "support/FakeServices.h"
#include "support/FakeWindow.h"
#include "support/ScriptedClock.h"
#include "world/Game.h"
#include "world/MapSceneEntity.h"
#include "world/ProcessIds.h"
#include "world/System.h"

namespace {

namespace fs = std::filesystem;
using platform::MessageId;

std::vector<uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// dir.txt naming "data\", followed by a zero unit and bytes the reader never
// takes, so a rewrite at exit is visible.
const std::vector<uint8_t> kDirTxt = {0xFF, 0xFE, 'd',  0, 'a', 0, 't', 0,
                                      'a',  0,    '\\', 0, 0,   0, 'x', 0};
const std::vector<uint8_t> kDirTxtRewritten(kDirTxt.begin(), kDirTxt.begin() + 12);

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/tessary-startup-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        folder = name;
        WriteBytes(folder / "dir.txt", kDirTxt);
        process.executable = base::FromUtf8((folder / "tessary").string());
        // Esc on the first frame: command, close, destroy, quit.
        window.messages.push_back({MessageId::kCommand, platform::kCommandClose});
        scenes.title = [this](Game& game) {
            ++frames;
            seen = &game;
            return 1;
        };
    }
    void TearDown() override { fs::remove_all(folder); }

    int Run() { return RunGame(platform, scenes); }

    fs::path folder;
    ScriptedClock clock;
    FixedCalendar calendar;
    RecordingDialogs dialogs;
    FakeWindow window;
    FakeGpu gpu;
    CountingScreenSaver screenSaver;
    FakeLock lock;
    FakeProcess process;
    platform::Platform platform{clock, calendar, dialogs, window, gpu, screenSaver, lock, process};
    SceneFrames scenes;
    int frames = 0;
    Game* seen = nullptr;
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

    const auto ini = ReadBytes(folder / "Game.ini");
    ASSERT_EQ(ini.size(), 512u);
    EXPECT_EQ(ini[3], 1);   // vsync on by default
    EXPECT_EQ(ini[21], 1);  // Ogg sound
    EXPECT_EQ(ReadBytes(folder / "dir.txt"), kDirTxtRewritten);

    // The shutdown sequence ran: screen saver restored, device released, objects gone.
    EXPECT_EQ(screenSaver.disabled, 1);
    EXPECT_TRUE(screenSaver.on);
    EXPECT_FALSE(gpu.IsCreated());
    EXPECT_EQ(TheGame(), nullptr);
    EXPECT_EQ(StartupProcessIds().threadId, 4321u);
    EXPECT_EQ(StartupProcessIds().processId, 4300u);
}

TEST_F(StartupTest, TheProgramFolderAndResourceFolderComeFromTheProgramPath) {
    process.executable = base::FromUtf8((folder / "." / "tessary").string());
    std::u16string programFolder;
    std::u16string resourceFolder;
    scenes.title = [&](Game& game) {
        programFolder = base::WideView(game.system->programFolder);
        resourceFolder = base::WideView(game.system->resourceFolder);
        return 1;
    };
    EXPECT_EQ(Run(), 0);
    const std::u16string expected = base::FromUtf8(folder.string() + "/");
    EXPECT_EQ(programFolder, expected);
    EXPECT_EQ(resourceFolder, expected + u"data\\");
}

TEST_F(StartupTest, ASecondInstanceEndsAtOnce) {
    lock.available = false;
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(window.creates, 0);
    EXPECT_EQ(frames, 0);
    EXPECT_FALSE(fs::exists(folder / "Game.ini"));
}

TEST_F(StartupTest, MissingFolderFileEndsSilentlyBeforeAnyWindow) {
    fs::remove(folder / "dir.txt");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(window.creates, 0);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_FALSE(fs::exists(folder / "Game.ini"));
    EXPECT_FALSE(fs::exists(folder / "dir.txt"));
}

TEST_F(StartupTest, SlotFilesThatExistAreLoaded) {
    std::vector<uint8_t> slot(38971, 0);
    slot[0] = 0x5A;
    WriteBytes(folder / "save0003.dat", slot);
    uint8_t flag2 = 0;
    uint8_t flag0 = 0;
    scenes.title = [&](Game& game) {
        flag2 = game.mapScene->saveSlots[2].blocks[0].flag;
        flag0 = game.mapScene->saveSlots[0].blocks[0].flag;
        return 1;
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(flag2, 0x5A);
    EXPECT_EQ(flag0, 0);
}

TEST_F(StartupTest, AWindowThatCannotBeMadeShowsFailure) {
    window.createOk = false;
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "失敗");
    EXPECT_EQ(dialogs.shown[0].caption, "Message");
    EXPECT_EQ(frames, 0);
    EXPECT_FALSE(fs::exists(folder / "Game.ini"));
}

TEST_F(StartupTest, ADeviceThatCannotBeMadeTakesTheFailureExit) {
    gpu.createResult = -1;
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "DirectGraphicsの初期化に失敗しました。");
    EXPECT_EQ(dialogs.shown[0].caption, "Message");
    EXPECT_EQ(frames, 0);
    EXPECT_FALSE(window.Exists());
    EXPECT_TRUE(window.cursorShown);
    EXPECT_TRUE(screenSaver.on);
    EXPECT_FALSE(fs::exists(folder / "Game.ini"));
    EXPECT_EQ(TheGame(), nullptr);
}

TEST_F(StartupTest, SettingsThatCannotBeWrittenLeaveTheOldFilesWhole) {
    std::vector<uint8_t> old(512, 0);
    old[3] = 1;
    old[34] = 7;  // a music volume the run keeps
    WriteBytes(folder / "Game.ini", old);
    fs::create_directory(folder / "Game.ini.new");  // the new file cannot be made
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "ini書き込みに失敗しました。");
    EXPECT_EQ(dialogs.shown[0].caption, "Error");
    EXPECT_EQ(ReadBytes(folder / "Game.ini"), old);
    EXPECT_EQ(ReadBytes(folder / "dir.txt"), kDirTxt);  // not written on this path
    EXPECT_TRUE(screenSaver.on);
}

TEST_F(StartupTest, AFullScreenSettingOpensWindowedThenSwitchesOnTheFirstFrame) {
    std::vector<uint8_t> ini(512, 0);
    ini[2] = 1;
    ini[3] = 1;
    WriteBytes(folder / "Game.ini", ini);
    window.displayBounds = {0, 0, 1920, 1080};
    bool borderedAtFirstFrame = false;
    scenes.title = [&](Game&) {
        if (frames++ == 0)
            borderedAtFirstFrame = window.bordered;
        return 1;
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(borderedAtFirstFrame);                // created as a window
    EXPECT_FALSE(window.bordered);                    // switched after the first scene
    EXPECT_EQ(ReadBytes(folder / "Game.ini")[2], 1);  // the stored mode is kept
}

}  // namespace
