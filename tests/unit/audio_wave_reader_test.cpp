// ctest-labels: audio
// The WAVE reader on files made here: what it refuses, the format record it
// keeps, how it finds the data, and slices read against the byte budget.

#include <gtest/gtest.h>

#include <numeric>

#include "audio/WaveReader.h"
#include "support/SoundFiles.h"
#include "support/TempFolder.h"

namespace {

Bytes Counting(size_t n) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = static_cast<uint8_t>(i * 7 + i / 251);
    return b;
}

class WaveReaderTest : public ::testing::Test {
protected:
    std::u16string Write(const Bytes& bytes) {
        folder.Write("sound.wav", bytes);
        return folder.Path("sound.wav");
    }
    TempFolder folder;
    WaveReader reader;
};

TEST_F(WaveReaderTest, RefusesFilesThatAreNotWaveSound) {
    const Bytes fmt = FormatChunk(1, 2, 44100, 16);
    EXPECT_FALSE(reader.Open(folder.Path("missing.wav")));
    // A RIFF file of another form type.
    EXPECT_FALSE(reader.Open(Write(RiffFile("AVI ", {{"fmt ", fmt}, {"data", Bytes(8)}}))));
    EXPECT_FALSE(reader.IsOpen());
    // A first chunk that is not RIFF.
    Bytes rifx = RiffFile("WAVE", {{"fmt ", fmt}, {"data", Bytes(8)}});
    rifx[3] = 'X';
    EXPECT_FALSE(reader.Open(Write(rifx)));
    // The old 14-byte format without the bits field.
    EXPECT_FALSE(reader.Open(Write(
        RiffFile("WAVE", {{"fmt ", Bytes(fmt.begin(), fmt.begin() + 14)}, {"data", Bytes(8)}}))));
    // No format chunk, or no data chunk.
    EXPECT_FALSE(reader.Open(Write(RiffFile("WAVE", {{"data", Bytes(8)}}))));
    ASSERT_TRUE(reader.Open(Write(RiffFile("WAVE", {{"fmt ", fmt}}))));
    EXPECT_FALSE(reader.ResetToData());
    // An extension that runs out of the format chunk.
    Bytes longExtension = FormatChunk(3, 2, 44100, 32, Bytes(22, 1));
    longExtension.resize(30);
    EXPECT_FALSE(
        reader.Open(Write(RiffFile("WAVE", {{"fmt ", longExtension}, {"data", Bytes(8)}}))));
}

TEST_F(WaveReaderTest, EveryShortFileFailsCleanly) {
    const Bytes whole =
        RiffFile("WAVE", {{"fmt ", FormatChunk(1, 2, 44100, 16)}, {"data", Counting(8)}});
    ASSERT_EQ(whole.size(), 52u);
    for (size_t size = 0; size < whole.size(); ++size) {
        SCOPED_TRACE(size);
        const bool opened = reader.OpenAndReset(Write(Bytes(whole.begin(), whole.begin() + size)));
        // Header and format take 36 bytes and the data chunk's header 8 more.
        EXPECT_EQ(opened, size >= 44);
        if (opened) {
            EXPECT_EQ(reader.dataBytesInFile(), size - 44);
            uint8_t out[8];
            uint32_t delivered = 99;
            EXPECT_FALSE(reader.ReadSlice(8, out, &delivered));  // runs past the end
            EXPECT_EQ(delivered, 99u);
        }
    }
}

