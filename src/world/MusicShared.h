#pragma once
// MusicShared: the values the music thread shares with the main thread.
//
// The rule: every value here is atomic, written by one thread and read by the
// other, and nothing else the music thread reads changes after it starts.
// The main thread writes the stop flag and the track selection; the loop points are written by
// resource loading before the thread starts and only read afterwards.

#include <atomic>
#include <cstdint>

struct MusicShared {
    static constexpr int kTrackCount = 64;

    std::atomic<int32_t> stopStream = 0;  // 1 ends the music thread
    // The music track playing (1..63, 0 for silence), the one before it, and
    // 1 to rewind the track even if it did not change.
    std::atomic<int32_t> bgmTrack = 0;
    std::atomic<int32_t> bgmPreviousTrack = 0;
    std::atomic<int32_t> bgmRestart = 1;
    // Loop points per track in sample frames, unsigned values kept in int32.
    std::atomic<int32_t> bgmLoopStart[kTrackCount] = {};
    std::atomic<int32_t> bgmLoopLength[kTrackCount] = {};
};
