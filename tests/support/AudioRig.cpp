#include "support/AudioRig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

AudioRig::AudioRig(int32_t soundMode) {
    system.sound.soundMode = static_cast<SoundMode>(soundMode);
    system.sound.bgmVolume = 10000;
    system.sound.seVolume = 10000;
    EXPECT_TRUE(audio.Open(device, clock, dialogs));
}

AudioRig::~AudioRig() {
    clock.Release();  // lets the stream thread see its stop flag
    audio.Shutdown();
}

std::vector<float> AudioRig::MixFloat(int32_t frames) {
    std::vector<float> out(static_cast<size_t>(frames) * 2);
    device.loopback.Render(out.data(), frames);
    return out;
}

std::vector<Frame> AudioRig::Mix(int32_t frames) {
    const std::vector<float> samples = MixFloat(frames);
    std::vector<Frame> out(static_cast<size_t>(frames));
    for (size_t i = 0; i < out.size(); ++i) {
        out[i].left = static_cast<int32_t>(std::lrint(samples[2 * i] * 32768.0));
        out[i].right = static_cast<int32_t>(std::lrint(samples[2 * i + 1] * 32768.0));
    }
    return out;
}

std::u16string AudioRig::Write(const std::string& name, const Bytes& bytes) {
    folder.Write(name, bytes);
    return folder.Path(name);
}

void AudioRig::WriteLoopFile(const std::string& trackName, uint32_t start, uint32_t length) {
    const std::string text =
        "LoopStart=" + std::to_string(start) + "\r\nLoopLength=" + std::to_string(length) + "\r\n";
    folder.Write(trackName + ".sli", Utf16File(std::u16string(text.begin(), text.end())));
}

void AudioRig::StartMusic() {
    ASSERT_TRUE(audio.music().CreateVoice());
    ASSERT_TRUE(audio.music().StartThread());
    ASSERT_TRUE(clock.WaitForSleeps(++sleepsSeen_)) << "the stream thread did not run";
}

std::vector<Frame> AudioRig::Step() {
    std::vector<Frame> sound = Mix(kPassFrames);
    clock.Advance(100);
    EXPECT_TRUE(clock.WaitForSleeps(++sleepsSeen_)) << "the stream thread did not run";
    return sound;
}

std::vector<Frame> AudioRig::Steps(int n) {
    std::vector<Frame> sound;
    for (int i = 0; i < n; ++i) {
        const std::vector<Frame> part = Step();
        sound.insert(sound.end(), part.begin(), part.end());
    }
    return sound;
}

void AudioRig::Select(int32_t track) {
    system.music.bgmPreviousTrack = system.music.bgmTrack.load();
    system.music.bgmTrack = track;
    audio.music().RewindIfChanged(track);
}

std::vector<int16_t> Clicks(uint32_t frames, uint32_t period, int16_t value) {
    std::vector<int16_t> samples(size_t{frames} * 2, 0);
    for (uint32_t i = 0; i < frames; i += period) {
        samples[2 * i] = value;
        samples[2 * i + 1] = value;
    }
    return samples;
}
