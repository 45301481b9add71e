#include "audio/OggStreamDecoder.h"

#include "world/MusicShared.h"

namespace {
constexpr int64_t kFrameBytes = 4;  // 16-bit stereo
}  // namespace

OggSource::~OggSource() {
    if (streamOpen)
        ov_clear(&stream);
    if (file != nullptr)
        std::fclose(file);
}

void OggTrack::Rewind() {
    gotBytes = 0;
    loopHit = 0;
    playedBytes = 0;
    loopCorrection = 0;
    if (open)
        ov_pcm_seek(stream(), 0);
}

void OggTrack::Close() {
    source.reset();
    info = nullptr;
    open = false;
}

void OggStreamDecoder::Fill(OggTrack& t, int k, uint8_t* chunk, int64_t c) {
    if (!t.open)
        return;
    const int64_t loopStart = static_cast<uint32_t>(music_->bgmLoopStart[k].load());
    const int64_t loopLength = static_cast<uint32_t>(music_->bgmLoopLength[k].load());
    const int64_t loopEnd = (loopStart + loopLength) * kFrameBytes - t.loopCorrection;

    // Decode until the chunk is full or a decode call reaches the loop end.
    t.wantBytes = c;
    t.gotBytes = 0;
    while (t.gotBytes < t.wantBytes) {
        const long n = ReadOggPcm(t.stream(), chunk + t.gotBytes,
                                  static_cast<long>(t.wantBytes - t.gotBytes), &t.currentStream);
        if (n == 0) {
            // The stream ended before the loop end: jump here rather than
            // repeat stale data for ever.
            t.loopHit = 1;
            break;
        }
        if (n < 0)
            break;
        t.gotBytes += n;
        if (t.gotBytes + t.playedBytes >= loopEnd) {
            t.loopHit = 1;
            break;
        }
    }
    t.playedBytes += t.gotBytes;
    if (t.loopHit == 0)
        return;

    // Back to the loop start, and the rest of the chunk from there.
    ov_pcm_seek(t.stream(), loopStart);
    t.wantBytes = c - t.gotBytes;
    t.playedBytes = 0;
    int64_t taken = 0;
    while (taken < t.wantBytes) {
        const long n = ReadOggPcm(t.stream(), chunk + t.gotBytes,
                                  static_cast<long>(t.wantBytes - taken), &t.currentStream);
        if (n < 1)
            break;
        t.gotBytes += n;
        taken += n;
    }
    t.loopHit = 0;
    t.wantBytes = c;
    t.loopCorrection = loopStart * kFrameBytes;
    t.playedBytes = taken;
}
