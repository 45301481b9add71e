#include "platform/AlDevice.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <cstdio>

namespace platform {
namespace {

ALCdevice* AsDevice(void* p) {
    return static_cast<ALCdevice*>(p);
}
ALCcontext* AsContext(void* p) {
    return static_cast<ALCcontext*>(p);
}

// The game has no use for effect sends (reverb and the like); without them
// each of OpenAL's 256 mixing voices is smaller, about 0.8 MB in all.
constexpr int kNoSends[] = {ALC_MAX_AUXILIARY_SENDS, 0};

}  // namespace

AlDeviceBase::~AlDeviceBase() {
    CloseDevice();
}

base::Outcome AlDeviceBase::CreateContext() {
    if (device_ == nullptr)
        return base::Outcome::Failed("no sound device is open");
    if (context_ != nullptr)
        return {};
    ALCcontext* context = alcCreateContext(AsDevice(device_), ContextAttributes());
    if (context == nullptr) {
        std::string reason = alcGetString(AsDevice(device_), alcGetError(AsDevice(device_)));
        std::fprintf(stderr, "alcCreateContext failed: %s\n", reason.c_str());
        return base::Outcome::Failed(std::move(reason));
    }
    if (alcMakeContextCurrent(context) != ALC_TRUE) {
        std::string reason = alcGetString(AsDevice(device_), alcGetError(AsDevice(device_)));
        std::fprintf(stderr, "alcMakeContextCurrent failed: %s\n", reason.c_str());
        alcDestroyContext(context);
        return base::Outcome::Failed(std::move(reason));
    }
    context_ = context;
    return {};
}

void AlDeviceBase::DestroyContext() {
    if (context_ == nullptr)
        return;
    if (alcGetCurrentContext() == AsContext(context_))
        alcMakeContextCurrent(nullptr);
    alcDestroyContext(AsContext(context_));
    context_ = nullptr;
}

void AlDeviceBase::CloseDevice() {
    DestroyContext();
    if (device_ == nullptr)
        return;
    alcCloseDevice(AsDevice(device_));
    device_ = nullptr;
}

base::Outcome AlDefaultDevice::OpenDevice() {
    if (device_ == nullptr)
        device_ = alcOpenDevice(nullptr);
    if (device_ == nullptr)
        return base::Outcome::Failed(alcGetString(nullptr, alcGetError(nullptr)));
    return {};
}

const int* AlDefaultDevice::ContextAttributes() const {
    static const int attributes[] = {ALC_HRTF_SOFT, ALC_FALSE, kNoSends[0], kNoSends[1], 0};
    return attributes;
}

AlLoopbackDevice::AlLoopbackDevice(int32_t sampleRate) : sampleRate_(sampleRate) {
    // Float output: no dithering and no clipping, so the mix can be checked
    // sample for sample. The limiter would reshape loud mixes; it stays off.
    const int attributes[] = {ALC_FORMAT_CHANNELS_SOFT,
                              ALC_STEREO_SOFT,
                              ALC_FORMAT_TYPE_SOFT,
                              ALC_FLOAT_SOFT,
                              ALC_FREQUENCY,
                              sampleRate,
                              ALC_OUTPUT_LIMITER_SOFT,
                              ALC_FALSE,
                              ALC_HRTF_SOFT,
                              ALC_FALSE,
                              kNoSends[0],
                              kNoSends[1],
                              0};
    static_assert(sizeof attributes == sizeof attributes_);
    for (size_t i = 0; i < sizeof attributes / sizeof attributes[0]; ++i)
        attributes_[i] = attributes[i];
}

base::Outcome AlLoopbackDevice::OpenDevice() {
    if (device_ != nullptr)
        return {};
    auto open = alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback") == ALC_TRUE
                    ? reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
                          alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"))
                    : nullptr;
    if (open == nullptr)
        return base::Outcome::Failed("OpenAL has no loopback device");
    device_ = open(nullptr);
    if (device_ == nullptr)
        return base::Outcome::Failed(alcGetString(nullptr, alcGetError(nullptr)));
    return {};
}

void AlLoopbackDevice::Render(float* out, int32_t frames) {
    if (context_ == nullptr || frames <= 0)
        return;
    static const auto render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(
        alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
    if (render != nullptr)
        render(AsDevice(device_), out, frames);
}

}  // namespace platform
