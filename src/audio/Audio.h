#pragma once
// Audio: the sound engine. It opens the sound device, makes the mixing
// context, and owns the two parts that play through it: the effects
// (effects()) and the music streamer (music()). Shutdown stops the stream
// thread first, then releases the voices, the stream memory, the context and
// the device, in that order.
//
// SoundSettings::soundMode says how sound comes: WAVE files, Ogg Vorbis
// files, or no sound. A machine whose sound device cannot be opened sets
// SoundSettings::soundDisabled and runs silently.
//
// Threads: the engine itself runs on the main thread only. Link and Open
// come before anything is loaded and Shutdown after the frame loop; the
// stream thread, which only the music streamer starts, never calls in here.

#include "audio/AudioLink.h"
#include "audio/MusicStreamer.h"
#include "audio/SoundEffects.h"
#include "base/Outcome.h"

namespace platform {
class SoundDevice;
}  // namespace platform

class Audio {
public:
    // The records it plays by: the sound settings (mode, volumes, the music
    // fade), the values the music thread shares with the main thread, and
    // the window's focus, which the music thread follows.
    Audio(SoundSettings& sound, MusicShared& music, const WindowFocus& focus);
    ~Audio();
    Audio(const Audio&) = delete;
    Audio& operator=(const Audio&) = delete;

    // Opens the sound device and makes the mixing context. A device that
    // cannot be opened sets soundDisabled and still returns true: the game
    // goes on silently. False means the context failed. The clock paces the
    // stream thread; the dialogs show load failures.
    base::Outcome Open(platform::SoundDevice& device, platform::Clock& clock,
                       platform::Dialogs& dialogs);
    // Stops the stream thread and waits for it, then destroys the voices,
    // the stream memory, the context and the device, in that order.
    void Shutdown();

    SoundEffects& effects() { return effects_; }
    MusicStreamer& music() { return music_; }

private:
    AudioLink link_;                           // before the parts, which keep a reference to it
    platform::SoundDevice* device_ = nullptr;  // while open
    bool contextMade_ = false;
    SoundEffects effects_{link_};
    MusicStreamer music_{link_};
};
