#include "audio/Audio.h"

#include "platform/SoundDevice.h"
#include "world/SoundSettings.h"

Audio::Audio(SoundSettings& sound, MusicShared& music, const WindowFocus& focus)
    : link_{sound, music, focus} {}

Audio::~Audio() {
    Shutdown();
}

base::Outcome Audio::Open(platform::SoundDevice& device, platform::Clock& clock,
                          platform::Dialogs& dialogs) {
    link_.clock = &clock;
    link_.dialogs = &dialogs;
    // Without a device the game plays silently.
    if (!device.OpenDevice()) {
        link_.sound.soundDisabled = 1;
        return {};
    }
    device_ = &device;
    if (base::Outcome made = device.CreateContext(); !made)
        return made;
    contextMade_ = true;
    return {};
}

void Audio::Shutdown() {
    // The stream thread ends before anything it uses goes away.
    music_.StopThread();
    effects_.Release();
    music_.Release();
    if (device_ != nullptr) {
        if (contextMade_)
            device_->DestroyContext();
        device_->CloseDevice();
    }
    contextMade_ = false;
    device_ = nullptr;
}
