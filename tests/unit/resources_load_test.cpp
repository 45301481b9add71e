// ctest-labels: audio
// The resource loader on a data folder made by the test (and on the real one
// the asset tool makes): everything listed is loaded, every failure shows its
// exact messages in order and ends the start-up before any frame.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/Game.h"
#include "app/Startup.h"
#include "audio/Audio.h"
#include "base/WideText.h"
#include "support/DataFolder.h"
#include "support/FakePlatform.h"
#include "support/ResourceRig.h"
#include "support/SoundFiles.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using testdata::EffectFile;
using testdata::TrackFile;

constexpr char kNotFound[] = " ファイルが見つかりません";
constexpr char kInitFailed[] = "ゲームの初期化に失敗しました。";

struct Shown {
    std::string text;
    std::string caption;
    bool operator==(const Shown&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Shown& s) {
    return out << "\"" << s.text << "\" (" << s.caption << ")";
}
std::string FirstShown(const RecordingDialogs& dialogs) {
    return dialogs.shown.empty() ? "" : dialogs.shown.front().text;
}
std::vector<Shown> ShownBy(const RecordingDialogs& dialogs) {
    std::vector<Shown> shown;
    for (const auto& s : dialogs.shown)
        shown.push_back({s.text, s.caption});
    return shown;
}

// Everything the loader fills, checked on a loaded rig.
void ExpectLoaded(ResourceRig& rig, bool sound) {
    SCOPED_TRACE(sound ? "with sound" : "without sound");
    for (int slot = 0; slot < 8; ++slot)
        EXPECT_EQ(rig.graphics().TextureSlotFilled(slot), testdata::PictureListed(slot)) << slot;
    EXPECT_EQ(rig.world().loadingFlag, 0);
    EXPECT_NEAR(rig.world().angleTable.sine[64], 1.0, 1e-12);
    EXPECT_NEAR(rig.world().angleTable.cosine[128], -1.0, 1e-12);
    EXPECT_EQ(rig.system().music.bgmTrack, 0);
    EXPECT_EQ(rig.world().bgmSelector, 0);
    EXPECT_EQ(rig.audio().music().threadRunning(), sound);
    for (int slot = 0; slot < SoundEffects::kVoices; ++slot)
        EXPECT_EQ(rig.audio().effects().buffer(slot).audioBytes != 0, sound) << "effect " << slot;
    if (sound) {
        // Entry k of the list reached track k: its loop file starts at frame k.
        for (int track = 0; track < MusicStreamer::kTracks; ++track) {
            EXPECT_EQ(rig.system().music.bgmLoopStart[track], track);
            EXPECT_EQ(rig.system().music.bgmLoopLength[track],
                      static_cast<int32_t>(testdata::kTrackLoopLength));
        }
    }
}

TEST(LoadResources, ASmallDataFolderLoadsCompletelyInBothSoundModes) {
    TempFolder folder;
    testdata::WriteDataFolder(folder);
    for (int mode : {1, 2}) {
        SCOPED_TRACE(mode);
        ResourceRig rig(mode, folder.Path("data\\"));
        rig.system().music.bgmTrack = 5;  // whatever was selected before goes
        rig.world().bgmSelector = 3;
        ASSERT_TRUE(rig.Load()) << FirstShown(rig.fake.dialogs);
        EXPECT_TRUE(rig.fake.dialogs.shown.empty()) << FirstShown(rig.fake.dialogs);
        EXPECT_EQ(base::WideView(rig.world().soundNames[70]),
                  base::FromUtf8(mode == 1 ? "wav\\eff_0006.wav" : "ogg\\eff_0006.ogg"));
        ExpectLoaded(rig, true);
    }
}

// Without sound no sound list is read (there is none here) and no thread
// starts; the pictures still load.
TEST(LoadResources, WithoutSoundOnlyThePicturesLoad) {
    TempFolder folder;
    testdata::WriteDataFolder(folder);
    fs::remove_all(folder.Native("data/wav"));
    fs::remove_all(folder.Native("data/ogg"));
    struct Case {
        int32_t mode;
        int32_t disabled;
    };
    for (const Case c : {Case{0, 0}, Case{2, 1}, Case{1, 1}, Case{3, 0}}) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " disabled " << c.disabled);
        ResourceRig rig(c.mode, folder.Path("data\\"));
        rig.system().sound.soundDisabled = c.disabled;
        ASSERT_TRUE(rig.Load());
        EXPECT_TRUE(rig.fake.dialogs.shown.empty());
        EXPECT_EQ(base::WideView(rig.world().soundNames[0]), u"");
        ExpectLoaded(rig, false);
    }
}

