// Game.ini and dir.txt: reading, the derived settings, writing, and what a
// damaged, short or unwritable file does.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "base/ByteOrder.h"
#include "base/WideText.h"
#include "persist/FolderFile.h"
#include "persist/SettingsFile.h"
#include "support/TempFolder.h"
#include "world/System.h"
#include "world/WorldState.h"

namespace {

using namespace std::string_view_literals;

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override { Fresh(); }

    // New records, as start-up makes them.
    void Fresh() {
        system_ = std::make_unique<System>();
        map_ = std::make_unique<WorldState>();
        file_ = std::make_unique<SettingsFile>(*system_, map_->rankingTable);
        folderFile_ = std::make_unique<FolderFile>(system_->folders);
    }

    // Loads a settings record given as bytes into fresh records.
    void LoadBytes(const Bytes& bytes) {
        folder_.Write("Game.ini", bytes);
        Fresh();
        ASSERT_TRUE(file_->Load(folder_.Path("Game.ini")));
    }
    Bytes Encoded() const {
        uint8_t out[SettingsFile::kSize];
        file_->Encode(out);
        return Bytes(std::begin(out), std::end(out));
    }

    static Bytes Record() { return Bytes(SettingsFile::kSize, 0); }

    TempFolder folder_;
    std::unique_ptr<System> system_;
    std::unique_ptr<WorldState> map_;
    std::unique_ptr<SettingsFile> file_;
    std::unique_ptr<FolderFile> folderFile_;
};

TEST_F(SettingsFileTest, MissingFileGivesTheFreshInstallSettings) {
    ASSERT_TRUE(file_->Load(folder_.Path("Game.ini")));
    const System& s = *system_;
    EXPECT_EQ(s.display.screenMode, 0);
    EXPECT_EQ(s.display.screenModeRequest, 0);
    EXPECT_EQ(s.display.vsync, 1);
    EXPECT_EQ(s.display.timerMode, TimerMode::kMillisecondClock);
    EXPECT_EQ(s.display.framePacing, 1);
    EXPECT_EQ(s.display.frameSkip, 0);
    EXPECT_EQ(s.sound.soundMode, SoundMode::kOgg);
    EXPECT_EQ(s.settings.padSetting, 1);
    EXPECT_EQ(s.folders.folderRelative, 1);
    EXPECT_EQ(s.settings.fontEnabled, 1);
    EXPECT_EQ(s.sound.bgmVolume, 0);
    EXPECT_EQ(s.sound.seVolume, 0);
    EXPECT_FLOAT_EQ(s.settings.texelOffset, 1.0e-6f);
    EXPECT_EQ(s.display.vsync, 1);
    EXPECT_FALSE(std::filesystem::exists(folder_.Native("Game.ini")));
}

// A pad on a fresh install: each function on a button of its own (A decision,
// B cancellation, X pause, Y shift), saved as such; a file that stores zeros
// still puts them all on A.
TEST_F(SettingsFileTest, FreshInstallPadButtonsAreAbxyAndStoredZerosMeanA) {
    ASSERT_TRUE(file_->Load(folder_.Path("Game.ini")));
    const uint8_t abxy[Settings::kButtonMapSize] = {0, 1, 2, 3};
    EXPECT_TRUE(std::equal(std::begin(abxy), std::end(abxy), system_->settings.buttonMap));
    EXPECT_EQ(system_->settings.padSetting, 1);
    const Bytes saved = Encoded();
    EXPECT_EQ(Bytes(saved.begin() + 24, saved.begin() + 34),
              Bytes(std::begin(abxy), std::end(abxy)));

    Bytes zeros = Record();
    zeros[17] = 1;
    LoadBytes(zeros);
    for (int i = 0; i < Settings::kButtonMapSize; ++i)
        EXPECT_EQ(system_->settings.buttonMap[i], 0) << i;
}

// A texel offset that would move pictures off their cells is drawn with the
// default, and its bytes are written back as they were read.
TEST_F(SettingsFileTest, ADamagedTexelOffsetIsDrawnWithTheDefault) {
    const struct {
        uint32_t bits;
        float drawn;
    } cases[] = {
        {0x358637BDu, 1.0e-6f},         // the default itself
        {0xB8D1B717u, -1.0e-4f},        // small and negative: kept
        {0x00000000u, 0.0f},            // none: kept
        {0x3AFFFFFFu, 0.00195312488f},  // just under a texel: kept
        {0x3B000000u, 1.0e-6f},         // one texel (1/512)
        {0xBB000000u, 1.0e-6f},         // minus one texel
        {0x3F000000u, 1.0e-6f},         // half the texture
        {0x7F800000u, 1.0e-6f},         // infinity
        {0x7FC00000u, 1.0e-6f},         // not a number
        {0xC2A00000u, 1.0e-6f},         // -80
    };
    for (const auto& c : cases) {
        Bytes b = Record();
        b[22] = 1;
        base::StoreLE32(&b[5], c.bits);
        LoadBytes(b);
        EXPECT_EQ(system_->settings.texelOffset, c.drawn) << std::hex << c.bits;
        EXPECT_EQ(Encoded(), b) << std::hex << c.bits;
    }
}

