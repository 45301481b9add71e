#pragma once
// Writers for the sound files the game reads: RIFF WAVE (16-bit PCM), Ogg
// Vorbis (through libvorbisenc) and the loop files (".sli") of music tracks.
// Every writer throws std::runtime_error naming the file when it fails.

#include <cstdint>
#include <filesystem>
#include <vector>

namespace assetgen::sound {

// A RIFF WAVE file: a 16-byte PCM "fmt " chunk (stereo, 44.1 kHz, 16 bits),
// then the "data" chunk with the interleaved samples.
void WriteWaveFile(const std::filesystem::path& path, const std::vector<int16_t>& pcm);

// An Ogg Vorbis file of the interleaved stereo samples at the given VBR
// quality (0..1). The stream decodes to exactly as many frames as were given:
// its last page carries the frame count, which is checked here.
void WriteOggFile(const std::filesystem::path& path, const std::vector<int16_t>& pcm, float quality,
                  int serial);

// A loop file: UTF-16LE with a byte-order mark, the two lines
// "LoopStart=<frames>" and "LoopLength=<frames>", each ended by CR LF.
void WriteLoopFile(const std::filesystem::path& path, uint32_t loopStart, uint32_t loopLength);

}  // namespace assetgen::sound