// The whole start-up on a program folder with the test's data folder.
class ResourceStartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder.Write("dir.txt", Utf16File(u"data\\"));
        testdata::WriteDataFolder(folder);
        fake.process.executable = folder.Path("tessary");
        fake.window.events.push_back({platform::WindowEvent::Kind::kEscapePressed});
        scenes.title = [this](Game&) {
            ++frames;
            return 1;
        };
    }
    // soundMode 0, 1 or 2 through Game.ini, then the run.
    int Run(int32_t soundMode) {
        Bytes ini(512, 0);
        ini[3] = 1;                                             // vsync
        ini[16] = 1;                                            // data folder beside the program
        ini[21] = soundMode == 0 ? 0 : soundMode == 2 ? 1 : 2;  // the stored sound byte
        folder.Write("Game.ini", ini);
        return RunGame(fake.platform, scenes);
    }
    // The path of a file in the data folder, as messages show it.
    std::string GamePath(const std::string& native) const {
        return folder.path() + "/data/" + native;
    }

    TempFolder folder;
    FakePlatform fake;
    SceneFrames scenes;
    int frames = 0;
};

TEST_F(ResourceStartupTest, AValidFolderStartsTheGameInEverySoundMode) {
    for (int mode : {0, 1, 2}) {
        SCOPED_TRACE(mode);
        fake.window.events = {{platform::WindowEvent::Kind::kEscapePressed}};
        frames = 0;
        EXPECT_EQ(Run(mode), 0);
        EXPECT_GE(frames, 1);
        EXPECT_TRUE(fake.dialogs.shown.empty()) << FirstShown(fake.dialogs);
    }
}