TEST_F(SettingsFileTest, SavedFileReadsBackToTheSameBytes) {
    ASSERT_TRUE(file_->Load(folder_.Path("Game.ini")));
    system_->display.vsync = 0;
    system_->display.timerMode = TimerMode::kSleep;
    system_->display.frameSkip = 1;
    system_->sound.bgmVolume = 7500;
    system_->sound.seVolume = 10000;
    system_->settings.buttonMap[0] = 3;
    system_->settings.buttonMap[9] = 2;
    RankingTable& r = map_->rankingTable;
    r.scores[0] = 123456;
    r.scores[9] = -5;
    r.dates[0] = {59, 30, 23, 31, 11, 124, 2, 365, -1};
    r.dates[9] = {1, 2, 3, 4, 5, 99, 0, 0, 1};
    ASSERT_TRUE(file_->Save(folder_.Path("Game.ini")));
    const Bytes first = folder_.Read("Game.ini");
    ASSERT_EQ(first.size(), SettingsFile::kSize);

    Fresh();
    ASSERT_TRUE(file_->Load(folder_.Path("Game.ini")));
    EXPECT_EQ(system_->display.timerMode, TimerMode::kSleep);
    EXPECT_EQ(system_->sound.bgmVolume, 7500);
    EXPECT_EQ(system_->sound.seVolume, 10000);
    EXPECT_EQ(system_->settings.buttonMap[0], 3);
    EXPECT_EQ(map_->rankingTable.scores[9], -5);
    EXPECT_EQ(map_->rankingTable.dates[0].daylight, -1);
    EXPECT_EQ(map_->rankingTable.dates[0].year, 124);
    EXPECT_EQ(map_->rankingTable.dates[9].second, 1);
    EXPECT_EQ(map_->rankingTable.dates[9].daylight, 1);
    ASSERT_TRUE(file_->Save(folder_.Path("Game.ini")));
    EXPECT_EQ(folder_.Read("Game.ini"), first);
    EXPECT_FALSE(std::filesystem::exists(folder_.Native("Game.ini.new")));
}

TEST_F(SettingsFileTest, DisplayModeIsRequestedButWrittenBackAsLoaded) {
    Bytes b = Record();
    b[2] = 1;
    LoadBytes(b);
    EXPECT_EQ(system_->display.screenMode, 0);
    EXPECT_EQ(system_->display.screenModeRequest, 1);
    EXPECT_EQ(system_->display.screenModeChoice, 0);
    system_->display.screenMode = 1;  // the switch has happened during the run
    EXPECT_EQ(Encoded()[2], 1);

    b[2] = 9;  // unknown: both fields stay as they were
    folder_.Write("Game.ini", b);
    system_->display.screenModeRequest = 0;
    file_->Load(folder_.Path("Game.ini"));
    EXPECT_EQ(system_->display.screenMode, 1);
    EXPECT_EQ(system_->display.screenModeRequest, 0);
    EXPECT_EQ(Encoded()[2], 9);
}

TEST_F(SettingsFileTest, OutOfRangeBytesKeepTheCurrentValues) {
    Bytes b = Record();
    b[18] = 7;
    b[19] = 3;
    b[21] = 3;
    b[16] = 0;
    system_->display.framePacing = 2;
    system_->sound.soundMode = SoundMode::kWave;
    system_->folders.folderRelative = 1;
    uint8_t in[SettingsFile::kSize];
    std::copy(b.begin(), b.end(), in);
    file_->Decode(in);
    EXPECT_EQ(system_->display.timerMode, TimerMode::kMillisecondClock);
    EXPECT_EQ(system_->display.framePacing, 2);
    EXPECT_EQ(system_->sound.soundMode, SoundMode::kWave);
    EXPECT_EQ(system_->folders.folderRelative, 1);
    EXPECT_EQ(Encoded()[18], 0);

    b[18] = 3;
    b[19] = 0;
    LoadBytes(b);
    EXPECT_EQ(system_->display.timerMode, TimerMode::kNoWait);
    EXPECT_EQ(system_->display.framePacing, 0);
}

