// Audio: the engine, the effects, the volumes and the music fade. The music
// stream is in CXa2Stream.cpp.

#include "audio/Audio.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "audio/OggStreamDecoder.h"
#include "audio/OggFile.h"
#include "audio/WaveReader.h"
#include "platform/AlVoice.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/SoundDevice.h"
#include "world/System.h"

namespace {

float VolumeOf(int32_t value) {
    return static_cast<float>(value * 0.0001);
}

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

Audio::Audio() : waveTracks_(new WaveReader[kTracks]), oggTracks_(new OggTrack[kTracks]) {}

Audio::~Audio() {
    ShutdownAudio();
    for (int k = 0; k < kTracks; ++k) {
        CloseWaveTrack(k);
        CloseOggTrack(k);
    }
}

bool Audio::SoundAvailable() const {
    return system_ != nullptr && (system_->sound.soundMode == SoundMode::kWave || system_->sound.soundMode == SoundMode::kOgg) &&
           system_->sound.soundDisabled == 0;
}

void Audio::ShowMessage(std::string_view text, std::string_view caption) {
    if (dialogs_ != nullptr) {
        dialogs_->Show(text, caption);
    } else {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
    }
}

int32_t Audio::CreateEngine(platform::SoundDevice& device, platform::Clock& clock,
                           platform::Dialogs& dialogs) {
    clock_ = &clock;
    dialogs_ = &dialogs;
    // 1-3. The engine is the device; without one the game plays silently.
    if (!device.OpenDevice()) {
        if (system_ != nullptr)
            system_->sound.soundDisabled = 1;
        return kOk;
    }
    device_ = &device;
    // 4. The mastering voice is the mixing context.
    if (!device.CreateContext())
        return kFail;
    masteringVoice_ = true;
    return kOk;
}

void Audio::ShutdownAudio() {
    // 1-2. The stream thread ends before anything it uses goes away.
    if (system_ != nullptr)
        system_->music.stopStream = 1;
    if (streamThread_.joinable())
        streamThread_.join();
    // 3. Effect voices, last first, and their sounds.
    for (int j = kEffectVoices - 1; j >= 0; --j) {
        effectVoice_[j].reset();
        effectData_[j] = {};
        effectBuffer_[j] = VoiceBuffer{};
    }
    // 4-5. The music voice and the stream memory.
    musicVoice_.reset();
    for (int k = 0; k < kTracks; ++k) {
        streamData_[k] = {};
        streamBuffer_[k] = VoiceBuffer{};
    }
    // 6-7. The mastering voice, then the engine.
    if (device_ != nullptr) {
        if (masteringVoice_)
            device_->DestroyContext();
        device_->CloseDevice();
    }
    masteringVoice_ = false;
    device_ = nullptr;
}

bool Audio::LoadWaveEffect(std::u16string_view path, int j) {
    if (j < 0 || j >= kEffectVoices)
        return false;
    // 1. The format, then the start of the data. A block size of 0 would
    //    leave no frame to count, and a format no voice can play is no use:
    //    both are refused like a file that cannot be read.
    WaveReader wave;
    platform::VoiceFormat format;
    if (wave.Open(path) != WaveReader::kOk || wave.ResetToData() != WaveReader::kOk ||
        wave.blockAlign() == 0 || !VoiceFormatOf(wave, &format)) {
        ShowMessage("Waveファイルのオープンに失敗", "Error");
        return false;
    }
    // 2. The voice, in the file's own format.
    effectBuffer_[j] = VoiceBuffer{};  // the old sound goes with the old voice
    auto voice = std::make_unique<platform::AlVoice>();
    if (!voice->Create(format))
        return false;
    effectVoice_[j] = std::move(voice);
    effectFrameBytes_[j] = wave.blockAlign();

    // 3. At most one second of sound: the average bytes per second, in whole
    //    multiples of 4, and no more than the file holds (its header may
    //    claim far more).
    const uint32_t limit = wave.averageBytesPerSecond() & ~3u;
    const auto want = static_cast<uint32_t>(std::min<uint64_t>(limit, wave.dataBytesInFile()));
    std::vector<uint8_t>& data = effectData_[j];
    data.assign(want, 0);
    const uint32_t read = wave.ReadAvailable(want, data.data());
    // 4.
    const uint32_t frames = read / wave.blockAlign();
    if (read < 1 || frames == 0)
        return false;
    // 5. A sound shorter than the limit is the whole stream.
    VoiceBuffer& buffer = effectBuffer_[j];
    buffer = VoiceBuffer{};
    buffer.flags = read < limit ? VoiceBuffer::kEndOfStream : 0;
    buffer.audioBytes = read;
    buffer.data = data.data();
    buffer.playLength = frames;
    // 6-8. Queued and ready; the voice stays stopped.
    if (!effectVoice_[j]->SubmitSourceBuffer(buffer.data, frames * effectFrameBytes_[j]))
        return false;
    effectVoice_[j]->SetVolume(VolumeOf(system_->sound.seVolume));
    return true;
}

bool Audio::LoadOggEffect(std::u16string_view path, int j) {
    if (j < 0 || j >= kEffectVoices)
        return false;
    // 1-2. The fixed format and room for three seconds.
    effectBuffer_[j] = VoiceBuffer{};  // the old sound goes with the old voice
    auto voice = std::make_unique<platform::AlVoice>();
    if (!voice->Create(platform::VoiceFormat{2, 44100, 16, false}))
        return false;
    effectVoice_[j] = std::move(voice);
    effectFrameBytes_[j] = 4;
    std::vector<uint8_t>& data = effectData_[j];
    data.assign(kOggEffectBytes, 0);

    // 3-5. The file and its stream.
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
                     platform::NativePath(path).c_str(), info->channels, info->rate);
        ov_clear(&stream);
        std::fclose(file);
        return false;
    }

    // 6. Decode until the stream, its length or the buffer ends.
    // (A broken stream can claim any length; no more than the buffer counts.)
    const int64_t frames = std::min<int64_t>(ov_pcm_total(&stream, -1), kOggEffectBytes);
    const int64_t total = int64_t{info->channels} * frames * 2;
    int64_t decoded = 0;
    int section = 0;
    while (decoded < total && decoded < kOggEffectBytes) {
        const long n =
            ReadOggPcm(&stream, data.data() + decoded, kOggEffectBytes - decoded, &section);
        if (n <= 0)
            break;
        const vorbis_info* link = ov_info(&stream, section);
        if (link == nullptr || link->channels != 2)
            break;  // a chained stream that changes its layout ends the effect
        decoded += n;
    }
    // 7.
    ov_clear(&stream);
    std::fclose(file);
    decoded -= decoded % 4;
    if (decoded == 0)
        return false;

    // 8-9.
    VoiceBuffer& buffer = effectBuffer_[j];
    buffer = VoiceBuffer{};
    buffer.flags = decoded < kOggBytesPerSecond ? VoiceBuffer::kEndOfStream : 0;
    buffer.audioBytes = static_cast<uint32_t>(decoded);
    buffer.data = data.data();
    buffer.playLength = static_cast<uint32_t>(decoded / 4);
    if (!effectVoice_[j]->SubmitSourceBuffer(buffer.data, buffer.audioBytes))
        return false;
    effectVoice_[j]->SetVolume(VolumeOf(system_->sound.seVolume));
    return true;
}

