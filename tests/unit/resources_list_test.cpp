// List files: fixed 36-byte records read without looking for line ends, so a
// line of the wrong length puts every later record out of step; and a sound
// list too short for the effects makes loading fail.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/WideText.h"
#include "resources/ListFile.h"
#include "support/DataFolder.h"
#include "support/ResourceRig.h"
#include "support/SoundFiles.h"
#include "support/TempFolder.h"

namespace {

using resources::kListEntryUnits;

struct Names {
    char16_t entries[4][kListEntryUnits] = {};
    std::u16string operator[](int k) const { return std::u16string(base::WideView(entries[k])); }
};

Names Read(const Bytes& file) {
    Names names;
    resources::ReadListRecords(file.data(), file.size(), names.entries, 4);
    return names;
}

TEST(ListFile, RecordsAreFixedWidthAndCutOnlyAtTheirOwnLineEnd) {
    struct Case {
        const char* what;
        std::u16string text;  // after the byte-order mark
        std::vector<std::u16string> names;
    };
    const Case cases[] = {
        {"whole lines",
         u"wav\\bgm_0000.wav\r\nwav\\bgm_0001.wav\r\n",
         {u"wav\\bgm_0000.wav", u"wav\\bgm_0001.wav", u"", u""}},
        {"short names padded with zero units",
         std::u16string(u"null0000.png\0\0\0\0\r\n", 18) + u"grp\\grp_0002.png\r\n",
         {u"null0000.png", u"grp\\grp_0002.png", u"", u""}},
        // A line of 15 characters: its line end and the next line's first unit
        // complete the record, and no later record ends in CR LF.
        {"a line of 15 characters shifts every later record",
         u"wav\\bgm_000.wav\r\nwav\\bgm_0001.wav\r\nwav\\bgm_0002.wav\r\n",
         {u"wav\\bgm_000.wav\r\nw", u"av\\bgm_0001.wav\r\nw", u"av\\bgm_0002.wav\r\n", u""}},
        {"a record without CR LF is kept as read",
         u"grp\\grp_0000.pngXYgrp\\grp_0001.png\r\n",
         {u"grp\\grp_0000.pngXY", u"grp\\grp_0001.png", u"", u""}},
        {"a record the file ends inside",
         u"wav\\bgm_0000.wav\r\nwav\\bgm",
         {u"wav\\bgm_0000.wav", u"wav\\bgm", u"", u""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Names names = Read(Utf16File(c.text));
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(names[k], c.names[k]) << "record " << k;
    }
}

TEST(ListFile, RecordsPastTheEndKeepWhatTheyHeld) {
    Names names;
    for (auto& entry : names.entries)
        base::WideCopy(entry, u"old");
    const Bytes file = testdata::ListFile({u"wav\\bgm_0000.wav"});
    resources::ReadListRecords(file.data(), file.size(), names.entries, 4);
    EXPECT_EQ(names[0], u"wav\\bgm_0000.wav");
    EXPECT_EQ(names[1], u"old");
    EXPECT_EQ(names[3], u"old");
    // Nothing but a mark, or nothing at all, reads nothing.
    for (size_t size : {0u, 1u, 2u}) {
        resources::ReadListRecords(file.data(), size, names.entries, 4);
        EXPECT_EQ(names[0], u"wav\\bgm_0000.wav");
    }
}

// A sound list of 70 lines names the tracks and effects 0..5: effect 6 has
// an empty name, its path is the bare data folder, and loading fails there.
TEST(ListFile, ASoundListTooShortForTheEffectsMakesLoadingFail) {
    TempFolder folder;
    testdata::WriteDataFolder(folder);
    for (int mode : {1, 2}) {
        SCOPED_TRACE(mode);
        const std::string list = "data/" + testdata::SoundListFile(mode);
        const Bytes whole = folder.Read(list);
        folder.Write(list, Bytes(whole.begin(), whole.begin() + 2 + 70 * 36));

        ResourceRig rig(mode, folder.Path("data\\"));
        EXPECT_FALSE(rig.Load());
        EXPECT_NE(base::WideView(rig.world().soundNames[69]), u"");
        EXPECT_EQ(base::WideView(rig.world().soundNames[70]), u"");
        EXPECT_NE(rig.audio().effects().buffer(5).audioBytes, 0u);
        EXPECT_EQ(rig.audio().effects().buffer(6).audioBytes, 0u);
        EXPECT_FALSE(rig.audio().music().threadRunning());
        if (mode == 1) {
            ASSERT_EQ(rig.fake.dialogs.shown.size(), 1u);
            EXPECT_EQ(rig.fake.dialogs.shown[0].text, "Waveファイルのオープンに失敗");
        } else {
            EXPECT_TRUE(rig.fake.dialogs.shown.empty());  // Ogg effects fail quietly
        }
    }
}

}  // namespace
