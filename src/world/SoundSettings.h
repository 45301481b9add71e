#pragma once
// SoundSettings: which sound set plays, whether there is a device at all,
// the two volumes, and the music fade's requests and counter.

#include <cstdint>

// Which sound set plays. The settings file stores it the other way round
// (byte 21: 1 Ogg Vorbis, 2 WAVE).
enum class SoundMode : int32_t { kNone = 0, kWave = 1, kOgg = 2 };

struct SoundSettings {
    SoundMode soundMode = SoundMode::kNone;
    int32_t soundDisabled = 0;  // 1: no sound device could be opened
    int32_t bgmVolume = 0;      // 0..10000 in steps of 500
    int32_t seVolume = 0;
    int32_t bgmFadeCounter = 0;
    int32_t bgmFadeOutRequest = 0;
    int32_t bgmFadeInRequest = 0;

    // Whether sound plays: a sound set is chosen and the device opened.
    bool Playing() const {
        return (soundMode == SoundMode::kWave || soundMode == SoundMode::kOgg) &&
               soundDisabled == 0;
    }
};
