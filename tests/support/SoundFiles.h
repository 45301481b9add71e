#pragma once
// Sound files made by the tests themselves: RIFF WAVE files of any shape,
// Ogg Vorbis files encoded here, loop files, and the test signals (a counting
// ramp whose every frame says which frame of which track it is, a sine, a
// click train).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/TempFolder.h"

// --- RIFF WAVE --------------------------------------------------------------

struct RiffChunk {
    std::string id;  // four characters
    Bytes body;
};

// "RIFF" + size + form type + the chunks, each padded to an even length.
Bytes RiffFile(std::string_view formType, const std::vector<RiffChunk>& chunks);

// A "fmt " body: the 16 PCM bytes, then for other tags the extension size and
// extension.
Bytes FormatChunk(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
                  const Bytes& extension = {});
// The same with the block size and the bytes per second given outright.
Bytes FormatChunkRaw(uint16_t tag, uint16_t channels, uint32_t rate, uint32_t bytesPerSecond,
                     uint16_t blockAlign, uint16_t bits);

// A whole 16-bit stereo 44.1 kHz PCM file holding these samples.
Bytes StereoWave(const std::vector<int16_t>& interleaved);

// --- Signals --------------------------------------------------------------------

// Frame i of the ramp for track t: left = low 16 bits of i + 1, right =
// t × 256 + the bits above them. Frame 0 is not silence.
std::vector<int16_t> Ramp(uint32_t frames, uint32_t track = 0);
// What a ramp frame says: the track and the frame, or -1 for silence.
struct RampFrame {
    int32_t track = 0;
    int64_t frame = -1;
};
RampFrame ReadRamp(int16_t left, int16_t right);

// Stereo sine of the given frequency and amplitude (0..1).
std::vector<float> Sine(uint32_t frames, double hz, double amplitude, uint32_t rate = 44100);

// --- Ogg Vorbis -------------------------------------------------------------------

// Encodes interleaved float samples (-1..1) as Ogg Vorbis at quality 0.4.
Bytes EncodeOgg(const std::vector<float>& interleaved, int channels, int rate);
// Decodes an Ogg Vorbis file from memory as 16-bit frames, from frame `from`.
std::vector<int16_t> DecodeOgg(const Bytes& file, int64_t from = 0);

// --- Text -------------------------------------------------------------------------

// UTF-16LE with a byte-order mark.
Bytes Utf16File(std::u16string_view text);
