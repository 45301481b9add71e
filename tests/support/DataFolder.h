#pragma once
// A small valid data folder made by the tests, laid out as the game reads it:
//
//   wav/wav_0000.txt  960 names: tracks 0..63 "wav\bgm_0000.wav"..., effects
//                     64..95 "wav\eff_0000.wav"..., the rest empty
//   wav/*.wav         the tracks (16-bit stereo 44.1 kHz) with their .sli
//                     loop files (track k loops from frame k), the effects
//   ogg/...           the same as Ogg Vorbis
//   grp/grp_0003.txt  64 names: slots 1, 4 and 7 "null0000.png", the other
//                     slots of 0..7 "grp\grp_000n.png", the rest empty
//   grp/*.png         512 x 512 palette pictures
//   VLGothic/...      a stand-in for the font file (only checked for being there)

#include <cstdint>
#include <string>
#include <vector>

#include "support/TempFolder.h"

namespace testdata {

constexpr uint32_t kTrackFrames = 2205;  // 50 ms
constexpr uint32_t kTrackLoopLength = kTrackFrames - 64;

// Writes the whole folder as <folder>/<sub>/.
void WriteDataFolder(const TempFolder& folder, const std::string& sub = "data");

// Native names inside the data folder, by sound mode (1 WAVE, 2 Ogg).
std::string SoundListFile(int soundMode);
std::string TrackFile(int soundMode, int track);
std::string EffectFile(int soundMode, int slot);
inline const char kPictureListFile[] = "grp/grp_0003.txt";
std::string PictureFile(int slot);
// Whether texture slot 0..7 names a picture (the others are "null0000.png").
bool PictureListed(int slot);

// A list file: the byte-order mark, then per name 16 units (shorter names
// padded with zero units) and CR LF.
Bytes ListFile(const std::vector<std::u16string>& names);

}  // namespace testdata