TEST_F(ResourceStartupTest, EveryFailureShowsItsMessagesAndEndsTheStartUp) {
    struct Case {
        const char* what;
        int32_t mode;
        std::function<void()> spoil;
        std::vector<Shown> expected;  // before the start-up's own message
    };
    auto remove = [this](const std::string& name) {
        return [this, name] { fs::remove(folder.Native("data/" + name)); };
    };
    auto garble = [this](const std::string& name) {
        return [this, name] { folder.Write("data/" + name, Bytes(4096, 0x5A)); };
    };
    const std::string pictureList = testdata::kPictureListFile;
    const Case cases[] = {
        {"no WAVE sound list",
         1,
         remove("wav/wav_0000.txt"),
         {{GamePath("wav/wav_0000.txt") + kNotFound, "Message"}}},
        {"Ogg sound list is a folder",
         2,
         [this] {
             fs::remove(folder.Native("data/ogg/ogg_0000.txt"));
             fs::create_directory(folder.Native("data/ogg/ogg_0000.txt"));
         },
         {{GamePath("ogg/ogg_0000.txt") + kNotFound, "Message"}}},
        {"no WAVE effect",
         1,
         remove(EffectFile(1, 17)),
         {{"Waveファイルのオープンに失敗", "Error"}}},
        {"no Ogg effect", 2, remove(EffectFile(2, 17)), {}},
        {"broken Ogg effect", 2, garble(EffectFile(2, 3)), {}},
        {"no WAVE track", 1, remove(TrackFile(1, 9)), {{"WAVEファイルを開くのに失敗", "Error"}}},
        {"no Ogg track", 2, remove(TrackFile(2, 63)), {}},
        {"broken Ogg track", 2, garble(TrackFile(2, 9)), {}},
        {"no WAVE loop file",
         1,
         remove(TrackFile(1, 9) + ".sli"),
         {{GamePath(TrackFile(1, 9) + ".sli") + kNotFound, "Message"}}},
        {"no Ogg loop file",
         2,
         remove(TrackFile(2, 0) + ".sli"),
         {{GamePath(TrackFile(2, 0) + ".sli") + kNotFound, "Message"}}},
        {"no picture list, with sound",
         2,
         remove(pictureList),
         {{GamePath(pictureList) + kNotFound, "Message"}, {"失敗しました。1", "Error"}}},
        {"no picture list, without sound",
         0,
         remove(pictureList),
         {{GamePath(pictureList) + kNotFound, "Message"}, {"失敗しました。1", "Error"}}},
        {"no picture",
         1,
         remove(testdata::PictureFile(5)),
         {{GamePath(testdata::PictureFile(5)) + kNotFound, "Message"},
          {"失敗しました。4", "Error"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fake.dialogs.shown.clear();
        fake.sound.closes = 0;
        frames = 0;
        fs::remove_all(folder.Native("data"));
        testdata::WriteDataFolder(folder);
        c.spoil();

        EXPECT_EQ(Run(c.mode), kExitFailure);
        std::vector<Shown> expected = c.expected;
        expected.push_back({kInitFailed, "Message"});
        EXPECT_EQ(ShownBy(fake.dialogs), expected);
        EXPECT_EQ(frames, 0);
        EXPECT_FALSE(fake.window.Exists());
        EXPECT_FALSE(folder.Exists("Game.ini.new"));
        // The sound device went down with the game, the music thread first.
        EXPECT_EQ(fake.sound.closes, c.mode == 0 ? 0 : 1);
        EXPECT_FALSE(fake.sound.loopback.IsOpen());
    }
}

// A very long path is a file that cannot be found, never a shorter name
// that happens to be there.
TEST(LoadResources, AnOverlongPathIsAMissingFileNeverAShorterName) {
    const std::u16string longFolder = u"/nonexistent/" + std::u16string(500, u'x') + u"\\";
    for (int mode : {0, 2}) {
        SCOPED_TRACE(mode);
        ResourceRig rig(mode, longFolder);
        EXPECT_FALSE(rig.Load());
        const std::string list = mode == 0 ? "grp/grp_0003.txt" : "ogg/ogg_0000.txt";
        ASSERT_FALSE(rig.fake.dialogs.shown.empty());
        EXPECT_EQ(rig.fake.dialogs.shown[0].text,
                  base::PathFromStored(longFolder).native() + list + kNotFound);
    }

    // A real folder whose picture list just fits, naming a picture whose path
    // does not (18 units: the record has no line end). Cutting it at the
    // buffer's end would name grp_0000.png, which is there.
    TempFolder folder;
    size_t left = 503 - folder.path().size() - 2;  // folder + "/" + deep + "/"
    std::string deep;
    for (; left > 201; left -= 201)
        deep += std::string(200, 'e') + "/";
    deep += std::string(left, 'd');
    ASSERT_EQ(folder.path().size() + 1 + deep.size() + 1, 503u);
    testdata::WriteDataFolder(folder, deep);
    Bytes list = Utf16File(u"grp\\grp_0000.pngXY");
    const Bytes rest = testdata::ListFile(std::vector<std::u16string>(63, u"null0000.png"));
    list.insert(list.end(), rest.begin() + 2, rest.end());
    folder.Write(deep + "/grp/grp_0003.txt", list);

    const std::u16string data = folder.Path(deep + "/");
    ResourceRig rig(0, data);
    EXPECT_FALSE(rig.Load());
    EXPECT_FALSE(rig.graphics().TextureSlotFilled(0));
    const std::vector<Shown> expected = {
        {base::ToUtf8(data) + "grp/grp_0000.pngXY" + kNotFound, "Message"},
        {"失敗しました。4", "Error"}};
    EXPECT_EQ(ShownBy(rig.fake.dialogs), expected);
}

// The data folder the asset tool makes for the distribution.
#ifdef TESSARY_GAME_DATA_DIR
TEST(LoadResources, TheGeneratedDataFolderLoadsInBothSoundModes) {
    std::u16string data = base::FromUtf8(TESSARY_GAME_DATA_DIR);
    if (data.back() != u'/')
        data += u'/';
    for (int mode : {1, 2}) {
        SCOPED_TRACE(mode);
        ResourceRig rig(mode, data);
        ASSERT_TRUE(rig.Load()) << FirstShown(rig.fake.dialogs);
        EXPECT_TRUE(rig.fake.dialogs.shown.empty()) << FirstShown(rig.fake.dialogs);
        EXPECT_TRUE(rig.audio().music().threadRunning());
        for (int slot = 0; slot < SoundEffects::kVoices; ++slot)
            EXPECT_NE(rig.audio().effects().buffer(slot).audioBytes, 0u) << slot;
        for (int slot = 0; slot < 8; ++slot) {
            const bool listed = base::WideView(rig.world().pictureNames[slot]) != u"null0000.png";
            EXPECT_EQ(rig.graphics().TextureSlotFilled(slot), listed) << slot;
        }
        // The textures used by the scenes are real pictures.
        for (int slot : {0, 2, 3, 5, 6})
            EXPECT_TRUE(rig.graphics().TextureSlotFilled(slot)) << slot;
        EXPECT_EQ(rig.system().music.bgmTrack, 0);
        EXPECT_EQ(rig.world().bgmSelector, 0);
        // The play music loops somewhere.
        EXPECT_GT(rig.system().music.bgmLoopLength[MusicStreamer::kPlayTrack], 0);
    }
}
#endif

}  // namespace
