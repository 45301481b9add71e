#pragma once
// AlVoice: one source voice of the audio engine on an OpenAL source.
//
// The game speaks in XAudio2's voice operations; this class carries them out
// on OpenAL and keeps XAudio2's meaning where the two differ:
//
//   SubmitSourceBuffer  alBufferData into a free buffer, alSourceQueueBuffers
//   Start / Stop        alSourcePlay / alSourcePause (play resumes a pause)
//   FlushSourceBuffers  alSourceStop, detach the queue, alSourceRewind
//   QueuedBuffers       AL_BUFFERS_QUEUED - AL_BUFFERS_PROCESSED
//   SetVolume           AL_GAIN
//
// An XAudio2 voice stays started when its queue runs dry and plays the next
// buffer submitted at once; an OpenAL source stops, and playing a stopped
// source would replay its whole queue. So the voice remembers whether it was
// started, unqueues played buffers before anything new goes in, and plays
// again when a buffer arrives for a started voice. A stopped source also
// counts every buffer on its queue as processed, so a voice that holds fresh
// buffers while not playing is kept in the initial state, where they count as
// queued.
//
// A mono voice plays its sound at full level in both outputs, as XAudio2
// does: OpenAL would pan a mono source to the centre, 4.5 dB down on each
// side, so the voice hands OpenAL every sample twice, as stereo, and lets it
// go straight to the outputs like any stereo voice.
//
// A voice that plays one sound again and again (an effect) keeps it in a
// buffer of its own (KeepSound) and queues that buffer without copying the
// sound each time.
//
// Threads: one thread drives the queue (submit, start, stop, flush, queued
// count); volume calls may come from another, as OpenAL calls are safe to make
// from any thread. The context must be current (AlDeviceBase makes it so).

#include <atomic>
#include <cstdint>
#include <vector>

namespace platform {

struct VoiceFormat {
    int32_t channels = 2;
    int32_t sampleRate = 44100;
    int32_t bitsPerSample = 16;  // 8 (unsigned) or 16 (signed) integer, or 32 float
    bool isFloat = false;
};

class AlVoice {
public:
    AlVoice() = default;
    ~AlVoice();
    AlVoice(const AlVoice&) = delete;
    AlVoice& operator=(const AlVoice&) = delete;

    // True when OpenAL can play sounds of this format.
    static bool Supports(const VoiceFormat& format);

    // Makes the source. False when the format cannot be played or OpenAL has
    // no source to give (the reason goes to standard error).
    bool Create(const VoiceFormat& format);
    // Stops the source and frees it with its buffers.
    void Destroy();
    bool IsCreated() const { return source_ != 0; }

    // Queues a copy of bytes (whole frames; a partial last frame is dropped).
    bool SubmitSourceBuffer(const void* data, uint32_t bytes);
    // Copies bytes (whole frames) into the voice's own sound, replacing the
    // one it kept before; nothing is queued.
    bool KeepSound(const void* data, uint32_t bytes);
    // Queues the kept sound, as SubmitSourceBuffer would queue a copy of it.
    bool SubmitKeptSound();
    void Start();
    void Stop();
    // Drops every queued buffer. The game always stops a voice first.
    void FlushSourceBuffers();
    // Buffers queued and not yet played through.
    int32_t QueuedBuffers();
    // Frames queued and not yet played, from where the voice stands. Meant
    // for a stopped voice, which stays where it is.
    int64_t PendingFrames();
    void SetVolume(float volume);
    float GetVolume();

    uint32_t frameBytes() const { return frameBytes_; }

    // Voice operations sent to OpenAL so far, by every voice: a silent game
    // must leave this unchanged.
    static uint64_t OperationCount() { return operations_.load(std::memory_order_relaxed); }

private:
    void Count() { operations_.fetch_add(1, std::memory_order_relaxed); }
    // Takes back the buffers played through; an empty stopped source goes back
    // to the initial state.
    void ReclaimPlayed();
    // Plays the queue of a started voice unless it is playing already.
    void Resume();
    // Puts buffers taken off the queue back among the free ones.
    void Unqueue(int32_t count);
    // Fills an OpenAL buffer with whole frames of sound (twice over for mono).
    bool Upload(uint32_t buffer, const void* data, uint32_t bytes);
    void Queue(uint32_t buffer);

    uint32_t source_ = 0;
    int32_t alFormat_ = 0;
    int32_t sampleRate_ = 0;
    uint32_t frameBytes_ = 0;  // of the sound handed in
    bool mono_ = false;        // each sample goes to both outputs
    bool started_ = false;
    std::vector<uint32_t> buffers_;  // the buffers this voice made for copies
    std::vector<uint32_t> free_;     // those not on the queue
    uint32_t kept_ = 0;              // the kept sound's buffer, never among the free
    std::vector<uint8_t> stereo_;    // a mono sound as it goes to OpenAL

    static std::atomic<uint64_t> operations_;
};

}  // namespace platform
