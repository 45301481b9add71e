#pragma once
// AudioLink: what the audio engine hands to the effects and the music: the
// sound settings they follow, the values the music thread shares, the
// window's focus the music follows, the clock
// that paces the stream thread, and the dialogs their load failures are
// shown in.
//
// The records are given when the engine is made; the clock and the dialogs
// when it opens, on the main thread, before any sound is loaded or the
// stream thread starts. After that it is only read.

#include <cstdint>
#include <string_view>

struct MusicShared;
struct SoundSettings;
struct WindowFocus;

namespace platform {
class Clock;
class Dialogs;
}  // namespace platform

struct AudioLink {
    SoundSettings& sound;
    MusicShared& music;
    const WindowFocus& focus;  // the music fades out while the window is inactive
    platform::Clock* clock = nullptr;
    platform::Dialogs* dialogs = nullptr;

    // True when a sound set is chosen (WAVE or Ogg Vorbis) and the device
    // opened. Every play, volume and fade call checks it first
    // and does nothing otherwise.
    bool SoundOn() const;
    // Shows the message in a dialog, or on standard error before the
    // dialogs are known.
    void ShowMessage(std::string_view text, std::string_view caption,
                     std::string_view detail = {}) const;
};

// A voice volume for a setting of 0..10000.
inline float VolumeOf(int32_t setting) {
    return static_cast<float>(setting * 0.0001);
}
