// Slot files: where each field comes from, short and long files, which
// entries are passed over, and the message when a file has gone.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/ByteOrder.h"
#include "base/WideText.h"
#include "persist/SlotFiles.h"
#include "platform/Dialogs.h"
#include "support/FailingFiles.h"
#include "support/FakeServices.h"
#include "support/TempFolder.h"
#include "world/System.h"
#include "world/WorldState.h"

namespace {

constexpr size_t kMeaningfulSize = 38971;

void Put32(Bytes& b, size_t offset, uint32_t value) {
    base::StoreLE32(&b[offset], value);
}

// A slot file with a distinct value at the first and last place of every part.
Bytes MarkedSlotFile(size_t size) {
    Bytes b(size, 0);
    b[0] = 0xA1;                  // block 0 byteAt0
    Put32(b, 1, 0x01020304);      // block 0 intsAt1[0]
    b[36] = 0xB6;                 // block 0 bytesAt21[15]
    Put32(b, 53, 0x05060708);     // block 0 intsAt37[4]
    b[57] = 0xC7;                 // block 0 byteAt57
    Put32(b, 62, 0x090A0B0C);     // block 0 intsAt58[1]
    Put32(b, 66, 0x0D0E0F10);     // block 0 intAt66, before the groups in the file
    Put32(b, 70, 0x11121314);     // block 0 groupsAt70[0][0]
    const size_t b47 = 608 * 47;  // 28576
    b[b47] = 0xA2;
    Put32(b, b47 + 66, 0x21222324);                    // block 47 intAt66
    Put32(b, b47 + 70 + 60 * 3 + 4 * 7, 0x25);         // block 47 groupsAt70[3][7]
    Put32(b, b47 + 70 + 60 * 7 + 4 * 14, 0xFFFFFFFE);  // block 47 groupsAt70[7][14]
    for (size_t i = b47 + 550; i < b47 + 608; ++i)
        b[i] = 0xEE;                  // unused tail of the block
    Put32(b, 29184, 0x31);            // intsAt29184[0]
    Put32(b, 29184 + 4 * 302, 0x32);  // intsAt29184[302]
    b[30396] = 0x33;                  // bytesAt30396[0]
    b[30698] = 0x34;                  // bytesAt30396[302]
    Put32(b, 30699, 0x35363738);      // intsAt30699[0], not on a four-byte boundary
    Put32(b, 30711, 0x39);            // intsAt30699[3]
    b[30715] = 0x3A;                  // bytesAt30715[0]
    b[30767] = 0x3B;                  // bytesAt30715[52]
    Put32(b, 30768, 0x41);            // intsAt30768[0]
    Put32(b, 30772, 0x42);            // intsAt30768[1]
    Put32(b, 30776, 0x5A000043);      // intsAt30768[2]; its high byte is intsAt30779[0]'s low byte
    Put32(b, 30779 + 4 * 2047, 0x44454647);  // intsAt30779[2047]
    return b;
}

class SlotFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        system_ = std::make_unique<System>();
        map_ = std::make_unique<WorldState>();
        file_ = std::make_unique<SlotFiles>(*map_, dialogs_);
    }

    // Loads bytes as the file of the given slot.
    const SaveSlot& Load(const Bytes& bytes, int slot = 0) {
        folder_.Write("save0001.dat", bytes);
        EXPECT_TRUE(file_->Load(folder_.Path("save0001.dat"), slot));
        return map_->saveSlots[slot];
    }

    static void ExpectMarks(const SaveSlot& s) {
        const SlotBlock& b0 = s.blocks[0];
        EXPECT_EQ(b0.byteAt0, 0xA1);
        EXPECT_EQ(b0.intsAt1[0], 0x01020304);
        EXPECT_EQ(b0.bytesAt21[15], 0xB6);
        EXPECT_EQ(b0.intsAt37[4], 0x05060708);
        EXPECT_EQ(b0.byteAt57, 0xC7);
        EXPECT_EQ(b0.intsAt58[1], 0x090A0B0C);
        EXPECT_EQ(b0.intAt66, 0x0D0E0F10);
        EXPECT_EQ(b0.groupsAt70[0][0], 0x11121314);
        const SlotBlock& b47 = s.blocks[47];
        EXPECT_EQ(b47.byteAt0, 0xA2);
        EXPECT_EQ(b47.intAt66, 0x21222324);
        EXPECT_EQ(b47.groupsAt70[3][7], 0x25);
        EXPECT_EQ(b47.groupsAt70[7][14], -2);
        EXPECT_EQ(b47.groupsAt70[7][13], 0);
        EXPECT_EQ(s.blocks[46].byteAt0, 0);
        EXPECT_EQ(s.intsAt29184[0], 0x31);
        EXPECT_EQ(s.intsAt29184[302], 0x32);
        EXPECT_EQ(s.bytesAt30396[0], 0x33);
        EXPECT_EQ(s.bytesAt30396[302], 0x34);
        EXPECT_EQ(s.intsAt30699[0], 0x35363738);
        EXPECT_EQ(s.intsAt30699[3], 0x39);
        EXPECT_EQ(s.bytesAt30715[0], 0x3A);
        EXPECT_EQ(s.bytesAt30715[52], 0x3B);
        EXPECT_EQ(s.intsAt30768[0], 0x41);
        EXPECT_EQ(s.intsAt30768[1], 0x42);
        EXPECT_EQ(s.intsAt30768[2], 0x5A000043);
        EXPECT_EQ(s.intsAt30779[0], 0x5A);  // the shared byte at 30779
        EXPECT_EQ(s.intsAt30779[1], 0);
        EXPECT_EQ(s.intsAt30779[2047], 0x44454647);
    }

    TempFolder folder_;
    RecordingDialogs dialogs_;
    std::unique_ptr<System> system_;
    std::unique_ptr<WorldState> map_;
    std::unique_ptr<SlotFiles> file_;
};

