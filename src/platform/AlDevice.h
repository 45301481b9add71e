#pragma once
// OpenAL Soft devices: the default output for the game and the loopback
// device for tests and measurements.
//
// The loopback device has no sound card behind it: nothing plays until
// Render() mixes the next frames into memory, as 32-bit float stereo at the
// device's rate. With the output limiter off and stereo voices routed straight
// to the matching outputs, a voice at volume 1.0 comes out sample for sample
// as it went in, with no delay, and every run gives the same bytes.

#include <cstdint>
#include <string>

#include "platform/SoundDevice.h"

namespace platform {

// What the two devices share: the context on an open device, and closing.
class AlDeviceBase : public SoundDevice {
public:
    AlDeviceBase() = default;
    ~AlDeviceBase() override;
    AlDeviceBase(const AlDeviceBase&) = delete;
    AlDeviceBase& operator=(const AlDeviceBase&) = delete;

    base::Outcome CreateContext() override;
    void DestroyContext() override;
    void CloseDevice() override;
    bool IsOpen() const { return device_ != nullptr; }
    bool HasContext() const { return context_ != nullptr; }

protected:
    // Attributes for the context, ending in 0; nullptr for the device's defaults.
    virtual const int* ContextAttributes() const { return nullptr; }

    void* device_ = nullptr;   // ALCdevice
    void* context_ = nullptr;  // ALCcontext
};

// The system's default output (alcOpenDevice(NULL)). The game's voices go
// straight to its speakers: no HRTF filtering, whatever the user's OpenAL
// configuration asks for.
class AlDefaultDevice final : public AlDeviceBase {
public:
    base::Outcome OpenDevice() override;

protected:
    const int* ContextAttributes() const override;
};

// OpenAL's loopback device (ALC_SOFT_loopback): mixes only when asked.
class AlLoopbackDevice final : public AlDeviceBase {
public:
    static constexpr int32_t kChannels = 2;

    explicit AlLoopbackDevice(int32_t sampleRate = 44100);
    base::Outcome OpenDevice() override;
    // Mixes the next frames of every playing voice into out: kChannels floats
    // per frame, left first. Needs the context.
    void Render(float* out, int32_t frames);
    int32_t sampleRate() const { return sampleRate_; }

protected:
    const int* ContextAttributes() const override { return attributes_; }

private:
    int32_t sampleRate_;
    int attributes_[13] = {};
};

}  // namespace platform