TEST_F(SettingsFileTest, FlagBytesAndSoundModeMapping) {
    const SoundMode expectedSound[3] = {SoundMode::kNone, SoundMode::kOgg, SoundMode::kWave};
    for (uint8_t mode = 0; mode < 3; ++mode) {
        Bytes b = Record();
        b[21] = mode;
        LoadBytes(b);
        EXPECT_EQ(system_->sound.soundMode, expectedSound[mode]) << "byte 21 = " << int{mode};
        EXPECT_EQ(Encoded()[21], mode);
    }

    Bytes b = Record();
    b[3] = 0x80;  // any non-zero byte turns vsync on and is written back as 1
    b[17] = 2;    // only 1 means "use the pad"
    b[20] = 0xFF;
    b[22] = 0;  // the font is always registered
    b[16] = 5;
    LoadBytes(b);
    EXPECT_EQ(system_->display.vsync, 1);
    EXPECT_EQ(system_->settings.padSetting, 0);
    EXPECT_EQ(system_->display.frameSkip, 1);
    EXPECT_EQ(system_->settings.fontEnabled, 1);
    EXPECT_EQ(system_->folders.folderRelative, 1);
    const Bytes out = Encoded();
    EXPECT_EQ(out[3], 1);
    EXPECT_EQ(out[17], 2);
    EXPECT_EQ(out[20], 1);
    EXPECT_EQ(out[22], 1);
}

TEST_F(SettingsFileTest, VolumesButtonsTexelOffsetAndDaylightFlag) {
    Bytes b = Record();
    b[22] = 1;  // fontEnabled, as the game writes it
    b[34] = 30;
    b[35] = 255;
    for (int i = 0; i < 10; ++i)
        b[24 + i] = static_cast<uint8_t>(10 + i);
    base::StoreLE32(&b[5], 0x3A800000u);  // 1/1024: half a texel
    b[76 + 26] = 0xFF;                    // entry 0 daylight: FF FF FF
    b[76 + 25] = 0xFF;
    b[76 + 24] = 0xFF;
    b[76 + 27 * 9 + 26] = 0x7F;                 // entry 9: 00 00 7F, a large positive flag
    base::StoreLE32(&b[76 + 27], 2024 - 1900);  // entry 1 year follows entry 0 directly
    LoadBytes(b);
    EXPECT_EQ(system_->sound.bgmVolume, 15000);
    EXPECT_EQ(system_->sound.seVolume, 255 * 500);
    EXPECT_EQ(system_->settings.buttonMap[0], 10);
    EXPECT_EQ(system_->settings.buttonMap[3], 13);
    EXPECT_EQ(system_->settings.buttonMap[9], 19);
    EXPECT_FLOAT_EQ(system_->settings.texelOffset, 1.0f / 1024);
    EXPECT_EQ(map_->rankingTable.dates[0].daylight, -1);
    EXPECT_EQ(map_->rankingTable.dates[0].second, 0);
    EXPECT_EQ(map_->rankingTable.dates[1].year, 124);
    EXPECT_EQ(map_->rankingTable.dates[9].daylight, 0x7F0000);
    EXPECT_EQ(Encoded(), b);
}

TEST_F(SettingsFileTest, ShortAndLongFiles) {
    LoadBytes({});
    EXPECT_EQ(system_->display.vsync, 0);
    EXPECT_EQ(system_->sound.soundMode, SoundMode::kNone);
    EXPECT_EQ(system_->settings.padSetting, 0);
    EXPECT_EQ(system_->display.framePacing, 0);
    EXPECT_EQ(system_->folders.folderRelative, 0);  // a zero byte does not clear it
    EXPECT_EQ(system_->settings.fontEnabled, 1);
    EXPECT_EQ(Encoded(), [] {
        Bytes z = Record();
        z[22] = 1;
        return z;
    }());

    Bytes hundred(100, 0x01);
    LoadBytes(hundred);
    EXPECT_EQ(map_->rankingTable.scores[9], 0x01010101);
    EXPECT_EQ(map_->rankingTable.dates[0].hour, 0x01010101);
    EXPECT_EQ(map_->rankingTable.dates[0].second, 0x01010101);  // bytes 96..99, the last ones
    EXPECT_EQ(map_->rankingTable.dates[0].daylight, 0);
    EXPECT_EQ(map_->rankingTable.dates[1].year, 0);

    Bytes long_ = Record();
    long_[18] = 2;
    long_[34] = 4;
    const Bytes expected = [&] {
        LoadBytes(long_);
        return Encoded();
    }();
    long_.resize(600, 0xAB);
    LoadBytes(long_);
    EXPECT_EQ(Encoded(), expected);
}

