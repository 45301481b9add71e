#pragma once
// OggStreamDecoder: decodes the next chunk of an Ogg Vorbis music track, with its
// loop jump.
//
// The music thread makes one for each chunk it fills. Decoding runs until the
// chunk is full or a decode call reaches the loop end; that call's output is
// kept whole, then the stream seeks back to the loop start and the rest of
// the chunk is decoded from there. So the jump comes at most one decode call
// after the loop end, not at the exact frame. Before the first jump the loop
// end is counted from the start of the track; after it, from the loop start.

#include <cstdint>
#include <cstdio>

#include "audio/OggFile.h"

struct MusicShared;

// The state of one Ogg music track, kept for the whole run.
struct OggTrack {
    OggVorbis_File stream{};
    vorbis_info* info = nullptr;
    int currentStream = 0;  // the logical stream the last decode came from
    FILE* file = nullptr;
    int64_t gotBytes = 0;   // produced in this fill
    int64_t wantBytes = 0;  // asked for
    int32_t loopHit = 0;
    int64_t playedBytes = 0;     // decoded since the start or the last loop jump
    int64_t loopCorrection = 0;  // 0 before the first jump, then loop start × 4
    bool open = false;

    // Back to the first frame with the counters cleared.
    void Rewind();
    // ov_clear and close the file, if open.
    void Close();
};

class OggStreamDecoder {
public:
    explicit OggStreamDecoder(const MusicShared* music) : music_(music) {}

    // Fills chunkBytes of chunk from the track; a fill that cannot decode
    // leaves the rest of the chunk as it was.
    void Fill(OggTrack& track, int trackNumber, uint8_t* chunk, int64_t chunkBytes);

private:
    const MusicShared* music_;
};
