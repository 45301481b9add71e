#include "audio/MusicStreamer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

#include "audio/AudioLink.h"
#include "audio/LoopFile.h"
#include "audio/OggStreamDecoder.h"
#include "audio/WaveReader.h"
#include "platform/AlVoice.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "world/MusicShared.h"
#include "world/SoundSettings.h"
#include "world/WindowFocus.h"
#include "world/WorldState.h"

namespace {

constexpr uint32_t kPassMs = 100;    // the stream thread wakes this often
constexpr int32_t kQueueDepth = 2;   // chunks kept queued
constexpr uint64_t kFrameBytes = 4;  // 16-bit stereo
constexpr int32_t kMusicRate = 44100;
constexpr size_t kLoopFileLimit = 1 << 16;  // far more than any loop file holds

bool IsMusicFormat(const WaveReader& wave) {
    return wave.sampleTag() == WaveReader::kFormatPcm && wave.channels() == 2 &&
           wave.samplesPerSecond() == kMusicRate && wave.bitsPerSample() == 16 &&
           wave.blockAlign() == kFrameBytes;
}

bool ReadWholeFile(const std::filesystem::path& path, std::vector<uint8_t>* bytes) {
    FILE* file = platform::OpenFile(path, "rb");
    if (file == nullptr)
        return false;
    bytes->resize(kLoopFileLimit);
    const size_t n = std::fread(bytes->data(), 1, bytes->size(), file);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    bytes->resize(n);
    return !failed;
}

}  // namespace

MusicStreamer::MusicStreamer(const AudioLink& link)
    : link_(link), oggTracks_(new OggTrack[kTracks]) {}

MusicStreamer::~MusicStreamer() {
    if (thread_.joinable())
        StopThread();
    for (int k = 0; k < kTracks; ++k) {
        CloseWave(k);
        CloseOgg(k);
    }
}

// --- Tracks ----------------------------------------------------------------

void MusicStreamer::ClearOggTracks() {
    for (int k = 0; k < kTracks; ++k)
        oggTracks_[k].Close();
}

bool MusicStreamer::OpenWave(const std::filesystem::path& file, int k) {
    if (k < 0 || k >= kTracks)
        return false;
    CloseWave(k);
    // A file an earlier track opened is already known to be good music;
    // tracks that name one file share its reader (only the track that plays
    // reads, and a track chosen after another is always rewound).
    for (int j = 0; j < kTracks && !waveTracks_[k]; ++j) {
        if (j != k && waveTracks_[j] && wavePaths_[j] == file)
            waveTracks_[k] = waveTracks_[j];
    }
    if (!waveTracks_[k]) {
        auto reader = std::make_shared<WaveReader>();
        // The bytes are streamed as they are, so only the music format will do.
        if (!reader->OpenAndReset(file) || !IsMusicFormat(*reader)) {
            link_.ShowMessage(
                "WAVEファイルを開くのに失敗", "Error",
                platform::DescribeFileFailure(
                    file, "not 16-bit stereo 44.1 kHz WAVE music (damaged or cut short)"));
            return false;
        }
        waveTracks_[k] = std::move(reader);
    }
    wavePaths_[k] = file;
    WaveReader& wave = *waveTracks_[k];
    if (!ReadLoopFile(LoopFileOf(file), k))
        return false;
    if (!wave.ResetToData())
        return false;
    const MusicShared& music = link_.music;
    const uint64_t end = uint64_t{static_cast<uint32_t>(music.bgmLoopStart[k])} +
                         static_cast<uint32_t>(music.bgmLoopLength[k]);
    wave.setRemainingBytes(static_cast<uint32_t>(end * kFrameBytes));
    return true;
}

bool MusicStreamer::OpenOgg(const std::filesystem::path& file, int k) {
    if (k < 0 || k >= kTracks)
        return false;
    OggTrack& t = oggTracks_[k];
    t.Close();
    // A file an earlier track opened is already known to be good music.
    for (int j = 0; j < kTracks && !t.open; ++j) {
        const OggTrack& other = oggTracks_[j];
        if (j != k && other.open && other.source->path == file) {
            t.source = other.source;
            t.info = other.info;
            t.open = true;
        }
    }
    if (!t.open && !OpenOggSource(file, t))
        return false;
    t.Rewind();
    if (!ReadLoopFile(LoopFileOf(file), k))
        return false;
    t.Rewind();
    return true;
}

