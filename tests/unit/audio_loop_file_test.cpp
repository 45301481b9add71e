// ctest-labels: audio
// Loop files: the values a file of each shape gives, and what reading one at
// start-up shows when the file is missing or its loop lies outside the track.

#include <gtest/gtest.h>

#include <string>

#include "audio/LoopFile.h"
#include "support/AudioRig.h"

namespace {

LoopPoints Parse(const Bytes& bytes) {
    return ParseLoopFile(bytes.data(), bytes.size());
}
LoopPoints ParseText(std::u16string_view text) {
    return Parse(Utf16File(text));
}

TEST(LoopFileTest, ValuesOfEveryShape) {
    struct Case {
        std::u16string text;
        uint32_t start, length;
    };
    const Case cases[] = {
        // Each value is followed by a line that is skipped.
        {u"LoopStart=1000\r\n\r\nLoopLength=2000\r\n\r\n", 1000, 2000},
        // Just the two lines, with or without the last line end: the skipped
        // line is the second, which stays in place when the search hits the end.
        {u"LoopStart=1000\r\nLoopLength=2000\r\n", 1000, 2000},
        {u"LoopStart=1000\nLoopLength=2000", 1000, 2000},
        // Comment lines before each value.
        {u";start\r\n;of the loop\r\nLoopStart=44100\r\n;length\r\n;in "
         u"frames\r\nLoopLength=88200\r\n",
         44100, 88200},
        {u";a\nLoopStart=7\n;b\nLoopLength=8\n", 7, 8},
        // Blanks after the equals sign, a plus sign, and the largest value.
        {u"LoopStart= 5\n\nLoopLength=+4294967295\n", 5, 4294967295u},
        // Values that do not parse are 0.
        {u"LoopStart=x\n\nLoopLength=\n", 0, 0},
        {u"loopstart=5\n\nLoopLength=6\n", 0, 6},
        {u" LoopStart=5\n\nLoopLength=6\n", 0, 6},
        {u"", 0, 0},
        {u";only comments\n;here\n", 0, 0},
        // Three lines: the length line is skipped, and the comment after it is
        // all that is left to parse.
        {u"LoopStart=1\nLoopLength=2\n;end\n", 1, 0},
        // A line of more than 79 characters is read as two: here the rest of
        // the start line is the skipped one (and the value too large for 32 bits
        // stays at the largest)...
        {u"LoopStart=3" + std::u16string(90, u'0') + u"\nLoopLength=9\n", 4294967295u, 9},
        // ...and here the rest of a long comment is taken for the start line.
        {u";" + std::u16string(100, u'c') + u"\nLoopStart=11\n\nLoopLength=12\n", 0, 0},
    };
    for (const Case& c : cases) {
        const LoopPoints p = ParseText(c.text);
        EXPECT_EQ(p.start, c.start) << std::string(c.text.begin(), c.text.end());
        EXPECT_EQ(p.length, c.length) << std::string(c.text.begin(), c.text.end());
    }
    // Other encodings: UTF-8 with its mark, and single-byte text.
    const std::string plain = "LoopStart=12\r\n\r\nLoopLength=34\r\n";
    Bytes utf8 = {0xEF, 0xBB, 0xBF};
    utf8.insert(utf8.end(), plain.begin(), plain.end());
    EXPECT_EQ(Parse(utf8).start, 12u);
    EXPECT_EQ(Parse(Bytes(plain.begin(), plain.end())).length, 34u);
}

TEST(LoopFileTest, StartUpRefusesMissingFilesAndLoopsOutsideTheTrack) {
    AudioRig rig(1);
    const uint32_t frames = 5000;
    rig.Write("t.wav", StereoWave(Ramp(frames)));
    const std::u16string track = rig.folder.Path("t.wav");
    const std::string loopFile = rig.folder.Native("t.wav.sli");

    // No loop file.
    EXPECT_FALSE(rig.audio.music().OpenWave(track, 6));
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_EQ(rig.dialogs.shown[0].text, loopFile + " ファイルが見つかりません");
    EXPECT_EQ(rig.dialogs.shown[0].caption, "Message");

    // Loops that end past the data, or hold no frame.
    for (auto [start, length] :
         {std::pair{0u, frames + 1}, {4000u, 1001u}, {100u, 0u}, {4294967295u, 2u}}) {
        rig.dialogs.shown.clear();
        rig.WriteLoopFile("t.wav", start, length);
        EXPECT_FALSE(rig.audio.music().OpenWave(track, 6)) << start << " " << length;
        ASSERT_EQ(rig.dialogs.shown.size(), 1u);
        EXPECT_EQ(rig.dialogs.shown[0].text, loopFile + " ループ範囲が曲の長さを超えています");
        EXPECT_EQ(rig.dialogs.shown[0].caption, "Message");
    }
    // The whole track is fine, and the values land in System.
    rig.dialogs.shown.clear();
    rig.WriteLoopFile("t.wav", 4000, 1000);
    EXPECT_TRUE(rig.audio.music().OpenWave(track, 6));
    EXPECT_TRUE(rig.dialogs.shown.empty());
    EXPECT_EQ(rig.system.music.bgmLoopStart[6], 4000);
    EXPECT_EQ(rig.system.music.bgmLoopLength[6], 1000);

    // A track that is not 16-bit stereo 44.1 kHz cannot be streamed.
    rig.Write("mono.wav",
              RiffFile("WAVE", {{"fmt ", FormatChunk(1, 1, 44100, 16)}, {"data", Bytes(100)}}));
    rig.WriteLoopFile("mono.wav", 0, 10);
    EXPECT_FALSE(rig.audio.music().OpenWave(rig.folder.Path("mono.wav"), 6));
    EXPECT_EQ(rig.dialogs.shown.back().text, "WAVEファイルを開くのに失敗");
    EXPECT_EQ(rig.dialogs.shown.back().caption, "Error");
}

TEST(LoopFileTest, AnOggLoopMustEndInsideTheStream) {
    AudioRig rig(2);
    const Bytes ogg = EncodeOgg(Sine(20000, 330.0, 0.3), 2, 44100);
    const std::u16string track = rig.Write("t.ogg", ogg);
    rig.WriteLoopFile("t.ogg", 10000, 10001);
    EXPECT_FALSE(rig.audio.music().OpenOgg(track, 2));
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_EQ(rig.dialogs.shown[0].text,
              rig.folder.Native("t.ogg.sli") + " ループ範囲が曲の長さを超えています");
    rig.WriteLoopFile("t.ogg", 10000, 10000);
    EXPECT_TRUE(rig.audio.music().OpenOgg(track, 2));
    // Not an Ogg stream, or not stereo: refused before the loop file is read.
    rig.dialogs.shown.clear();
    EXPECT_FALSE(rig.audio.music().OpenOgg(rig.Write("w.ogg", StereoWave(Ramp(10))), 3));
    EXPECT_FALSE(rig.audio.music().OpenOgg(
        rig.Write("m.ogg", EncodeOgg(std::vector<float>(20000, 0.1f), 1, 44100)), 3));
    EXPECT_FALSE(rig.audio.music().OpenOgg(rig.folder.Path("missing.ogg"), 3));
    EXPECT_TRUE(rig.dialogs.shown.empty());
}

}  // namespace