TEST_F(SettingsFileTest, FailedSaveReportsFalseAndKeepsTheOldFile) {
    Bytes old = Record();
    old[34] = 12;
    old[36] = 77;
    folder_.Write("Game.ini", old);
    ASSERT_EQ(chmod(folder_.Native("Game.ini").c_str(), 0444), 0);
    system_->sound.bgmVolume = 500;
    const base::Outcome saved = file_->Save(folder_.Path("Game.ini"));
    EXPECT_FALSE(saved);
    EXPECT_EQ(folder_.Read("Game.ini"), old);
    EXPECT_EQ(saved.reason(),
              "could not write " + folder_.Native("Game.ini") + ": the file is read-only");

    EXPECT_FALSE(file_->Save(folder_.Path("no_such_folder/Game.ini")));
}

// dir.txt

Bytes Utf16File(std::u16string_view text, bool bom = true) {
    Bytes b;
    if (bom)
        b = {0xFF, 0xFE};
    for (char16_t u : text) {
        b.push_back(static_cast<uint8_t>(u & 0xFF));
        b.push_back(static_cast<uint8_t>(u >> 8));
    }
    return b;
}

using FolderFileTest = SettingsFileTest;

TEST_F(FolderFileTest, TextIsTakenAsItStands) {
    folder_.Write("dir.txt", Utf16File(u""));
    ASSERT_TRUE(folderFile_->Load(folder_.Path("dir.txt")));
    EXPECT_EQ(base::WideView(system_->folders.folderText), u"");
    EXPECT_EQ(system_->folders.dataFolderName, "");

    folder_.Write("dir.txt", Utf16File(u"data\\\r\n"));
    ASSERT_TRUE(folderFile_->Load(folder_.Path("dir.txt")));
    EXPECT_EQ(base::WideView(system_->folders.folderText), u"data\\\r\n");

    // Whatever the first two bytes are, they are skipped; a zero unit ends the text.
    folder_.Write("dir.txt", Utf16File(u"Xmusic\\\0rest"sv, false));
    ASSERT_TRUE(folderFile_->Load(folder_.Path("dir.txt")));
    EXPECT_EQ(base::WideView(system_->folders.folderText), u"music\\");
    EXPECT_EQ(system_->folders.dataFolderName, "music/");

    // A lone last byte is the low half of a unit.
    Bytes odd = Utf16File(u"ab");
    odd.push_back('c');
    folder_.Write("dir.txt", odd);
    ASSERT_TRUE(folderFile_->Load(folder_.Path("dir.txt")));
    EXPECT_EQ(base::WideView(system_->folders.folderText), u"abc");
}

TEST_F(FolderFileTest, LongTextIsCutAtEightyUnits) {
    std::u16string text;
    for (int i = 0; i < 200; ++i)
        text += static_cast<char16_t>(u'A' + i % 26);
    folder_.Write("dir.txt", Utf16File(text));
    ASSERT_TRUE(folderFile_->Load(folder_.Path("dir.txt")));
    EXPECT_EQ(base::WideView(system_->folders.folderText), text.substr(0, 80));
    EXPECT_EQ(system_->folders.dataFolderName, base::ToUtf8(text.substr(0, 80)));
}

TEST_F(FolderFileTest, WrittenFileReadsBack) {
    base::WideCopy(system_->folders.folderText, u"グラフィック\\");
    ASSERT_TRUE(folderFile_->Save(folder_.Path("dir.txt")));
    EXPECT_EQ(folder_.Read("dir.txt"), Utf16File(u"グラフィック\\"));
    Fresh();
    ASSERT_TRUE(folderFile_->Load(folder_.Path("dir.txt")));
    EXPECT_EQ(base::WideView(system_->folders.folderText), u"グラフィック\\");

    system_->folders.folderText[0] = 0;
    ASSERT_TRUE(folderFile_->Save(folder_.Path("dir.txt")));
    EXPECT_EQ(folder_.Read("dir.txt"), (Bytes{0xFF, 0xFE}));
}

TEST_F(FolderFileTest, MissingFileFailsAndSaysWhichFile) {
    base::WideCopy(system_->folders.folderText, u"kept\\");
    const base::Outcome loaded = folderFile_->Load(folder_.Path("dir.txt"));
    EXPECT_FALSE(loaded);
    EXPECT_EQ(loaded.reason(),
              "could not open " + folder_.Native("dir.txt") + ": " + std::strerror(ENOENT));
    EXPECT_EQ(base::WideView(system_->folders.folderText), u"kept\\");
}

}  // namespace
