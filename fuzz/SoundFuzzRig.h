#pragma once
// What the sound fuzz targets share: a folder in memory for the file under
// test, and the audio object on OpenAL's loopback device.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "audio/Audio.h"
#include "base/WideText.h"
#include "platform/AlDevice.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "world/System.h"

namespace fuzz {

class QuietDialogs final : public platform::Dialogs {
public:
    void Show(std::string_view, std::string_view, std::string_view) override {}
};

// Writes the bytes to a file of the folder and returns the game's path for it.
inline std::filesystem::path WriteFile(const std::string& name, const uint8_t* data, size_t size) {
    static const std::string folder = [] {
        std::string path = "/dev/shm/tessary-fuzz-" + std::to_string(getpid());
        mkdir(path.c_str(), 0700);
        std::atexit([] {
            std::filesystem::remove_all("/dev/shm/tessary-fuzz-" + std::to_string(getpid()));
        });
        return path + "/";
    }();
    const std::string path = folder + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file != nullptr) {
        if (size > 0)
            std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    return path;
}

// The audio object with its engine on the loopback device, made once.
struct SoundRig {
    explicit SoundRig(int32_t soundMode) {
        system.sound.soundMode = static_cast<SoundMode>(soundMode);
        system.sound.seVolume = 10000;
        system.sound.bgmVolume = 10000;
        static_cast<void>(audio.Open(device, clock, dialogs));
    }
    void Mix(int32_t frames) {
        static float out[2 * 4096];
        while (frames > 0) {
            const int32_t n = frames < 4096 ? frames : 4096;
            device.Render(out, n);
            frames -= n;
        }
    }

    System system;
    QuietDialogs dialogs;
    platform::SystemClock clock;
    platform::AlLoopbackDevice device;
    Audio audio{system.sound, system.music, system.focus};
};

}  // namespace fuzz