bool MusicStreamer::OpenOggSource(const std::filesystem::path& file, OggTrack& t) {
    auto source = std::make_shared<OggSource>();
    source->path = file;
    source->file = platform::OpenFile(file, "rb");
    if (source->file == nullptr) {
        std::fprintf(stderr, "Open Error : %s\n", file.c_str());
        return false;
    }
    if (OpenOggStream(source->file, &source->stream) != 0) {
        std::fputs("Input does not appear to be an Ogg bitstream.\n", stderr);
        return false;
    }
    source->streamOpen = true;
    // Every part of the stream must be stereo 44.1 kHz: the samples are
    // played as they are decoded.
    for (long i = 0; i < ov_streams(&source->stream); ++i) {
        const vorbis_info* part = ov_info(&source->stream, static_cast<int>(i));
        if (part == nullptr || part->channels != 2 || part->rate != kMusicRate) {
            std::fprintf(stderr, "%s: music must be stereo at 44100 Hz\n", file.c_str());
            return false;
        }
    }
    vorbis_info* info = ov_info(&source->stream, -1);
    if (info == nullptr) {
        std::fputs("Get Info Error\n", stderr);
        return false;
    }
    t.source = std::move(source);
    t.info = info;
    t.open = true;
    return true;
}

void MusicStreamer::CloseWave(int k) {
    if (k >= 0 && k < kTracks) {
        waveTracks_[k].reset();  // the file closes with the last track that reads it
        wavePaths_[k].clear();
    }
}

void MusicStreamer::CloseOgg(int k) {
    if (k >= 0 && k < kTracks)
        oggTracks_[k].Close();
}

bool MusicStreamer::TrackLength(int k, uint64_t* frames) const {
    const SoundMode mode = link_.sound.soundMode;
    if (mode == SoundMode::kWave && waveTracks_[k]) {
        *frames = waveTracks_[k]->dataBytesInFile() / kFrameBytes;
        return true;
    }
    if (mode == SoundMode::kOgg && oggTracks_[k].open) {
        const ogg_int64_t total = ov_pcm_total(oggTracks_[k].stream(), -1);
        *frames = total > 0 ? static_cast<uint64_t>(total) : 0;
        return true;
    }
    return false;
}

bool MusicStreamer::ReadLoopFile(const std::filesystem::path& file, int k) {
    if (k < 0 || k >= kTracks)
        return false;
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(file, &bytes)) {
        link_.ShowMessage(file.native() + " ファイルが見つかりません", "Message",
                          platform::DescribeFileFailure(file, "it cannot be read"));
        return false;
    }
    const LoopPoints loop = ParseLoopFile(bytes.data(), bytes.size());
    // A loop must hold at least one frame and end inside the track: past its
    // end there is nothing to play.
    uint64_t frames = 0;
    if (TrackLength(k, &frames) &&
        (loop.length == 0 || uint64_t{loop.start} + loop.length > frames)) {
        link_.ShowMessage(file.native() + " ループ範囲が曲の長さを超えています", "Message",
                          "the loop points in " + file.native() + " lie outside the track");
        return false;
    }
    link_.music.bgmLoopStart[k] = static_cast<int32_t>(loop.start);
    link_.music.bgmLoopLength[k] = static_cast<int32_t>(loop.length);
    return true;
}

// --- Voice and thread --------------------------------------------------------

bool MusicStreamer::CreateVoice() {
    auto voice = std::make_unique<platform::AlVoice>();
    if (!voice->Create(platform::VoiceFormat{2, kMusicRate, 16, false}))
        return false;
    // Zeroed by the system, not a filled vector: the pages stay unused
    // until a track plays.
    streamData_ = base::MakeZeroed<uint8_t[]>(size_t{kTracks} * 3 * chunkBytes_);
    if (!streamData_)
        return false;
    voice_ = std::move(voice);
    voice_->SetVolume(VolumeOf(link_.sound.bgmVolume));
    return true;
}

