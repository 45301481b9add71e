#pragma once
// The audio object on the loopback device, with the sound files of one test
// in a folder of their own.
//
// Mix() renders the next frames of the real mix into memory. For music,
// StartMusic() starts the real stream thread on a lockstep clock, and Step()
// lets it run one pass and then mixes the 100 ms until the next, the way the
// thread and the sound card take turns in a real run.

#include <cstdint>
#include <string>
#include <vector>

#include "audio/Audio.h"
#include "support/FakeServices.h"
#include "support/FakeSound.h"
#include "support/LockstepClock.h"
#include "support/SoundFiles.h"
#include "support/TempFolder.h"
#include "world/System.h"
#include "world/WorldState.h"

struct Frame {
    int32_t left = 0;  // 16-bit sample values, as integers
    int32_t right = 0;
    bool operator==(const Frame&) const = default;
};

class AudioRig {
public:
    static constexpr int32_t kPassFrames = 4410;  // 100 ms

    explicit AudioRig(int32_t soundMode);
    ~AudioRig();

    // The mix of the next frames: float samples, and the same as 16-bit values.
    std::vector<float> MixFloat(int32_t frames);
    std::vector<Frame> Mix(int32_t frames);

    // Writes a file into the folder and returns the game's path for it.
    std::u16string Write(const std::string& name, const Bytes& bytes);
    // A loop file for the given values.
    void WriteLoopFile(const std::string& trackName, uint32_t start, uint32_t length);

    // Makes the music voice and starts the stream thread, which runs its first pass.
    void StartMusic();
    // Lets the thread run its next pass (the clock moves 100 ms), then mixes 100 ms.
    std::vector<Frame> Step();
    // Steps n times and returns all the sound.
    std::vector<Frame> Steps(int n);
    // Selects a track the way the main thread does.
    void Select(int32_t track);

    TempFolder folder;
    System system;
    RecordingDialogs dialogs;
    LockstepClock clock;
    FakeSoundDevice device;
    Audio audio{system.sound, system.music, system.focus};

private:
    int sleepsSeen_ = 0;
};

// A click train: one full-scale frame every `period` frames, silence between.
std::vector<int16_t> Clicks(uint32_t frames, uint32_t period, int16_t value);
