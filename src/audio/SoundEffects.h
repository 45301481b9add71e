#pragma once
// SoundEffects: the 32 effect voices and the sounds they play.
//
// Slot j (0..31) holds one sound of at most one second (WAVE, in the file's
// own format) or three seconds (Ogg Vorbis, always 16-bit stereo 44.1 kHz),
// loaded once into the slot's voice, which keeps it (the loader's copy goes
// once the voice has it). Playing a slot restarts it from its beginning;
// different slots mix. The frame loop re-arms every voice that has played
// out, so the next start plays the sound again. Without sound (see
// AudioLink::SoundOn) play and volume calls do nothing.
//
// Threads: the main thread alone touches the effect voices and their sounds;
// the stream thread never reaches them.

#include <cstdint>
#include <filesystem>
#include <memory>

#include "audio/VoiceBuffer.h"

struct AudioLink;

namespace platform {
class AlVoice;
}  // namespace platform

class SoundEffects {
public:
    static constexpr int kVoices = 32;
    // Ogg effects hold at most three seconds of 16-bit stereo 44.1 kHz.
    static constexpr uint32_t kOggEffectBytes = 176400 / 4 * 12;
    static constexpr uint32_t kOggBytesPerSecond = 176400;

    explicit SoundEffects(const AudioLink& link);
    ~SoundEffects();
    SoundEffects(const SoundEffects&) = delete;
    SoundEffects& operator=(const SoundEffects&) = delete;

    // Loads slot j from a WAVE file; shows "Waveファイルのオープンに失敗" when
    // the file cannot be read as a sound.
    bool LoadWave(const std::filesystem::path& path, int slot);
    // Loads slot j from an Ogg Vorbis file (stereo 44.1 kHz); failures go to
    // standard error only.
    bool LoadOgg(const std::filesystem::path& path, int slot);
    // Plays slot j from its beginning, cutting off an earlier play of it.
    void Play(int slot);
    // Stops and starts voice 0 without loading it: after the frame loop has
    // re-armed it, this plays effect 0 again from the start.
    void RestartSlot0();
    void SetVolume();                // every voice to seVolume × 0.0001
    void SetVolume(int32_t volume);  // every voice to volume × 0.0001
    // Stops every voice that has played out and loads it again with its
    // sound, ready for the next start. The frame loop runs it once per frame.
    void RearmIdleVoices();
    // Destroys the voices, last first, and their sounds (engine shutdown).
    void Release();

    // Times Play was asked for this slot, sound or no sound.
    uint32_t requests(int slot) const { return requests_[slot]; }
    // What the slot's voice holds: no bytes when nothing is loaded. The
    // samples themselves are kept by the voice, so data stays null.
    const VoiceBuffer& buffer(int slot) const { return buffer_[slot]; }
    // The slot's voice volume now (0 when it has no voice).
    float VoiceVolume(int slot) const;

private:
    // Hands the loaded sound to the slot's voice, which keeps it, and sets
    // its volume.
    bool Keep(int slot, const VoiceBuffer& buffer, const uint8_t* samples);
    void Submit(int slot);

    const AudioLink& link_;
    std::unique_ptr<platform::AlVoice> voice_[kVoices];
    uint32_t requests_[kVoices] = {};
    VoiceBuffer buffer_[kVoices];
    uint32_t frameBytes_[kVoices] = {};
};
