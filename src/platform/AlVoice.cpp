#include "platform/AlVoice.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace platform {
namespace {

// XAudio2's limits on a voice's sample rate.
constexpr int32_t kMinSampleRate = 1000;
constexpr int32_t kMaxSampleRate = 200000;

// The stereo OpenAL format a voice's sound goes to OpenAL in (a mono sound
// is handed over with each sample twice); 0 when there is none.
ALenum AlFormatOf(const VoiceFormat& f) {
    if (f.sampleRate < kMinSampleRate || f.sampleRate > kMaxSampleRate)
        return 0;
    if (f.channels != 1 && f.channels != 2)
        return 0;
    if (f.isFloat) {
        if (f.bitsPerSample != 32 || alIsExtensionPresent("AL_EXT_FLOAT32") != AL_TRUE)
            return 0;
        return AL_FORMAT_STEREO_FLOAT32;
    }
    if (f.bitsPerSample == 8)
        return AL_FORMAT_STEREO8;
    if (f.bitsPerSample == 16)
        return AL_FORMAT_STEREO16;
    return 0;
}

ALint SourceInt(ALuint source, ALenum what) {
    ALint value = 0;
    alGetSourcei(source, what, &value);
    return value;
}

}  // namespace

std::atomic<uint64_t> AlVoice::operations_{0};

AlVoice::~AlVoice() {
    if (source_ != 0)
        Destroy();
}

bool AlVoice::Supports(const VoiceFormat& format) {
    return AlFormatOf(format) != 0;
}

bool AlVoice::Create(const VoiceFormat& format) {
    if (source_ != 0)
        Destroy();
    Count();
    const ALenum alFormat = AlFormatOf(format);
    if (alFormat == 0) {
        std::fprintf(stderr, "OpenAL cannot play %d-bit%s sound with %d channels at %d Hz\n",
                     format.bitsPerSample, format.isFloat ? " float" : "", format.channels,
                     format.sampleRate);
        return false;
    }
    alGetError();  // voices are made before the music thread runs: the error state is ours
    ALuint source = 0;
    alGenSources(1, &source);
    const ALenum error = alGetError();
    if (error != AL_NO_ERROR) {
        std::fprintf(stderr, "alGenSources failed: %s\n", alGetString(error));
        return false;
    }
    // The sound plays at the listener, unattenuated; its two channels go
    // straight to the left and right outputs, as XAudio2 maps them.
    alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
    alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
    if (alIsExtensionPresent("AL_SOFT_direct_channels") == AL_TRUE)
        alSourcei(source, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);

    source_ = source;
    alFormat_ = alFormat;
    sampleRate_ = format.sampleRate;
    frameBytes_ = static_cast<uint32_t>(format.channels * format.bitsPerSample / 8);
    mono_ = format.channels == 1;
    started_ = false;
    return true;
}

void AlVoice::Destroy() {
    if (source_ == 0)
        return;
    Count();
    alSourceStop(source_);
    alSourcei(source_, AL_BUFFER, 0);
    alDeleteSources(1, &source_);
    if (!buffers_.empty())
        alDeleteBuffers(static_cast<ALsizei>(buffers_.size()), buffers_.data());
    if (kept_ != 0)
        alDeleteBuffers(1, &kept_);
    buffers_.clear();
    free_.clear();
    kept_ = 0;
    stereo_ = {};
    source_ = 0;
    started_ = false;
}

void AlVoice::Unqueue(int32_t count) {
    while (count > 0) {
        ALuint ids[16];
        const ALsizei n = count < 16 ? count : 16;
        alSourceUnqueueBuffers(source_, n, ids);
        for (ALsizei i = 0; i < n; ++i) {
            if (ids[i] != kept_)
                free_.push_back(ids[i]);
        }
        count -= n;
    }
}

bool AlVoice::Upload(uint32_t buffer, const void* data, uint32_t bytes) {
    bytes -= bytes % frameBytes_;
    if (bytes == 0)
        return false;
    if (!mono_) {
        alBufferData(buffer, alFormat_, data, static_cast<ALsizei>(bytes), sampleRate_);
        return true;
    }
    // Each sample twice, left and right.
    const auto* in = static_cast<const uint8_t*>(data);
    stereo_.resize(size_t{bytes} * 2);
    uint8_t* out = stereo_.data();
    for (uint32_t at = 0; at < bytes; at += frameBytes_) {
        std::memcpy(out, in + at, frameBytes_);
        std::memcpy(out + frameBytes_, in + at, frameBytes_);
        out += 2 * frameBytes_;
    }
    alBufferData(buffer, alFormat_, stereo_.data(), static_cast<ALsizei>(stereo_.size()),
                 sampleRate_);
    return true;
}

void AlVoice::Queue(uint32_t buffer) {
    alSourceQueueBuffers(source_, 1, &buffer);
    if (started_)
        Resume();
}

