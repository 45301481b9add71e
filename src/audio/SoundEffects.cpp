#include "audio/SoundEffects.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "audio/AudioLink.h"
#include "audio/OggFile.h"
#include "audio/WaveReader.h"
#include "platform/AlVoice.h"
#include "platform/Files.h"
#include "world/SoundSettings.h"

namespace {

// The voice format a WAVE file's samples are played in; false when a voice
// cannot play them as they are.
bool VoiceFormatOf(const WaveReader& wave, platform::VoiceFormat* format) {
    const uint16_t tag = wave.sampleTag();
    if (tag != WaveReader::kFormatPcm && tag != WaveReader::kFormatFloat)
        return false;
    format->channels = wave.channels();
    format->sampleRate =
        static_cast<int32_t>(std::min<uint32_t>(wave.samplesPerSecond(), INT32_MAX));
    format->bitsPerSample = wave.bitsPerSample();
    format->isFloat = tag == WaveReader::kFormatFloat;
    // The frames must be laid out as the sample size says.
    if (wave.blockAlign() != int64_t{format->channels} * format->bitsPerSample / 8)
        return false;
    return platform::AlVoice::Supports(*format);
}

}  // namespace

SoundEffects::SoundEffects(const AudioLink& link) : link_(link) {}

SoundEffects::~SoundEffects() = default;

void SoundEffects::Release() {
    for (int j = kVoices - 1; j >= 0; --j) {
        voice_[j].reset();
        buffer_[j] = VoiceBuffer{};
    }
}

bool SoundEffects::LoadWave(const std::filesystem::path& path, int j) {
    if (j < 0 || j >= kVoices)
        return false;
    // The format, then the start of the data. A block size of 0 would leave
    // no frame to count, and a format no voice can play is no use: both are
    // refused like a file that cannot be read.
    WaveReader wave;
    platform::VoiceFormat format;
    if (!wave.Open(path) || !wave.ResetToData() || wave.blockAlign() == 0 ||
        !VoiceFormatOf(wave, &format)) {
        link_.ShowMessage("Waveファイルのオープンに失敗", "Error",
                          platform::DescribeFileFailure(
                              path, "not a WAVE sound the game can play (damaged or cut short)"));
        return false;
    }
    // The voice plays the file's own format.
    buffer_[j] = VoiceBuffer{};  // the old sound goes with the old voice
    auto voice = std::make_unique<platform::AlVoice>();
    if (!voice->Create(format))
        return false;
    voice_[j] = std::move(voice);
    frameBytes_[j] = wave.blockAlign();

    // At most one second of sound: the average bytes per second, in whole
    // multiples of 4, and no more than the file holds (its header may claim
    // far more).
    const uint32_t limit = wave.averageBytesPerSecond() & ~3u;
    const auto want = static_cast<uint32_t>(std::min<uint64_t>(limit, wave.dataBytesInFile()));
    std::vector<uint8_t> data(want);
    const uint32_t read = wave.ReadAvailable(want, data.data());
    const uint32_t frames = read / wave.blockAlign();
    if (read < 1 || frames == 0)
        return false;
    // A sound shorter than the limit is the whole stream.
    VoiceBuffer buffer;
    buffer.flags = read < limit ? VoiceBuffer::kEndOfStream : 0;
    buffer.audioBytes = read;
    buffer.playLength = frames;
    return Keep(j, buffer, data.data());
}

