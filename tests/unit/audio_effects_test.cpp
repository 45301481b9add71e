// ctest-labels: audio
// The audio engine and its effects on OpenAL's loopback device: every test
// sound is made here and every frame of the real mix is checked.

#include <gtest/gtest.h>

#include "audio/Audio.h"
#include "audio/EffectLoader.h"
#include "platform/AlVoice.h"
#include "support/AudioRig.h"

namespace {

constexpr uint32_t kSecond = 44100;

// The ramp's frames as the mix gives them back.
std::vector<Frame> RampFrames(uint32_t frames, uint32_t from = 0) {
    const std::vector<int16_t> ramp = Ramp(from + frames);
    std::vector<Frame> out;
    for (uint32_t i = from; i < from + frames; ++i)
        out.push_back({ramp[2 * i], ramp[2 * i + 1]});
    return out;
}

std::vector<Frame> Slice(const std::vector<Frame>& v, size_t from, size_t n) {
    return std::vector<Frame>(v.begin() + from, v.begin() + from + n);
}

bool Silent(const std::vector<Frame>& v, size_t from = 0) {
    for (size_t i = from; i < v.size(); ++i) {
        if (v[i] != Frame{})
            return false;
    }
    return true;
}

TEST(AudioEngineTest, WithoutASoundDeviceTheGameGoesOnSilently) {
    System system;
    system.sound.soundMode = SoundMode::kOgg;
    RecordingDialogs dialogs;
    LockstepClock clock;
    FakeSoundDevice device;
    device.hasDevice = false;
    Audio audio(system.sound, system.music, system.focus);
    EXPECT_TRUE(audio.Open(device, clock, dialogs));
    EXPECT_EQ(system.sound.soundDisabled, 1);
    EXPECT_TRUE(dialogs.shown.empty());

    // A device whose mixing context cannot be made fails the engine.
    System other;
    other.sound.soundMode = SoundMode::kWave;
    FakeSoundDevice broken;
    broken.contextOk = false;
    Audio failing(other.sound, other.music, other.focus);
    EXPECT_FALSE(failing.Open(broken, clock, dialogs));
    EXPECT_EQ(other.sound.soundDisabled, 0);
    failing.Shutdown();
    EXPECT_EQ(broken.closes, 1);
    EXPECT_FALSE(broken.loopback.IsOpen());
}

TEST(AudioEngineTest, WhenSoundIsOffNoOpenAlCallIsMade) {
    // No sound mode: no engine, nothing loaded, every call returns at once.
    for (int32_t mode : {0, 3}) {
        System system;
        system.sound.soundMode = static_cast<SoundMode>(mode);
        system.sound.bgmFadeOutRequest = 1;
        system.sound.bgmFadeInRequest = 1;
        Audio audio(system.sound, system.music, system.focus);
        const uint64_t before = platform::AlVoice::OperationCount();
        EXPECT_TRUE(EffectLoader(&audio.effects(), system.sound.soundMode)
                        .LoadEffect(u"/nonexistent/se.ogg", 0));
        audio.effects().Play(0);
        audio.effects().RestartSlot0();
        audio.music().SetVolume();
        audio.music().SetVolume(5000);
        audio.effects().SetVolume();
        audio.music().ServiceFade();
        audio.effects().RearmIdleVoices();
        EXPECT_EQ(platform::AlVoice::OperationCount(), before) << "mode " << mode;
        EXPECT_EQ(system.sound.bgmFadeOutRequest, 1);
    }

    // Sound disabled after everything was loaded: still no call.
    AudioRig rig(1);
    ASSERT_TRUE(rig.audio.effects().LoadWave(rig.Write("se.wav", StereoWave(Ramp(100))), 0));
    ASSERT_TRUE(rig.audio.music().CreateVoice());
    rig.system.sound.soundDisabled = 1;
    rig.system.sound.bgmFadeOutRequest = 1;
    const uint64_t before = platform::AlVoice::OperationCount();
    rig.audio.effects().Play(0);
    rig.audio.effects().RestartSlot0();
    rig.audio.music().SetVolume();
    rig.audio.music().SetVolume(0);
    rig.audio.effects().SetVolume();
    rig.audio.effects().SetVolume(0);
    rig.audio.music().ServiceFade();
    rig.audio.effects().RearmIdleVoices();
    EXPECT_EQ(platform::AlVoice::OperationCount(), before);
    EXPECT_TRUE(Silent(rig.Mix(200)));
}

TEST(EffectTest, PlayingASlotAgainRestartsItAndSlotsMix) {
    AudioRig rig(1);
    ASSERT_TRUE(
        rig.audio.effects().LoadWave(rig.Write("ramp.wav", StereoWave(Ramp(kSecond / 2))), 3));
    rig.audio.effects().Play(3);
    EXPECT_EQ(rig.Mix(1000), RampFrames(1000));
    // Again: from the beginning, never mixed with the first play.
    rig.audio.effects().Play(3);
    const std::vector<Frame> again = rig.Mix(kSecond);
    EXPECT_EQ(Slice(again, 0, kSecond / 2), RampFrames(kSecond / 2));
    EXPECT_TRUE(Silent(again, kSecond / 2));

    // Another slot plays at the same time: the two add up frame by frame.
    const std::vector<int16_t> clicks = Clicks(3000, 100, 1000);
    ASSERT_TRUE(rig.audio.effects().LoadWave(rig.Write("clicks.wav", StereoWave(clicks)), 4));
    rig.audio.effects().Play(3);
    rig.audio.effects().Play(4);
    const std::vector<Frame> both = rig.Mix(4000);
    const std::vector<Frame> ramp = RampFrames(4000);
    for (size_t i = 0; i < both.size(); ++i) {
        const int32_t click = i < 3000 ? clicks[2 * i] : 0;
        ASSERT_EQ(both[i], (Frame{ramp[i].left + click, ramp[i].right + click})) << i;
    }
}

TEST(EffectTest, AWaveEffectHoldsAtMostItsFirstSecond) {
    AudioRig rig(1);
    EffectLoader loader(&rig.audio.effects(), rig.system.sound.soundMode);
    ASSERT_TRUE(loader.LoadEffect(rig.Write("long.wav", StereoWave(Ramp(kSecond * 3 / 2))), 0));
    const VoiceBuffer& longer = rig.audio.effects().buffer(0);
    EXPECT_EQ(longer.audioBytes, 176400u);
    EXPECT_EQ(longer.playLength, kSecond);
    EXPECT_EQ(longer.flags, 0u);  // more follows in the file: not the end of the stream
    rig.audio.effects().Play(0);
    const std::vector<Frame> played = rig.Mix(2 * kSecond);
    EXPECT_EQ(Slice(played, 0, kSecond), RampFrames(kSecond));
    EXPECT_TRUE(Silent(played, kSecond));

    ASSERT_TRUE(loader.LoadEffect(rig.Write("short.wav", StereoWave(Ramp(kSecond / 4))), 1));
    EXPECT_EQ(rig.audio.effects().buffer(1).flags, VoiceBuffer::kEndOfStream);
    EXPECT_EQ(rig.audio.effects().buffer(1).playLength, kSecond / 4);

    // A header that claims far more than the file holds: what is there.
    Bytes claims = StereoWave(Ramp(1000));
    for (size_t at : {size_t{28}, size_t{40}})  // bytes per second, data size
        claims[at + 3] = 0x7F;
    ASSERT_TRUE(loader.LoadEffect(rig.Write("claims.wav", claims), 1));
    EXPECT_EQ(rig.audio.effects().buffer(1).playLength, 1000u);
    EXPECT_EQ(rig.audio.effects().buffer(1).flags, VoiceBuffer::kEndOfStream);

    // A file in a format of its own plays in it: mono 8-bit at 22,050 Hz
    // lasts twice as many frames of the 44.1 kHz mix.
    Bytes mono(kSecond / 4, 0xC0);
    ASSERT_TRUE(loader.LoadEffect(
        rig.Write("mono.wav",
                  RiffFile("WAVE", {{"fmt ", FormatChunk(1, 1, 22050, 8)}, {"data", mono}})),
        2));
    EXPECT_EQ(rig.audio.effects().buffer(2).flags, VoiceBuffer::kEndOfStream);
    rig.audio.effects().Play(2);
    const std::vector<Frame> monoPlayed = rig.Mix(kSecond);
    size_t last = 0;
    for (size_t i = 0; i < monoPlayed.size(); ++i) {
        if (monoPlayed[i].left != 0) {
            last = i;
            EXPECT_EQ(monoPlayed[i].left, monoPlayed[i].right);
        }
    }
    EXPECT_NEAR(static_cast<double>(last), kSecond / 2.0, 4.0);
}

TEST(EffectTest, EveryEffectPlaysAtItsOwnLevelOnBothSides) {
    // A steady level in each sample format: mono comes out unpanned, the same
    // on both sides; stereo keeps its two channels apart.
    struct Case {
        const char* name;
        uint16_t tag, channels, bits;
        Bytes frame;  // one frame of the file
        Frame expected;
    };
    const Case cases[] = {
        {"mono 16-bit", 1, 1, 16, {0x40, 0x1F}, {8000, 8000}},
        {"mono 8-bit", 1, 1, 8, {0xC0}, {16384, 16384}},
        {"mono float", 3, 1, 32, {0x00, 0x00, 0x80, 0x3E}, {8192, 8192}},  // 0.25
        {"stereo 16-bit", 1, 2, 16, {0x40, 0x1F, 0x48, 0xF4}, {8000, -3000}},
    };
    AudioRig rig(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes data;
        for (int i = 0; i < 2000; ++i)
            data.insert(data.end(), c.frame.begin(), c.frame.end());
        const Bytes file = RiffFile(
            "WAVE", {{"fmt ", FormatChunk(c.tag, c.channels, 44100, c.bits)}, {"data", data}});
        ASSERT_TRUE(rig.audio.effects().LoadWave(rig.Write("level.wav", file), 6));
        rig.audio.effects().Play(6);
        const std::vector<Frame> out = rig.Mix(2100);
        EXPECT_EQ(Slice(out, 0, 2000), std::vector<Frame>(2000, c.expected));
        EXPECT_TRUE(Silent(out, 2000));
    }
}

TEST(EffectTest, BrokenWaveEffectsAreRefusedWithAMessage) {
    AudioRig rig(1);
    const Bytes data(400, 1);
    const std::vector<Bytes> files = {
        Bytes{'n', 'o', 't', ' ', 'a', ' ', 'w', 'a', 'v', 'e'},
        // Block align 0 would leave no frame to count.
        RiffFile("WAVE", {{"fmt ", FormatChunkRaw(1, 2, 44100, 176400, 0, 16)}, {"data", data}}),
        // ADPCM, which no voice plays as it is.
        RiffFile("WAVE", {{"fmt ", FormatChunk(2, 2, 44100, 4, Bytes(32))}, {"data", data}}),
        // A block size that does not match the samples.
        RiffFile("WAVE", {{"fmt ", FormatChunkRaw(1, 2, 44100, 176400, 3, 16)}, {"data", data}}),
    };
    for (size_t i = 0; i < files.size(); ++i) {
        rig.dialogs.shown.clear();
        EXPECT_FALSE(rig.audio.effects().LoadWave(rig.Write("bad.wav", files[i]), 5)) << i;
        ASSERT_EQ(rig.dialogs.shown.size(), 1u) << i;
        EXPECT_EQ(rig.dialogs.shown[0].text, "Waveファイルのオープンに失敗");
        EXPECT_EQ(rig.dialogs.shown[0].caption, "Error");
    }
    // No sound in the data: refused, as the loader will say.
    rig.dialogs.shown.clear();
    EXPECT_FALSE(rig.audio.effects().LoadWave(
        rig.Write("empty.wav",
                  RiffFile("WAVE", {{"fmt ", FormatChunk(1, 2, 44100, 16)}, {"data", {}}})),
        5));
    EXPECT_TRUE(rig.dialogs.shown.empty());
    rig.audio.effects().Play(5);
    EXPECT_TRUE(Silent(rig.Mix(100)));
}

TEST(EffectTest, AnOggEffectIsCutAtThreeSeconds) {
    AudioRig rig(2);
    EffectLoader loader(&rig.audio.effects(), rig.system.sound.soundMode);
    const Bytes longer = EncodeOgg(Sine(4 * kSecond, 440.0, 0.5), 2, 44100);
    ASSERT_TRUE(loader.LoadEffect(rig.Write("long.ogg", longer), 7));
    const VoiceBuffer& b = rig.audio.effects().buffer(7);
    EXPECT_EQ(b.audioBytes, 529200u);
    EXPECT_EQ(b.playLength, 132300u);
    EXPECT_EQ(b.flags, 0u);

    // The mix is the decoded sound, frame for frame, for three seconds.
    const std::vector<int16_t> decoded = DecodeOgg(longer);
    rig.audio.effects().Play(7);
    const std::vector<Frame> played = rig.Mix(4 * kSecond);
    for (uint32_t i = 0; i < 132300; ++i)
        ASSERT_EQ(played[i], (Frame{decoded[2 * i], decoded[2 * i + 1]})) << i;
    EXPECT_TRUE(Silent(played, 132300));

    // Shorter than a second: the whole sound, marked as the end of the stream.
    const Bytes shorter = EncodeOgg(Sine(kSecond / 2, 880.0, 0.5), 2, 44100);
    ASSERT_TRUE(loader.LoadEffect(rig.Write("short.ogg", shorter), 8));
    EXPECT_EQ(rig.audio.effects().buffer(8).flags, VoiceBuffer::kEndOfStream);
    EXPECT_EQ(rig.audio.effects().buffer(8).audioBytes, DecodeOgg(shorter).size() * 2);

    // What cannot be played as stereo 44.1 kHz, or is no Ogg stream at all,
    // or is missing, is refused without a message box.
    EXPECT_FALSE(loader.LoadEffect(
        rig.Write("mono.ogg", EncodeOgg(std::vector<float>(8000, 0.1f), 1, 44100)), 9));
    EXPECT_FALSE(loader.LoadEffect(
        rig.Write("slow.ogg", EncodeOgg(Sine(8000, 440, 0.5, 22050), 2, 22050)), 9));
    EXPECT_FALSE(loader.LoadEffect(rig.Write("wave.ogg", StereoWave(Ramp(100))), 9));
    EXPECT_FALSE(loader.LoadEffect(rig.folder.Path("missing.ogg"), 9));
    EXPECT_TRUE(rig.dialogs.shown.empty());
}

TEST(EffectTest, EffectVolumeScalesTheOutput) {
    AudioRig rig(1);
    const std::vector<int16_t> ramp = Ramp(2000);
    ASSERT_TRUE(rig.audio.effects().LoadWave(rig.Write("ramp.wav", StereoWave(ramp)), 0));
    for (int32_t volume : {5000, 2500, 10000, 0}) {
        rig.system.sound.seVolume = volume;
        rig.audio.effects().SetVolume();
        EXPECT_FLOAT_EQ(rig.audio.effects().VoiceVolume(0), volume * 0.0001f);
        rig.audio.effects().Play(0);
        const std::vector<float> out = rig.MixFloat(2000);
        const float gain = static_cast<float>(volume * 0.0001);
        for (size_t i = 0; i < out.size(); ++i)
            ASSERT_EQ(out[i], ramp[i] / 32768.0f * gain) << "volume " << volume << " sample " << i;
    }
    // The value form sets every voice alike.
    rig.audio.effects().SetVolume(7500);
    EXPECT_FLOAT_EQ(rig.audio.effects().VoiceVolume(0), 0.75f);
}

TEST(EffectTest, RestartEffect0PlaysAgainOnceTheVoiceServiceReArmedIt) {
    AudioRig rig(1);
    ASSERT_TRUE(rig.audio.effects().LoadWave(rig.Write("se.wav", StereoWave(Ramp(1000))), 0));
    // Loaded and ready: a restart plays it from the start.
    rig.audio.effects().RestartSlot0();
    std::vector<Frame> out = rig.Mix(1500);
    EXPECT_EQ(Slice(out, 0, 1000), RampFrames(1000));
    EXPECT_TRUE(Silent(out, 1000));

    // Played out and not re-armed yet: nothing to play.
    rig.audio.effects().RestartSlot0();
    EXPECT_TRUE(Silent(rig.Mix(1500)));
    // The frame loop's service loads the sound again but does not start it.
    rig.audio.effects().RearmIdleVoices();
    EXPECT_TRUE(Silent(rig.Mix(500)));
    rig.audio.effects().RestartSlot0();
    out = rig.Mix(1500);
    EXPECT_EQ(Slice(out, 0, 1000), RampFrames(1000));

    // While it plays, a restart goes on where it was, and the service leaves
    // a voice with sound queued alone.
    rig.audio.effects().RearmIdleVoices();
    rig.audio.effects().Play(0);
    out = rig.Mix(400);
    rig.audio.effects().RestartSlot0();
    rig.audio.effects().RearmIdleVoices();
    const std::vector<Frame> rest = rig.Mix(1000);
    out.insert(out.end(), rest.begin(), rest.end());
    EXPECT_EQ(Slice(out, 0, 1000), RampFrames(1000));
    EXPECT_TRUE(Silent(out, 1000));
}

}  // namespace
