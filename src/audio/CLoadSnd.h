#pragma once
// CLoadSnd: loads one sound effect in the form System::soundMode names.
//
// The resource loader makes one per load and calls LoadEffect for effect
// slots 0..31. Mode 1 reads a WAVE file, mode 2 an Ogg Vorbis file; with any
// other mode there is no sound to load and the call succeeds doing nothing.

#include <string_view>

class CXa2;
class System;

class CLoadSnd {
public:
    CLoadSnd(CXa2* audio, const System* system) : audio_(audio), system_(system) {}

    bool LoadEffect(std::u16string_view path, int slot);

private:
    CXa2* audio_;
    const System* system_;
};
