#pragma once
// The sound device the audio engine plays through.
//
// Opening the device is what creating the engine amounts to, and its mixing
// context is the mastering voice. main() opens the default output
// (AlDefaultDevice); tests open OpenAL's loopback device (AlLoopbackDevice)
// and mix into memory. A machine without a sound card cannot open a device,
// and the game then runs silently.

#include "base/Outcome.h"

namespace platform {

class SoundDevice {
public:
    virtual ~SoundDevice() = default;
    // Opens the device; fails when there is none to open. Failures give the
    // sound library's words.
    virtual base::Outcome OpenDevice() = 0;
    // Makes a mixing context on the open device, current for every thread.
    virtual base::Outcome CreateContext() = 0;
    // Destroys the context; the voices must be gone by then.
    virtual void DestroyContext() = 0;
    // Closes the device (destroying the context first if it still exists).
    virtual void CloseDevice() = 0;
};

// The device of a machine with no sound output at all: it never opens.
class NoSoundDevice final : public SoundDevice {
public:
    base::Outcome OpenDevice() override { return base::Outcome::Failed("no sound output"); }
    base::Outcome CreateContext() override { return base::Outcome::Failed("no sound output"); }
    void DestroyContext() override {}
    void CloseDevice() override {}
};

}  // namespace platform