bool MusicStreamer::StartThread() {
    if (link_.clock == nullptr || thread_.joinable())
        return false;
    try {
        thread_ = std::thread([this] { RunThread(); });
    } catch (const std::system_error&) {
        link_.ShowMessage("スレッドの生成に失敗", "Error", "could not start the music thread");
        return false;
    }
    return true;
}

void MusicStreamer::StopThread() {
    // The thread ends before anything it uses goes away.
    link_.music.stopStream = 1;
    if (thread_.joinable())
        thread_.join();
}

void MusicStreamer::Release() {
    voice_.reset();
    streamData_.reset();
    for (auto& buffer : streamBuffer_)
        buffer = VoiceBuffer{};
}

uint8_t* MusicStreamer::TrackChunks(int k) const {
    return streamData_.get() + size_t{static_cast<uint32_t>(k)} * 3 * chunkBytes_;
}

// --- Selection ----------------------------------------------------------------

void MusicStreamer::RequestRewind(int k) {
    if (k >= 0 && k < kTracks)
        rewindRequest_[k] = 1;
}

void MusicStreamer::SelectForScene(WorldState& world) {
    MusicShared& music = link_.music;
    const int32_t track = world.bgmSelector == 0 ? kPlayTrack : 0;
    const int32_t previous = music.bgmTrack;
    music.bgmPreviousTrack = previous;
    // The rewind is asked for before the new number is published, so the
    // stream thread never plays the chosen track from where it stood before.
    if (track != previous || music.bgmRestart == 1)
        RequestRewind(track);
    music.bgmTrack = track;
    music.bgmRestart = 0;
    world.bgmSwitchRequest = 0;
}

void MusicStreamer::RewindIfChanged(int k) {
    MusicShared& music = link_.music;
    if (music.bgmTrack != music.bgmPreviousTrack || music.bgmRestart == 1)
        RequestRewind(k);
    music.bgmRestart = 0;
}

void MusicStreamer::RewindTrack(int k) {
    const MusicShared& music = link_.music;
    const SoundSettings& sound = link_.sound;
    if (sound.soundMode == SoundMode::kWave) {
        if (!waveTracks_[k])
            return;
        WaveReader& wave = *waveTracks_[k];
        if (!wave.ResetToData())
            return;
        const uint64_t end = uint64_t{static_cast<uint32_t>(music.bgmLoopStart[k])} +
                             static_cast<uint32_t>(music.bgmLoopLength[k]);
        wave.setRemainingBytes(static_cast<uint32_t>(end * kFrameBytes));
    } else if (sound.soundMode == SoundMode::kOgg) {
        oggTracks_[k].Rewind();
    }
}

// --- Volume and fade ------------------------------------------------------------

void MusicStreamer::SetVolume() {
    if (!link_.SoundOn())
        return;
    SetVolume(link_.sound.bgmVolume);
}

void MusicStreamer::SetVolume(int32_t volume) {
    if (!link_.SoundOn() || !voice_)
        return;
    voice_->SetVolume(VolumeOf(volume));
}

void MusicStreamer::ServiceFade() {
    if (!link_.SoundOn())
        return;
    SoundSettings& sound = link_.sound;
    const int32_t v = sound.bgmVolume;
    const int32_t step = v < 100 ? 500 : v / 100;

    // Fade out: from the volume down in steps, then silence.
    if (sound.bgmFadeOutRequest != 0) {
        if (!fadeOutRunning_) {
            fadeOutRunning_ = true;
            sound.bgmFadeCounter = v / step;
        }
        if (sound.bgmFadeCounter > 0) {
            SetVolume(sound.bgmFadeCounter * step);
            --sound.bgmFadeCounter;
        } else {
            sound.bgmFadeCounter = 0;
            sound.bgmFadeOutRequest = 0;
            SetVolume(0);
            fadeOutRunning_ = false;
        }
    }
    // Fade in, in the same frame: up in steps, then the volume itself.
    if (sound.bgmFadeInRequest != 0) {
        if (!fadeInRunning_) {
            sound.bgmFadeCounter = 0;
            fadeInRunning_ = true;
        }
        if (sound.bgmFadeCounter < v / step) {
            SetVolume(sound.bgmFadeCounter * step);
            ++sound.bgmFadeCounter;
        } else {
            sound.bgmFadeCounter = 0;
            sound.bgmFadeInRequest = 0;
            SetVolume(v);
            fadeInRunning_ = false;
        }
    }
}

