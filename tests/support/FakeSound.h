#pragma once
// The sound device of the tests: OpenAL's loopback device, which mixes into
// memory. It can be told to act as a machine without sound, or as one whose
// mixing context cannot be made.

#include "platform/AlDevice.h"
#include "platform/SoundDevice.h"

class FakeSoundDevice final : public platform::SoundDevice {
public:
    bool hasDevice = true;  // false: no sound card
    bool contextOk = true;  // false: the mastering voice fails
    int opens = 0;
    int closes = 0;
    platform::AlLoopbackDevice loopback;

    base::Outcome OpenDevice() override {
        ++opens;
        return hasDevice ? loopback.OpenDevice() : base::Outcome::Failed("");
    }
    base::Outcome CreateContext() override {
        return contextOk ? loopback.CreateContext() : base::Outcome::Failed("");
    }
    void DestroyContext() override { loopback.DestroyContext(); }
    void CloseDevice() override {
        ++closes;
        loopback.CloseDevice();
    }
};