TEST_F(WaveReaderTest, FormatRecordIsEighteenBytesPlusTheExtension) {
    // PCM: 18 bytes with an extension size of 0, whatever the chunk holds after 16 bytes.
    Bytes pcm = FormatChunk(1, 1, 22050, 8);
    pcm.insert(pcm.end(), {5, 0, 9, 9, 9, 9, 9});
    ASSERT_TRUE(reader.Open(Write(RiffFile("WAVE", {{"fmt ", pcm}, {"data", Bytes(4)}}))));
    EXPECT_EQ(reader.format().size(), 18u);
    EXPECT_EQ(reader.extensionSize(), 0);
    EXPECT_EQ(reader.formatTag(), 1);
    EXPECT_EQ(reader.channels(), 1);
    EXPECT_EQ(reader.samplesPerSecond(), 22050u);
    EXPECT_EQ(reader.averageBytesPerSecond(), 22050u);
    EXPECT_EQ(reader.blockAlign(), 1);
    EXPECT_EQ(reader.bitsPerSample(), 8);

    // Float (tag 3) with a 22-byte extension: a 40-byte record holding it.
    Bytes extension(22);
    std::iota(extension.begin(), extension.end(), uint8_t{100});
    ASSERT_TRUE(reader.OpenAndReset(Write(RiffFile(
        "WAVE", {{"fmt ", FormatChunk(3, 2, 48000, 32, extension)}, {"data", Bytes(8)}}))));
    ASSERT_EQ(reader.format().size(), 40u);
    EXPECT_EQ(reader.extensionSize(), 22);
    EXPECT_EQ(Bytes(reader.format().begin() + 18, reader.format().end()), extension);
    EXPECT_EQ(reader.formatTag(), 3);
    EXPECT_EQ(reader.sampleTag(), 3);

    // Extensible: the samples are stored as its sub-format says.
    Bytes subFormat(22, 0);
    subFormat[6] = 1;  // the first two bytes of the sub-format GUID: PCM
    ASSERT_TRUE(reader.Open(Write(RiffFile(
        "WAVE", {{"fmt ", FormatChunk(0xFFFE, 2, 44100, 16, subFormat)}, {"data", Bytes(4)}}))));
    EXPECT_EQ(reader.formatTag(), 0xFFFE);
    EXPECT_EQ(reader.sampleTag(), 1);
}

TEST_F(WaveReaderTest, FindsTheDataPastOtherChunksAndReadsItAgainstTheBudget) {
    const Bytes data = Counting(20001);  // more than two of the reader's buffers, odd size
    const Bytes file = RiffFile("WAVE", {{"JUNK", Bytes(3, 0xEE)},
                                         {"fmt ", FormatChunk(1, 2, 44100, 16)},
                                         {"LIST", Bytes(5, 0xDD)},  // odd: padded
                                         {"fact", Bytes(4, 0xCC)},
                                         {"data", data},
                                         {"smpl", Bytes(9, 0xBB)}});
    ASSERT_TRUE(reader.OpenAndReset(Write(file)));
    EXPECT_EQ(reader.dataChunk().size, data.size());
    EXPECT_EQ(reader.dataChunk().dataOffset, 12u + 12 + 24 + 14 + 12 + 8);

    // Slices of every size take exactly their bytes from the budget.
    Bytes got;
    uint32_t want = 1;
    while (reader.remainingBytes() > 0) {
        const uint32_t before = reader.remainingBytes();
        Bytes slice(want);
        uint32_t delivered = 0;
        ASSERT_TRUE(reader.ReadSlice(want, slice.data(), &delivered));
        EXPECT_EQ(delivered, std::min(want, before));
        EXPECT_EQ(reader.remainingBytes(), before - delivered);
        got.insert(got.end(), slice.begin(), slice.begin() + delivered);
        want = want * 3 + 1;
    }
    EXPECT_EQ(got, data);
    // An empty budget delivers nothing and never reads into the next chunk.
    uint8_t byte = 0x55;
    uint32_t delivered = 7;
    EXPECT_TRUE(reader.ReadSlice(1, &byte, &delivered));
    EXPECT_EQ(delivered, 0u);
    EXPECT_EQ(byte, 0x55);

    // Seeks inside and outside the buffered bytes, then the budget set anew.
    for (uint64_t at : {uint64_t{12345}, uint64_t{17}, uint64_t{19990}, uint64_t{0}}) {
        ASSERT_TRUE(reader.SeekTo(reader.dataChunk().dataOffset + at));
        reader.setRemainingBytes(11);
        uint8_t out[11];
        ASSERT_TRUE(reader.ReadSlice(100, out, &delivered));
        EXPECT_EQ(delivered, 11u);
        EXPECT_EQ(Bytes(out, out + 11), Bytes(data.begin() + at, data.begin() + at + 11)) << at;
    }
    // Back to the data: the budget is the chunk's size again.
    ASSERT_TRUE(reader.ResetToData());
    EXPECT_EQ(reader.remainingBytes(), data.size());
    reader.Close();
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_TRUE(reader.format().empty());
}

}  // namespace
