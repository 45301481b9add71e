#pragma once
// EffectLoader: loads one sound effect in the form System::soundMode names.
//
// The resource loader makes one per load and calls LoadEffect for effect
// slots 0..31. Mode 1 reads a WAVE file, mode 2 an Ogg Vorbis file; with any
// other mode there is no sound to load and the call succeeds doing nothing.

#include <string_view>

class SoundEffects;
class System;

class EffectLoader {
public:
    EffectLoader(SoundEffects* effects, const System* system)
        : effects_(effects), system_(system) {}

    bool LoadEffect(std::u16string_view path, int slot);

private:
    SoundEffects* effects_;
    const System* system_;
};
