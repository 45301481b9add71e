#pragma once
// Audio: the audio object. It brings up the sound device, holds the 32 effect
// voices with their sounds and the music voice, plays effects, sets volumes,
// fades the music, and streams the music from a thread of its own.
//
// System::soundMode says how sound comes: 1 WAVE files, 2 Ogg Vorbis files,
// anything else no sound. Every play, volume and fade operation first checks
// that soundMode is 1 or 2 and System::soundDisabled is 0, and otherwise does
// nothing: a machine whose sound device cannot be opened runs silently.
//
// Effects: slot j (0..31) holds one sound of at most one second (WAVE, in the
// file's own format) or three seconds (Ogg Vorbis, always 16-bit stereo
// 44.1 kHz), loaded once. Playing a slot restarts it from its beginning;
// different slots mix. The frame loop re-arms every voice that has played
// out, so the next start plays the sound again.
//
// Music: 64 tracks, each opened once at start-up and streamed as 16-bit
// stereo 44.1 kHz, with a loop region read from the track's loop file: after
// the first pass a track repeats only its loop region. The main thread picks
// the track by writing System::bgmTrack; the stream thread wakes every
// 100 ms, keeps two chunks of 32,768 bytes (186 ms each) queued on the music
// voice, and cuts over to a new track at its next refill. Implementation in
// CXa2Stream.cpp.
//
// Threads: everything here runs on the main thread except StreamThread. The
// stream thread alone touches the music voice's queue, the stream buffers and
// the track state once it runs; the main thread only sets the music volume
// and asks for rewinds through atomic flags. The values both threads read are
// std::atomic.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string_view>
#include <thread>
#include <vector>

#include "audio/VoiceBuffer.h"

struct System;
class WorldState;
class WaveReader;
struct OggTrack;

namespace platform {
class AlVoice;
class Clock;
class Dialogs;
class SoundDevice;
}  // namespace platform

class Audio {
public:
    static constexpr int kEffectVoices = 32;
    static constexpr int kTracks = 64;
    static constexpr int32_t kOk = 0;
    static constexpr int32_t kFail = static_cast<int32_t>(0x80004005u);
    // Ogg effects hold at most three seconds of 16-bit stereo 44.1 kHz.
    static constexpr uint32_t kOggEffectBytes = 176400 / 4 * 12;
    static constexpr uint32_t kOggBytesPerSecond = 176400;
    // The track scenes play: selector 0 chooses the play music.
    static constexpr int32_t kPlayTrack = 7;

    Audio();
    virtual ~Audio();
    Audio(const Audio&) = delete;
    Audio& operator=(const Audio&) = delete;

    void Link(System* system) { system_ = system; }

    // --- Engine -----------------------------------------------------------
    // Opens the sound device and makes the mixing context. A device that
    // cannot be opened sets soundDisabled and still returns kOk: the game
    // goes on silently. kFail means the context (mastering voice) failed.
    // The clock paces the stream thread; the dialogs show load failures.
    int32_t CreateEngine(platform::SoundDevice& device, platform::Clock& clock,
                         platform::Dialogs& dialogs);
    // Stops the stream thread and waits for it, then destroys the voices,
    // the stream memory, the context and the device, in that order.
    void ShutdownAudio();

    // --- Effects ----------------------------------------------------------
    // Loads slot j from a WAVE file; shows "Waveファイルのオープンに失敗" when
    // the file cannot be read as a sound.
    bool LoadWaveEffect(std::u16string_view path, int slot);
    // Loads slot j from an Ogg Vorbis file (stereo 44.1 kHz); failures go to
    // standard error only.
    bool LoadOggEffect(std::u16string_view path, int slot);
    // Plays slot j from its beginning, cutting off an earlier play of it.
    void PlayEffect(int slot);
    // Stops and starts voice 0 without loading it: after the frame loop has
    // re-armed it, this plays effect 0 again from the start.
    void RestartEffect0();
    void SetMusicVolume();                // to bgmVolume × 0.0001
    void SetMusicVolume(int32_t volume);  // to volume × 0.0001
    void SetEffectVolume();               // every effect voice to seVolume × 0.0001
    void SetEffectVolume(int32_t volume);
    // One frame of the music fade (bgmFadeOutRequest, bgmFadeInRequest).
    void MusicFadeService();
    // Stops every effect voice that has played out and loads it again with
    // its sound, ready for the next start. The frame loop runs it once per frame.
    void ServiceIdleVoices();