void AlVoice::ReclaimPlayed() {
    for (;;) {
        const ALint state = SourceInt(source_, AL_SOURCE_STATE);
        Unqueue(SourceInt(source_, AL_BUFFERS_PROCESSED));
        if (state != AL_STOPPED) {
            // It may have run out while the buffers were taken back: look again.
            if (SourceInt(source_, AL_SOURCE_STATE) == AL_STOPPED)
                continue;
            return;
        }
        alSourceRewind(source_);  // empty and initial: new buffers count as queued
        return;
    }
}

bool AlVoice::SubmitSourceBuffer(const void* data, uint32_t bytes) {
    if (source_ == 0 || data == nullptr)
        return false;
    Count();
    if (bytes < frameBytes_)
        return false;
    ReclaimPlayed();
    ALuint buffer = 0;
    if (!free_.empty()) {
        buffer = free_.back();
        free_.pop_back();
    } else {
        alGenBuffers(1, &buffer);
        if (buffer == 0)
            return false;
        buffers_.push_back(buffer);
    }
    Upload(buffer, data, bytes);
    Queue(buffer);
    return true;
}

bool AlVoice::KeepSound(const void* data, uint32_t bytes) {
    if (source_ == 0 || data == nullptr)
        return false;
    Count();
    if (bytes < frameBytes_)
        return false;
    // A buffer still on the queue cannot take new data: the old one goes.
    alSourceStop(source_);
    alSourcei(source_, AL_BUFFER, 0);
    alSourceRewind(source_);
    free_ = buffers_;
    if (kept_ != 0)
        alDeleteBuffers(1, &kept_);
    kept_ = 0;
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    if (buffer == 0)
        return false;
    kept_ = buffer;
    Upload(buffer, data, bytes);
    stereo_ = {};  // the sound is OpenAL's now
    return true;
}

bool AlVoice::SubmitKeptSound() {
    if (source_ == 0 || kept_ == 0)
        return false;
    Count();
    ReclaimPlayed();
    Queue(kept_);
    return true;
}

void AlVoice::Resume() {
    const ALint state = SourceInt(source_, AL_SOURCE_STATE);
    if (state == AL_PLAYING)
        return;
    if (state == AL_STOPPED) {
        // The queue ran out just as the new buffer went in: everything before
        // it has been played.
        Unqueue(SourceInt(source_, AL_BUFFERS_QUEUED) - 1);
        alSourceRewind(source_);
    }
    alSourcePlay(source_);
}

void AlVoice::Start() {
    if (source_ == 0)
        return;
    Count();
    started_ = true;
    ReclaimPlayed();
    const ALint state = SourceInt(source_, AL_SOURCE_STATE);
    if ((state == AL_INITIAL || state == AL_PAUSED) && SourceInt(source_, AL_BUFFERS_QUEUED) > 0)
        alSourcePlay(source_);
}

void AlVoice::Stop() {
    if (source_ == 0)
        return;
    Count();
    started_ = false;
    alSourcePause(source_);
}

void AlVoice::FlushSourceBuffers() {
    if (source_ == 0)
        return;
    Count();
    alSourceStop(source_);
    alSourcei(source_, AL_BUFFER, 0);
    alSourceRewind(source_);
    free_ = buffers_;
}

int32_t AlVoice::QueuedBuffers() {
    if (source_ == 0)
        return 0;
    Count();
    return SourceInt(source_, AL_BUFFERS_QUEUED) - SourceInt(source_, AL_BUFFERS_PROCESSED);
}

int64_t AlVoice::PendingFrames() {
    if (source_ == 0)
        return 0;
    Count();
    ReclaimPlayed();
    // The queue holds the copies that are not free (the kept sound is for
    // voices that never stop halfway). Its position counts from its head.
    int64_t frames = 0;
    for (const ALuint buffer : buffers_) {
        if (std::find(free_.begin(), free_.end(), buffer) != free_.end())
            continue;
        ALint bytes = 0;
        ALint channels = 0;
        ALint bits = 0;
        alGetBufferi(buffer, AL_SIZE, &bytes);
        alGetBufferi(buffer, AL_CHANNELS, &channels);
        alGetBufferi(buffer, AL_BITS, &bits);
        if (channels > 0 && bits > 0)
            frames += bytes / (channels * bits / 8);
    }
    const int64_t played = SourceInt(source_, AL_SAMPLE_OFFSET);
    return frames > played ? frames - played : 0;
}

void AlVoice::SetVolume(float volume) {
    if (source_ == 0)
        return;
    Count();
    alSourcef(source_, AL_GAIN, volume > 0.0f ? volume : 0.0f);
}

float AlVoice::GetVolume() {
    if (source_ == 0)
        return 0.0f;
    Count();
    ALfloat gain = 0.0f;
    alGetSourcef(source_, AL_GAIN, &gain);
    return gain;
}

}  // namespace platform