float MusicStreamer::VoiceVolume() const {
    return voice_ ? voice_->GetVolume() : 0.0f;
}

// --- The stream thread -----------------------------------------------------------

void MusicStreamer::RunThread() {
    std::fill(std::begin(ringIndex_), std::end(ringIndex_), 0);
    for (;;) {
        const uint32_t passStart = link_.clock->Milliseconds();
        StreamPass();
        WaitForNextPass(passStart);
        if (link_.music.stopStream != 0)
            return;
    }
}

void MusicStreamer::WaitForNextPass(uint32_t passStart) {
    // Sleeps rather than spinning: the thread has nothing to do until then.
    platform::Clock& clock = *link_.clock;
    for (;;) {
        const uint32_t elapsed = clock.Milliseconds() - passStart;  // wraps modulo 2^32
        if (elapsed >= kPassMs)
            break;
        clock.Sleep(kPassMs - elapsed);
    }
    clock.Yield();
}

void MusicStreamer::StreamPass() {
    if (!voice_)
        return;
    platform::AlVoice& voice = *voice_;
    const MusicShared& music = link_.music;
    const uint32_t c = chunkBytes_;

    // The track to play and what is still queued.
    int32_t k = music.bgmTrack;
    if (k < 0 || k >= kTracks)
        k = 0;
    int32_t q = voice.QueuedBuffers();

    // A voice that ran dry while playing has underrun (the machine stalled
    // longer than the queue lasts): count it, and the refill below starts it
    // again.
    if (q == 0 && playing_ != 0)
        underruns_.fetch_add(1);

    // Refill up to two chunks.
    if (q > 1)
        return;
    if (k == 0) {
        FadeOutAfterQueue(q);
        playing_ = 0;
        return;
    }
    while (q < kQueueDepth) {
        if (!link_.focus.active) {
            FadeOutAfterQueue(q);
            playing_ = 0;
            break;
        }
        const bool newTrack = k != lastTrackQueued_;
        const bool rewind = rewindRequest_[k].exchange(0) != 0;
        // Music that is playing never stops mid-waveform: where a new track
        // or a rewound one cuts in, the old sound goes on under it for a
        // few milliseconds, fading out. What would follow the queue is
        // decoded first, before the new start moves a decoder the two
        // tracks may share.
        const bool fade = (newTrack || rewind) && q > 0;
        if (fade)
            DecodeAfterQueue();
        if (rewind)
            RewindTrack(k);
        ringIndex_[k] ^= 1;
        uint8_t* chunk = TrackChunks(k) + size_t{static_cast<uint32_t>(ringIndex_[k])} * c;
        FillChunk(k, chunk, c);

        VoiceBuffer& buffer = streamBuffer_[k];
        buffer = VoiceBuffer{};
        buffer.audioBytes = c;
        buffer.data = chunk;
        buffer.playLength = c / kFrameBytes;
        if (newTrack) {
            // A new track: drop what is queued of the old one and start at
            // once, the old one fading out from where it stopped.
            voice.Stop();
            if (fade)
                MixFadeOut(chunk, voice.PendingFrames());
            voice.FlushSourceBuffers();
            voice.SubmitSourceBuffer(chunk, c);
            voice.Start();
        } else {
            // The same track: what is queued plays out, and the fade follows it.
            if (fade)
                MixFadeOut(chunk, 0);
            voice.SubmitSourceBuffer(chunk, c);
        }
        lastSubmitted_ = chunk;
        lastSubmittedFrames_ = c / kFrameBytes;
        lastWasFade_ = false;
        chunksQueued_.fetch_add(1);
        ++q;
        if (playing_ == 0) {
            voice.Start();
            playing_ = 1;
        }
        lastTrackQueued_ = k;
    }
}

