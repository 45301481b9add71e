#pragma once
// The game's music, composed and rendered here.
//
// PlayMusic is the piece heard while playing: D minor, 140 beats per minute,
// a four-bar intro and a 32-bar loop region that runs to the end of the
// track. AmbientMusic is a short, quiet pad loop for every other track entry.

#include <cstdint>
#include <vector>

namespace assetgen::sound {

struct MusicTrack {
    std::vector<int16_t> pcm;  // interleaved 16-bit stereo, 44.1 kHz
    uint32_t loopStart = 0;    // in sample frames
    uint32_t loopLength = 0;
};

// The loop region ends where the track ends. With loopPasses > 1 the loop
// region is rendered that many times in a row (the loop points still name
// the first), which shows what a looping player plays.
MusicTrack PlayMusic(int loopPasses = 1);
// A short opening, then the loop region to the end of the track.
MusicTrack AmbientMusic();

}  // namespace assetgen::sound
