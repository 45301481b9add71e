#pragma once
// The game's effects and music, made from code, written as both sound sets:
//   <data>/wav/wav_0000.txt with WAVE files and their .sli loop files,
//   <data>/ogg/ogg_0000.txt with Ogg Vorbis files and their .sli loop files.
// Each list has 960 records: music tracks 0..63, then effects 0..31, then
// empty names.

#include <filesystem>

namespace assetgen {

void WriteSoundSets(const std::filesystem::path& dataFolder);

}  // namespace assetgen