void MusicStreamer::DecodeAfterQueue() {
    // After a fade there is only silence to go on with.
    std::fill(std::begin(after_), std::end(after_), int16_t{0});
    if (!lastWasFade_ && lastTrackQueued_ > 0 && lastTrackQueued_ < kTracks)
        FillChunk(lastTrackQueued_, reinterpret_cast<uint8_t*>(after_), sizeof after_);
}

void MusicStreamer::FadeOutAfterQueue(int32_t queued) {
    // Only music that is still sounding needs to fade; a voice that ran dry
    // is silent already.
    if (playing_ == 0 || queued == 0 || lastWasFade_)
        return;
    DecodeAfterQueue();
    std::fill(std::begin(fade_), std::end(fade_), int16_t{0});
    MixFadeOut(reinterpret_cast<uint8_t*>(fade_), 0);
    voice_->SubmitSourceBuffer(fade_, sizeof fade_);
    lastSubmitted_ = reinterpret_cast<uint8_t*>(fade_);
    lastSubmittedFrames_ = kFadeFrames;
    lastWasFade_ = true;
}

void MusicStreamer::MixFadeOut(uint8_t* chunk, int64_t pending) {
    // The sound that goes on: the rest of what was submitted last, from
    // where the voice stands, then what follows the queue.
    pending = std::clamp<int64_t>(pending, 0, lastSubmitted_ ? lastSubmittedFrames_ : 0);
    int16_t tail[kFadeFrames * 2];
    for (uint32_t i = 0; i < kFadeFrames; ++i) {
        for (int ch = 0; ch < 2; ++ch) {
            int16_t v = 0;
            if (i < pending) {
                const uint8_t* at =
                    lastSubmitted_ + (lastSubmittedFrames_ - pending + i) * kFrameBytes + ch * 2;
                std::memcpy(&v, at, sizeof v);
            } else {
                v = after_[2 * (i - pending) + ch];
            }
            tail[2 * i + ch] = v;
        }
    }
    // Faded out along half a cosine (no corner where the fade begins or
    // ends) and added to the sound that takes over.
    for (uint32_t i = 0; i < kFadeFrames; ++i) {
        const double gain = 0.5 * (1.0 + std::cos(M_PI * (i + 0.5) / kFadeFrames));
        for (int ch = 0; ch < 2; ++ch) {
            int16_t v = 0;
            std::memcpy(&v, chunk + i * kFrameBytes + ch * 2, sizeof v);
            const long mixed = v + std::lround(tail[2 * i + ch] * gain);
            v = static_cast<int16_t>(std::clamp<long>(mixed, INT16_MIN, INT16_MAX));
            std::memcpy(chunk + i * kFrameBytes + ch * 2, &v, sizeof v);
        }
    }
}

void MusicStreamer::FillChunk(int k, uint8_t* chunk, uint32_t bytes) {
    const SoundMode mode = link_.sound.soundMode;
    if (mode == SoundMode::kWave) {
        FillWaveChunk(k, chunk, bytes);
    } else if (mode == SoundMode::kOgg) {
        OggStreamDecoder(&link_.music).Fill(oggTracks_[k], k, chunk, bytes);
    }
}

void MusicStreamer::FillWaveChunk(int k, uint8_t* chunk, uint32_t c) {
    if (!waveTracks_[k])
        return;
    WaveReader& wave = *waveTracks_[k];
    const MusicShared& music = link_.music;
    const uint64_t loopStart = static_cast<uint32_t>(music.bgmLoopStart[k]);
    const uint64_t loopLength = static_cast<uint32_t>(music.bgmLoopLength[k]);
    uint32_t pos = 0;
    do {
        // Up to the loop end, copied through the reader's buffer.
        uint32_t n = 0;
        if (!wave.ReadSlice(c - pos, chunk + pos, &n))
            return;  // the rest of the chunk keeps what it held
        if (wave.remainingBytes() == 0) {
            // The loop end: back to the loop start, exactly at this frame.
            wave.SeekTo(wave.dataChunk().dataOffset + loopStart * kFrameBytes);
            wave.setRemainingBytes(static_cast<uint32_t>(loopLength * kFrameBytes));
        }
        if (n == 0)
            return;
        pos += n;
    } while (pos < c);
}