void Audio::SubmitEffect(int j) {
    const VoiceBuffer& b = effectBuffer_[j];
    if (b.data == nullptr)
        return;
    const uint32_t frameBytes = effectFrameBytes_[j];
    const uint32_t frames = b.playLength != 0 ? b.playLength : b.audioBytes / frameBytes;
    effectVoice_[j]->SubmitSourceBuffer(b.data + uint64_t{b.playBegin} * frameBytes,
                                        frames * frameBytes);
}

void Audio::PlayEffect(int slot) {
    if (slot >= 0 && slot < kEffectVoices)
        ++effectRequests_[slot];
    if (!SoundAvailable() || slot < 0 || slot >= kEffectVoices || !effectVoice_[slot])
        return;
    platform::AlVoice& voice = *effectVoice_[slot];
    voice.Stop();
    voice.FlushSourceBuffers();
    SubmitEffect(slot);
    voice.Start();
}

void Audio::RestartEffect0() {
    if (!SoundAvailable() || !effectVoice_[0])
        return;
    effectVoice_[0]->Stop();
    effectVoice_[0]->Start();
}

void Audio::SetMusicVolume() {
    if (!SoundAvailable())
        return;
    SetMusicVolume(system_->sound.bgmVolume);
}

void Audio::SetMusicVolume(int32_t volume) {
    if (!SoundAvailable() || !musicVoice_)
        return;
    musicVoice_->SetVolume(VolumeOf(volume));
}

void Audio::SetEffectVolume() {
    if (!SoundAvailable())
        return;
    SetEffectVolume(system_->sound.seVolume);
}

void Audio::SetEffectVolume(int32_t volume) {
    if (!SoundAvailable())
        return;
    for (auto& voice : effectVoice_) {
        if (voice)
            voice->SetVolume(VolumeOf(volume));
    }
}

void Audio::MusicFadeService() {
    if (!SoundAvailable())
        return;
    System& s = *system_;
    const int32_t v = s.sound.bgmVolume;
    const int32_t step = v < 100 ? 500 : v / 100;

    // 1. Fade out: from the volume down in steps, then silence.
    if (s.sound.bgmFadeOutRequest != 0) {
        if (!fadeOutRunning_) {
            fadeOutRunning_ = true;
            s.sound.bgmFadeCounter = v / step;
        }
        if (s.sound.bgmFadeCounter > 0) {
            SetMusicVolume(s.sound.bgmFadeCounter * step);
            --s.sound.bgmFadeCounter;
        } else {
            s.sound.bgmFadeCounter = 0;
            s.sound.bgmFadeOutRequest = 0;
            SetMusicVolume(0);
            fadeOutRunning_ = false;
        }
    }
    // 2. Fade in, in the same frame: up in steps, then the volume itself.
    if (s.sound.bgmFadeInRequest != 0) {
        if (!fadeInRunning_) {
            s.sound.bgmFadeCounter = 0;
            fadeInRunning_ = true;
        }
        if (s.sound.bgmFadeCounter < v / step) {
            SetMusicVolume(s.sound.bgmFadeCounter * step);
            ++s.sound.bgmFadeCounter;
        } else {
            s.sound.bgmFadeCounter = 0;
            s.sound.bgmFadeInRequest = 0;
            SetMusicVolume(v);
            fadeInRunning_ = false;
        }
    }
}

void Audio::ServiceIdleVoices() {
    if (!SoundAvailable())
        return;
    for (int i = 0; i < kEffectVoices; ++i) {
        if (!effectVoice_[i])
            continue;
        platform::AlVoice& voice = *effectVoice_[i];
        if (voice.QueuedBuffers() == 0) {
            voice.Stop();
            voice.FlushSourceBuffers();
            SubmitEffect(i);
        }
    }
}

float Audio::MusicVoiceVolume() {
    return musicVoice_ ? musicVoice_->GetVolume() : 0.0f;
}

float Audio::EffectVoiceVolume(int slot) {
    if (slot < 0 || slot >= kEffectVoices || !effectVoice_[slot])
        return 0.0f;
    return effectVoice_[slot]->GetVolume();
}
