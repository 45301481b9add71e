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
#include <filesystem>
#include <memory>
#include <string>

#include "audio/OggFile.h"

struct MusicShared;

// One open Ogg Vorbis file and its decoder. Music tracks that name the same
// file share one: its codebooks and decode buffers take far more memory than
// the file itself. Sharing is safe because only the track that plays
// decodes, and a track is always rewound when it is chosen after another, so
// no track needs to keep a position of its own while another plays.
struct OggSource {
    OggSource() = default;
    ~OggSource();  // ov_clear, then closes the file
    OggSource(const OggSource&) = delete;
    OggSource& operator=(const OggSource&) = delete;

    OggVorbis_File stream{};
    FILE* file = nullptr;
    bool streamOpen = false;  // ov_open succeeded
    std::filesystem::path path;
};

// The state of one Ogg music track, kept for the whole run.
struct OggTrack {
    std::shared_ptr<OggSource> source;
    vorbis_info* info = nullptr;
    int currentStream = 0;  // the logical stream the last decode came from
    int64_t gotBytes = 0;   // produced in this fill
    int64_t wantBytes = 0;  // asked for
    int32_t loopHit = 0;
    int64_t playedBytes = 0;     // decoded since the start or the last loop jump
    int64_t loopCorrection = 0;  // 0 before the first jump, then loop start × 4
    bool open = false;

    OggVorbis_File* stream() const { return &source->stream; }
    // Back to the first frame with the counters cleared.
    void Rewind();
    // Lets go of the file (closed with the last track that shares it).
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
