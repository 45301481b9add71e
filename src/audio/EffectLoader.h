#pragma once
// EffectLoader: loads one sound effect in the form the sound mode names.
//
// The resource loader makes one per load and calls LoadEffect for effect
// slots 0..31. kWave reads a WAVE file, kOgg an Ogg Vorbis file; with any
// other mode there is no sound to load and the call succeeds doing nothing.

#include <cstdint>
#include <filesystem>

class SoundEffects;
enum class SoundMode : int32_t;

class EffectLoader {
public:
    EffectLoader(SoundEffects* effects, SoundMode mode) : effects_(effects), mode_(mode) {}

    bool LoadEffect(const std::filesystem::path& path, int slot);

private:
    SoundEffects* effects_;
    SoundMode mode_;
};