bool SoundEffects::LoadOgg(const std::filesystem::path& path, int j) {
    if (j < 0 || j >= kVoices)
        return false;
    // The fixed format.
    buffer_[j] = VoiceBuffer{};  // the old sound goes with the old voice
    auto voice = std::make_unique<platform::AlVoice>();
    if (!voice->Create(platform::VoiceFormat{2, 44100, 16, false}))
        return false;
    voice_[j] = std::move(voice);
    frameBytes_[j] = 4;

    FILE* file = platform::OpenFile(path, "rb");
    if (file == nullptr)
        return false;
    OggVorbis_File stream;
    if (OpenOggStream(file, &stream) != 0) {
        std::fputs("Input does not appear to be an Ogg bitstream.\n", stderr);
        std::fclose(file);
        return false;
    }
    const vorbis_info* info = ov_info(&stream, -1);
    if (info == nullptr) {
        std::fputs("Get Info Error\n", stderr);
        ov_clear(&stream);
        std::fclose(file);
        return false;
    }
    // The decoded samples are played as 16-bit stereo 44.1 kHz as they are.
    if (info->channels != 2 || info->rate != 44100) {
        std::fprintf(stderr,
                     "%s: an effect must be stereo at 44100 Hz, not %d channels at %ld Hz\n",
                     path.c_str(), info->channels, info->rate);
        ov_clear(&stream);
        std::fclose(file);
        return false;
    }

    // Decode until the stream, its length or three seconds end. (A broken
    // stream can claim any length; no more than three seconds count.) The
    // room is what the stream says it holds, not three seconds for every
    // effect.
    const int64_t frames = std::min<int64_t>(ov_pcm_total(&stream, -1), kOggEffectBytes);
    const int64_t total = std::min<int64_t>(int64_t{info->channels} * frames * 2, kOggEffectBytes);
    std::vector<uint8_t> data(static_cast<size_t>(std::max<int64_t>(total, 0)));
    int64_t decoded = 0;
    int section = 0;
    while (decoded < total) {
        const long n = ReadOggPcm(&stream, data.data() + decoded, total - decoded, &section);
        if (n <= 0)
            break;
        const vorbis_info* link = ov_info(&stream, section);
        if (link == nullptr || link->channels != 2)
            break;  // a chained stream that changes its layout ends the effect
        decoded += n;
    }
    ov_clear(&stream);
    std::fclose(file);
    decoded -= decoded % 4;
    if (decoded == 0)
        return false;

    VoiceBuffer buffer;
    buffer.flags = decoded < kOggBytesPerSecond ? VoiceBuffer::kEndOfStream : 0;
    buffer.audioBytes = static_cast<uint32_t>(decoded);
    buffer.playLength = static_cast<uint32_t>(decoded / 4);
    return Keep(j, buffer, data.data());
}

bool SoundEffects::Keep(int j, const VoiceBuffer& buffer, const uint8_t* samples) {
    // The voice keeps the sound (queued, the voice stopped until played);
    // the samples need no other home.
    if (!voice_[j]->KeepSound(samples, buffer.playLength * frameBytes_[j]) ||
        !voice_[j]->SubmitKeptSound())
        return false;
    buffer_[j] = buffer;
    voice_[j]->SetVolume(VolumeOf(link_.sound.seVolume));
    return true;
}

void SoundEffects::Submit(int j) {
    if (buffer_[j].audioBytes != 0)
        voice_[j]->SubmitKeptSound();
}

void SoundEffects::Play(int slot) {
    if (slot >= 0 && slot < kVoices)
        ++requests_[slot];
    if (!link_.SoundOn() || slot < 0 || slot >= kVoices || !voice_[slot])
        return;
    platform::AlVoice& voice = *voice_[slot];
    voice.Stop();
    voice.FlushSourceBuffers();
    Submit(slot);
    voice.Start();
}

void SoundEffects::RestartSlot0() {
    if (!link_.SoundOn() || !voice_[0])
        return;
    voice_[0]->Stop();
    voice_[0]->Start();
}

void SoundEffects::SetVolume() {
    if (!link_.SoundOn())
        return;
    SetVolume(link_.sound.seVolume);
}

void SoundEffects::SetVolume(int32_t volume) {
    if (!link_.SoundOn())
        return;
    for (auto& voice : voice_) {
        if (voice)
            voice->SetVolume(VolumeOf(volume));
    }
}

void SoundEffects::RearmIdleVoices() {
    if (!link_.SoundOn())
        return;
    for (int i = 0; i < kVoices; ++i) {
        if (!voice_[i])
            continue;
        platform::AlVoice& voice = *voice_[i];
        if (voice.QueuedBuffers() == 0) {
            voice.Stop();
            voice.FlushSourceBuffers();
            Submit(i);
        }
    }
}

float SoundEffects::VoiceVolume(int slot) const {
    if (slot < 0 || slot >= kVoices || !voice_[slot])
        return 0.0f;
    return voice_[slot]->GetVolume();
}