    // --- Music ------------------------------------------------------------
    // Forgets every Ogg track (start-up, before any is opened).
    void ClearOggOpenFlags();
    // Opens track k from a WAVE file (16-bit stereo 44.1 kHz PCM) and reads
    // its loop file (path + ".sli"). Shows "WAVEファイルを開くのに失敗" when
    // the file cannot be used.
    bool LoadWaveTrack(std::u16string_view path, int track);
    // Opens track k from an Ogg Vorbis file (stereo 44.1 kHz) and reads its
    // loop file. Failures of the file go to standard error.
    bool LoadOggTrack(std::u16string_view path, int track);
    // Reads a loop file into bgmLoopStart[k] and bgmLoopLength[k]. A missing
    // file shows "<path> ファイルが見つかりません"; a loop that does not lie
    // inside the open track is refused with its own message.
    bool ReadLoopFile(std::u16string_view path, int track);
    // Makes the music voice and the stream memory for all 64 tracks.
    bool CreateMusicVoice();
    // Starts the stream thread; shows "スレッドの生成に失敗" when it cannot.
    bool StartStreamThread();
    // The play-scene selection: maps bgmSelector to a track, selects it, and
    // clears bgmSwitchRequest.
    void SelectTrackForScene(WorldState& world);
    // Rewinds the track when bgmTrack differs from bgmPreviousTrack or
    // bgmRestart is 1; clears bgmRestart.
    void RewindIfChanged(int track);
    // The stream thread's body: a refill pass every 100 ms until stopStream.
    void StreamThread();
    // One refill pass of the stream thread, without its wait.
    void StreamPass();
    void CloseWaveTrack(int track);
    void CloseOggTrack(int track);

    // --- Inspection -------------------------------------------------------
    // Times PlayEffect was asked for this slot, sound or no sound.
    uint32_t effectRequests(int slot) const { return effectRequests_[slot]; }
    const VoiceBuffer& effectBuffer(int slot) const { return effectBuffer_[slot]; }
    bool streamThreadRunning() const { return streamThread_.joinable(); }
    // Times the music voice was found run dry while playing, and refilled.
    int64_t underruns() const { return underruns_.load(); }
    // Chunks of music queued on the music voice so far.
    int64_t chunksQueued() const { return chunksQueued_.load(); }
    // The music voice's volume now (0 when there is no music voice).
    float MusicVoiceVolume();
    float EffectVoiceVolume(int slot);

private:
    bool SoundAvailable() const;
    void SubmitEffect(int slot);
    void ShowMessage(std::string_view text, std::string_view caption);
    bool TrackLength(int track, uint64_t* frames) const;
    void RequestRewind(int track);
    void RewindTrack(int track);
    void FillChunk(int track, uint8_t* chunk);
    void FillWaveChunk(int track, uint8_t* chunk);
    void WaitForNextPass(uint32_t passStart);

    System* system_ = nullptr;
    platform::SoundDevice* device_ = nullptr;  // the engine, while open
    bool masteringVoice_ = false;
    platform::Clock* clock_ = nullptr;
    platform::Dialogs* dialogs_ = nullptr;

    std::unique_ptr<platform::AlVoice> effectVoice_[kEffectVoices];
    uint32_t effectRequests_[kEffectVoices] = {};
    std::unique_ptr<platform::AlVoice> musicVoice_;
    std::thread streamThread_;
    uint32_t streamChunkBytes_ = 32768;
    std::vector<uint8_t> effectData_[kEffectVoices];
    VoiceBuffer effectBuffer_[kEffectVoices];
    uint32_t effectFrameBytes_[kEffectVoices] = {};
    std::vector<uint8_t> streamData_[kTracks];
    VoiceBuffer streamBuffer_[kTracks];

    // Track state, one per track: WAVE readers (mode 1) or Ogg streams (mode 2).
    std::unique_ptr<WaveReader[]> waveTracks_;
    std::unique_ptr<OggTrack[]> oggTracks_;
    int32_t ringIndex_[kTracks] = {};  // which of the two chunks a track used last
    std::atomic<int32_t> rewindRequest_[kTracks] = {};

    // Shared between the threads.
    std::atomic<int32_t> musicPlaying_ = 0;     // started and not marked stopped
    std::atomic<int32_t> lastTrackQueued_ = 0;  // the track of the chunk submitted last
    std::atomic<int64_t> underruns_ = 0;
    std::atomic<int64_t> chunksQueued_ = 0;

    // The music fade in progress.
    bool fadeOutRunning_ = false;
    bool fadeInRunning_ = false;
};