TEST_F(SlotFileTest, EveryPartComesFromItsOffset) {
    const SaveSlot& s = Load(MarkedSlotFile(kMeaningfulSize), 2);
    ExpectMarks(s);
    EXPECT_TRUE(dialogs_.shown.empty());
    // The other slots stay as they were made.
    EXPECT_EQ(map_->saveSlots[1].blocks[0].byteAt0, 0);
    EXPECT_EQ(map_->saveSlots[3].intsAt30779[2047], 0);
}

TEST_F(SlotFileTest, BytesBeyondTheLayoutAreIgnored) {
    Bytes b = MarkedSlotFile(70000);
    for (size_t i = kMeaningfulSize; i < b.size(); ++i)
        b[i] = 0xEE;
    ExpectMarks(Load(b));
}

TEST_F(SlotFileTest, ShortFileLeavesTheRestZero) {
    const SaveSlot& s = Load(Bytes(100, 0x11));
    const SlotBlock& b0 = s.blocks[0];
    EXPECT_EQ(b0.byteAt0, 0x11);
    EXPECT_EQ(b0.intsAt1[4], 0x11111111);
    EXPECT_EQ(b0.byteAt57, 0x11);
    EXPECT_EQ(b0.intAt66, 0x11111111);
    EXPECT_EQ(b0.groupsAt70[0][6], 0x11111111);  // bytes 94..97
    EXPECT_EQ(b0.groupsAt70[0][7], 0x1111);      // bytes 98..101: two from the file
    EXPECT_EQ(b0.groupsAt70[0][8], 0);
    EXPECT_EQ(s.blocks[1].byteAt0, 0);
    EXPECT_EQ(s.intsAt30779[0], 0);

    // A second, shorter load replaces every field, not only those the file reaches.
    const SaveSlot& again = Load(Bytes(1, 0x22));
    EXPECT_EQ(again.blocks[0].byteAt0, 0x22);
    EXPECT_EQ(again.blocks[0].intsAt1[0], 0);
}

// What start-up passes over, and what ends it: only a file that was there
// when it looked and is gone when it reads.
TEST_F(SlotFileTest, EntriesThatCannotBeReadArePassedOverAndAVanishedOneFails) {
    const std::string path = folder_.Native("save0005.dat");
    const struct {
        const char* name;
        void (*make)(const std::string& path);
        bool present;
    } cases[] = {
        {"missing", [](const std::string&) {}, false},
        {"folder", [](const std::string& p) { std::filesystem::create_directory(p); }, false},
        // Opens, but its first read fails (EIO), whoever asks.
        {"unreadable",
         [](const std::string& p) { std::filesystem::create_symlink("/proc/self/mem", p); }, false},
        {"empty file", [](const std::string& p) { std::ofstream{p}; }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(path);
        c.make(path);
        EXPECT_EQ(file_->Present(folder_.Path("save0005.dat")), c.present);
    }

    // Present when looked at, gone when read.
    folder_.Write("save0005.dat", Bytes(10, 1));
    FailingFiles files;
    files.vanishing = path;
    SlotFiles slots(*map_, dialogs_, files);
    ASSERT_TRUE(slots.Present(folder_.Path("save0005.dat")));
    EXPECT_FALSE(slots.Load(folder_.Path("save0005.dat"), 4));
    ASSERT_EQ(dialogs_.shown.size(), 1u);
    EXPECT_EQ(dialogs_.shown[0].text, path + " ファイルが見つかりません");
    EXPECT_EQ(dialogs_.shown[0].caption, "Message");
    EXPECT_EQ(dialogs_.shown[0].detail, "could not open " + path + ": No such file or directory");
    EXPECT_EQ(map_->saveSlots[4].blocks[0].byteAt0, 0);
}

}  // namespace
