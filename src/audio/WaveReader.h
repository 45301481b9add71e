#pragma once
// WaveReader: reads the sound data of a RIFF WAVE file.
//
// A reader is opened on a file, which reads the format chunk into the format
// record; then it is positioned at the start of the "data" chunk and read in
// slices against a byte budget, the data chunk's size, which every read takes
// from. Effects read one slice at load; a music track stays open for the
// whole run and the music thread reads it a chunk at a time, resetting the
// budget at each loop jump.
//
// Accepted layout: a first chunk "RIFF" of form type "WAVE" holding a "fmt "
// chunk of at least 16 bytes and a "data" chunk; other chunks are skipped.
// Chunks are word-aligned and little-endian. The format record is 18 bytes
// for PCM and 18 + the extension size for every other format tag.
//
// Every operation returns true on success and shows nothing: the callers say
// what went wrong in their own words.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "audio/BufferedFile.h"

class WaveReader {
public:
    static constexpr uint16_t kFormatPcm = 1;
    static constexpr uint16_t kFormatFloat = 3;
    static constexpr uint16_t kFormatExtensible = 0xFFFE;

    struct Chunk {
        uint32_t id = 0;
        uint32_t size = 0;  // for "data": the bytes left to read
        uint32_t formType = 0;
        uint64_t dataOffset = 0;  // file offset of the chunk's contents
    };

    WaveReader() = default;
    WaveReader(const WaveReader&) = delete;
    WaveReader& operator=(const WaveReader&) = delete;

    // Opens the file and reads its format chunk.
    bool Open(const std::filesystem::path& path);
    // Finds "data" inside the RIFF chunk and moves to its first byte; the
    // budget becomes the chunk's size.
    bool ResetToData();
    bool OpenAndReset(const std::filesystem::path& path);
    // Reads min(budget, want) bytes into destination, taking them from the
    // budget; fails if the file ends first.
    bool ReadSlice(uint32_t want, uint8_t* destination, uint32_t* delivered);
    // Reads min(budget, want) bytes, or as many as the file still holds, and
    // returns how many arrived.
    uint32_t ReadAvailable(uint32_t want, uint8_t* destination);
    // Moves to offset from the start of the file.
    bool SeekTo(uint64_t offset);
    // Closes the file and frees the format record.
    void Close();

    bool IsOpen() const { return file_.IsOpen(); }
    // The format record: WAVEFORMATEX, 18 + extension bytes.
    const std::vector<uint8_t>& format() const { return format_; }
    uint16_t formatTag() const { return Field16(0); }
    uint16_t channels() const { return Field16(2); }
    uint32_t samplesPerSecond() const { return Field32(4); }
    uint32_t averageBytesPerSecond() const { return Field32(8); }
    uint16_t blockAlign() const { return Field16(12); }
    uint16_t bitsPerSample() const { return Field16(14); }
    uint16_t extensionSize() const { return Field16(16); }
    // The tag that says how the samples are stored: the sub-format's for an
    // extensible format, else the format tag.
    uint16_t sampleTag() const;

    const Chunk& riffChunk() const { return riff_; }
    const Chunk& dataChunk() const { return data_; }
    // The data chunk's size field, the budget of the reads.
    uint32_t remainingBytes() const { return data_.size; }
    void setRemainingBytes(uint32_t bytes) { data_.size = bytes; }
    // Bytes of sample data the file really holds (a cut-off file holds fewer
    // than its data chunk says).
    uint64_t dataBytesInFile() const { return dataBytesInFile_; }

private:
    uint16_t Field16(size_t at) const;
    uint32_t Field32(size_t at) const;
    // Searches the chunks from the current position to the parent's end.
    bool FindChunk(uint32_t id, const Chunk& parent, Chunk* found);
    bool ReadExactly(void* destination, size_t n);

    BufferedFile file_;
    std::vector<uint8_t> format_;
    Chunk data_;
    Chunk riff_;
    uint64_t dataBytesInFile_ = 0;
};
