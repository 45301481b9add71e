#pragma once
// MusicStreamer: the 64 music tracks, their loop points, the music voice and
// the stream thread that keeps the voice fed; also the music volume and fade.
//
// Each track is opened once at start-up and streamed as 16-bit stereo
// 44.1 kHz, with a loop region read from the track's loop file: after the
// first pass a track repeats only its loop region. The main thread picks the
// track by writing MusicShared::bgmTrack; the stream thread wakes every 100 ms,
// keeps two chunks of 32,768 bytes (186 ms each) queued on the music voice,
// and cuts over to a new track at its next refill. Music never stops
// mid-waveform: when it stops, or a new start cuts it off, it fades out over
// 8 ms from the moment it would have stopped.
//
// Threads: the main thread opens the tracks and makes the voice before the
// stream thread starts, and stops and joins it before releasing either.
// While it runs, the stream thread alone touches the music voice's queue,
// the stream buffers and the track state; the main thread only sets the
// music volume, runs the fade and asks for rewinds through atomic flags.
// The values both threads read are std::atomic.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "audio/VoiceBuffer.h"
#include "base/ZeroedMemory.h"

struct AudioLink;
class WorldState;
class WaveReader;
struct OggTrack;

namespace platform {
class AlVoice;
}  // namespace platform

class MusicStreamer {
public:
    static constexpr int kTracks = 64;
    // Music that stops or is cut off fades out over these frames (8 ms).
    static constexpr uint32_t kFadeFrames = 352;
    // The track scenes play: selector 0 chooses the play music.
    static constexpr int32_t kPlayTrack = 7;

    explicit MusicStreamer(const AudioLink& link);
    // Stops a stream thread still running and closes every track.
    ~MusicStreamer();
    MusicStreamer(const MusicStreamer&) = delete;
    MusicStreamer& operator=(const MusicStreamer&) = delete;

    // --- Tracks -------------------------------------------------------------
    // Forgets every Ogg track (start-up, before any is opened).
    void ClearOggTracks();
    // Opens track k from a WAVE file (16-bit stereo 44.1 kHz PCM) and reads
    // its loop file (LoopFileOf). Shows "WAVEファイルを開くのに失敗" when
    // the file cannot be used.
    bool OpenWave(const std::filesystem::path& path, int track);
    // Opens track k from an Ogg Vorbis file (stereo 44.1 kHz) and reads its
    // loop file. Failures of the file go to standard error. Tracks that name
    // the same file share its decoder (see OggSource).
    bool OpenOgg(const std::filesystem::path& path, int track);
    void CloseWave(int track);
    void CloseOgg(int track);
    // Reads a loop file into bgmLoopStart[k] and bgmLoopLength[k]. A missing
    // file shows "<path> ファイルが見つかりません"; a loop that does not lie
    // inside the open track is refused with its own message.
    bool ReadLoopFile(const std::filesystem::path& path, int track);

    // --- Voice and thread -----------------------------------------------------
    // Makes the music voice and the stream memory for all 64 tracks.
    bool CreateVoice();
    // Starts the stream thread; shows "スレッドの生成に失敗" when it cannot.
    bool StartThread();
    // Sets stopStream and waits for the stream thread to end.
    void StopThread();
    // Destroys the music voice, then the stream memory (engine shutdown,
    // after StopThread).
    void Release();
    // One refill pass of the stream thread, without its wait.
    void StreamPass();

    // --- Selection ------------------------------------------------------------
    // The play-scene selection: maps bgmSelector to a track, selects it, and
    // clears bgmSwitchRequest.
    void SelectForScene(WorldState& world);
    // Rewinds the track when bgmTrack differs from bgmPreviousTrack or
    // bgmRestart is 1; clears bgmRestart.
    void RewindIfChanged(int track);

    // --- Volume ---------------------------------------------------------------
    void SetVolume();                // to bgmVolume × 0.0001
    void SetVolume(int32_t volume);  // to volume × 0.0001
    // One frame of the music fade (bgmFadeOutRequest, bgmFadeInRequest).
    void ServiceFade();

    // --- Inspection -----------------------------------------------------------
    bool threadRunning() const { return thread_.joinable(); }
    // Times the music voice was found run dry while playing, and refilled.
    int64_t underruns() const { return underruns_.load(); }
    // Chunks of music queued on the music voice so far.
    int64_t chunksQueued() const { return chunksQueued_.load(); }
    // The music voice's volume now (0 when there is no music voice).
    float VoiceVolume() const;

private:
    // Opens the file and its decoder for track t.
    bool OpenOggSource(const std::filesystem::path& file, OggTrack& t);
    void RunThread();
    bool TrackLength(int track, uint64_t* frames) const;
    void RequestRewind(int track);
    void RewindTrack(int track);
    // Fills bytes of chunk with what the track plays next.
    void FillChunk(int track, uint8_t* chunk, uint32_t bytes);
    void FillWaveChunk(int track, uint8_t* chunk, uint32_t bytes);
    // Decodes into after_ what would follow the queue: the next frames of
    // the track queued last, or silence when a fade was queued last.
    void DecodeAfterQueue();
    // Music that stops (track 0, an inactive window) fades out: a short
    // buffer that carries on from the queue, fading to silence, goes last.
    void FadeOutAfterQueue(int32_t queued);
    // Adds to the first kFadeFrames of chunk the sound that is being cut
    // off, fading out: the last `pending` frames of the buffer submitted
    // last, then after_.
    void MixFadeOut(uint8_t* chunk, int64_t pending);
    void WaitForNextPass(uint32_t passStart);

    const AudioLink& link_;
    std::unique_ptr<platform::AlVoice> voice_;
    std::thread thread_;
    // The chunks of a track. The stream memory of all 64 tracks is one
    // zeroed block made with the voice; only the chunks of tracks that
    // play are ever touched, so the others cost no memory.
    uint8_t* TrackChunks(int track) const;

    uint32_t chunkBytes_ = 32768;
    base::Zeroed<uint8_t[]> streamData_;  // 3 chunks per track
    VoiceBuffer streamBuffer_[kTracks];

    // Track state, one per track: WAVE readers (mode 1) or Ogg streams
    // (mode 2); tracks that name the same file share its reader or decoder.
    std::shared_ptr<WaveReader> waveTracks_[kTracks];
    std::filesystem::path wavePaths_[kTracks];
    std::unique_ptr<OggTrack[]> oggTracks_;
    int32_t ringIndex_[kTracks] = {};  // which of the two chunks a track used last
    std::atomic<int32_t> rewindRequest_[kTracks] = {};

    // The stream thread's record of the fade: the buffer submitted last
    // (a chunk or the fade itself), what would follow the queue, and the
    // fade buffer.
    const uint8_t* lastSubmitted_ = nullptr;
    uint32_t lastSubmittedFrames_ = 0;
    bool lastWasFade_ = false;
    int16_t after_[kFadeFrames * 2] = {};
    int16_t fade_[kFadeFrames * 2] = {};

    // Shared between the threads.
    std::atomic<int32_t> playing_ = 0;          // started and not marked stopped
    std::atomic<int32_t> lastTrackQueued_ = 0;  // the track of the chunk submitted last
    std::atomic<int64_t> underruns_ = 0;
    std::atomic<int64_t> chunksQueued_ = 0;

    // The music fade in progress (main thread).
    bool fadeOutRunning_ = false;
    bool fadeInRunning_ = false;
};
