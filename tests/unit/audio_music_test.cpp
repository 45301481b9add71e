// ctest-labels: audio
// Music streaming on the loopback device: the real stream thread, paced by a
// lockstep clock, feeds the music voice while the test mixes 100 ms between
// its passes. Tracks are counting ramps, so every frame of the mix says which
// frame of which track it is.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "audio/Audio.h"
#include "support/AudioRig.h"

namespace {

constexpr uint32_t kChunkFrames = 8192;    // 32,768 bytes
constexpr int32_t kCutoverFrames = 13230;  // 300 ms

// What the mix says, frame by frame.
std::vector<RampFrame> Read(const std::vector<Frame>& mix) {
    std::vector<RampFrame> frames;
    frames.reserve(mix.size());
    for (const Frame& f : mix)
        frames.push_back(ReadRamp(static_cast<int16_t>(f.left), static_cast<int16_t>(f.right)));
    return frames;
}

// The frame a looping track plays at position i: the first pass runs to the
// loop end, every later pass from the loop start.
int64_t LoopedFrame(int64_t i, int64_t loopStart, int64_t loopEnd) {
    return i < loopEnd ? i : loopStart + (i - loopEnd) % (loopEnd - loopStart);
}

// Opens a ramp track with its loop file.
void LoadRampTrack(AudioRig& rig, int track, uint32_t frames, uint32_t loopStart,
                   uint32_t loopLength) {
    const std::string name = "track" + std::to_string(track) + ".wav";
    rig.Write(name, StereoWave(Ramp(frames, static_cast<uint32_t>(track))));
    rig.WriteLoopFile(name, loopStart, loopLength);
    ASSERT_TRUE(rig.audio.music().OpenWave(rig.folder.Path(name), track));
}

// Checks that the mix from `from` on plays the track's loop exactly, starting
// at track position `position`. Returns the position after the last frame.
int64_t ExpectLoop(const std::vector<RampFrame>& mix, size_t from, size_t to, int track,
                   int64_t position, int64_t loopStart, int64_t loopEnd) {
    for (size_t i = from; i < to; ++i, ++position) {
        const int64_t expected = LoopedFrame(position, loopStart, loopEnd);
        if (mix[i].track != track || mix[i].frame != expected) {
            ADD_FAILURE() << "mix frame " << i << ": track " << mix[i].track << " frame "
                          << mix[i].frame << ", expected track " << track << " frame " << expected;
            return position;
        }
    }
    return position;
}

// The first frame from `from` on that does not go on with the track's loop
// from `position`.
size_t LoopEnds(const std::vector<RampFrame>& mix, size_t from, int track, int64_t position,
                int64_t loopStart, int64_t loopEnd) {
    while (from < mix.size() && mix[from].track == track &&
           mix[from].frame == LoopedFrame(position, loopStart, loopEnd)) {
        ++from;
        ++position;
    }
    return from;
}

constexpr size_t kFade = MusicStreamer::kFadeFrames;

TEST(MusicTest, AWholeTrackLoopsWithNoGapAndNoFrameRepeatedOrLost) {
    AudioRig rig(1);
    const uint32_t frames = 30011;  // not a whole number of chunks
    LoadRampTrack(rig, 5, frames, 0, frames);
    rig.Select(5);
    rig.StartMusic();
    const std::vector<RampFrame> mix = Read(rig.Steps(40));
    ExpectLoop(mix, 0, mix.size(), 5, 0, 0, frames);
    EXPECT_EQ(rig.audio.music().underruns(), 0);
}

TEST(MusicTest, ALoopStartInTheMiddleIsJumpedToExactly) {
    struct Case {
        uint32_t frames, loopStart, loopEnd;
    };
    const Case cases[] = {
        {40000, 1234, 30000},                     // the jump falls inside a chunk
        {20000, 5000, 2 * kChunkFrames},          // the first loop end ends a chunk
        {20000, kChunkFrames, 2 * kChunkFrames},  // every loop end ends a chunk
        {20000, 19000, 19001},                    // a loop of one frame
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.loopEnd);
        AudioRig rig(1);
        LoadRampTrack(rig, 9, c.frames, c.loopStart, c.loopEnd - c.loopStart);
        rig.Select(9);
        rig.StartMusic();
        const std::vector<RampFrame> mix = Read(rig.Steps(30));
        ExpectLoop(mix, 0, mix.size(), 9, 0, c.loopStart, c.loopEnd);
    }
}

TEST(MusicTest, AnOggTrackJumpsAtTheDecodeCallThatCrossesTheLoopEnd) {
    AudioRig rig(2);
    // A rising tone, so that no stretch of it repeats.
    std::vector<float> sweep(2 * 132300);
    double phase = 0.0;
    for (size_t i = 0; i < sweep.size() / 2; ++i) {
        phase += 2.0 * M_PI * (200.0 + i * 0.01) / 44100.0;
        sweep[2 * i] = sweep[2 * i + 1] = static_cast<float>(0.4 * std::sin(phase));
    }
    const Bytes file = EncodeOgg(sweep, 2, 44100);
    const int64_t loopStart = 30000;
    const int64_t loopLength = 60000;
    rig.Write("track3.ogg", file);
    rig.WriteLoopFile("track3.ogg", static_cast<uint32_t>(loopStart),
                      static_cast<uint32_t>(loopLength));
    ASSERT_TRUE(rig.audio.music().OpenOgg(rig.folder.Path("track3.ogg"), 3));
    rig.Select(3);
    rig.StartMusic();
    const std::vector<Frame> mix = rig.Steps(70);

    const std::vector<int16_t> whole = DecodeOgg(file);
    const std::vector<int16_t> fromLoop = DecodeOgg(file, loopStart);
    auto sameAs = [&](const std::vector<int16_t>& reference, size_t mixAt, size_t refAt) {
        return refAt * 2 + 1 < reference.size() && mix[mixAt].left == reference[2 * refAt] &&
               mix[mixAt].right == reference[2 * refAt + 1];
    };
    // The first pass plays the stream as decoded, past the loop end by less
    // than one decode call (at most one block of 2,048 frames).
    size_t jump = 0;
    while (jump < mix.size() && sameAs(whole, jump, jump))
        ++jump;
    EXPECT_GE(static_cast<int64_t>(jump), loopStart + loopLength);
    EXPECT_LE(static_cast<int64_t>(jump), loopStart + loopLength + 2048);
    // Then from the loop start, for the loop's length and again up to one
    // call beyond, and back once more.
    for (int pass = 0; pass < 2; ++pass) {
        size_t n = 0;
        while (jump + n < mix.size() && sameAs(fromLoop, jump + n, n))
            ++n;
        SCOPED_TRACE(pass);
        EXPECT_GE(static_cast<int64_t>(n), loopLength);
        EXPECT_LE(static_cast<int64_t>(n), loopLength + 2048);
        jump += n;
    }
    EXPECT_LT(jump, mix.size());
    EXPECT_EQ(rig.audio.music().underruns(), 0);
}

TEST(MusicTest, ATrackChangeCutsOverWithin300MsFromTheTracksStart) {
    AudioRig rig(1);
    LoadRampTrack(rig, 1, 100000, 0, 100000);
    LoadRampTrack(rig, 7, 100000, 0, 100000);
    WorldState world;
    world.bgmSelector = 0;
    world.bgmSwitchRequest = 1;
    rig.system.music.bgmRestart = 0;
    rig.Select(1);
    rig.StartMusic();
    std::vector<Frame> sound = rig.Steps(12);

    // Changes at different points of the queue: each cuts over in time, at
    // the new track's first frame, straight after the old track's frames.
    int expectedTrack = 1;
    for (int change = 0; change < 6; ++change) {
        const size_t at = sound.size();
        int track;
        if (change % 2 == 0) {
            rig.audio.music().SelectForScene(world);  // selector 0: the play music
            track = MusicStreamer::kPlayTrack;
            EXPECT_EQ(world.bgmSwitchRequest, 0);
            EXPECT_EQ(rig.system.music.bgmPreviousTrack, 1);
        } else {
            rig.Select(1);
            track = 1;
        }
        const std::vector<Frame> more = rig.Steps(7 + change);
        sound.insert(sound.end(), more.begin(), more.end());
        const std::vector<RampFrame> mix = Read(sound);
        // The old track plays on to the cut and fades out under the new
        // one's first frames.
        size_t cut = at;
        while (cut < mix.size() && mix[cut].track == expectedTrack &&
               mix[cut].frame == (mix[cut - 1].frame + 1) % 100000)
            ++cut;
        SCOPED_TRACE(change);
        EXPECT_LE(static_cast<int64_t>(cut - at), kCutoverFrames);
        ASSERT_LT(cut, mix.size());
        EXPECT_NE(mix[cut - 1].frame, -1);  // no silence before the cut
        ExpectLoop(mix, cut + kFade, mix.size(), track, kFade, 0, 100000);
        expectedTrack = track;
        world.bgmSwitchRequest = 1;
    }
    EXPECT_EQ(rig.audio.music().underruns(), 0);
}

TEST(MusicTest, RestartingTheSameTrackRewindsItAfterWhatIsQueued) {
    AudioRig rig(1);
    LoadRampTrack(rig, MusicStreamer::kPlayTrack, 200000, 0, 200000);
    WorldState world;
    rig.audio.music().SelectForScene(world);
    EXPECT_EQ(rig.system.music.bgmRestart, 0);
    rig.StartMusic();
    std::vector<Frame> sound = rig.Steps(20);
    const size_t at = sound.size();
    rig.system.music.bgmRestart = 1;
    rig.audio.music().SelectForScene(world);
    const std::vector<Frame> more = rig.Steps(10);
    sound.insert(sound.end(), more.begin(), more.end());
    const std::vector<RampFrame> mix = Read(sound);
    // The chunks already queued play out, then the track starts again, the
    // old sound fading out under its first frames.
    const size_t restart = LoopEnds(mix, 0, MusicStreamer::kPlayTrack, 0, 0, 200000);
    ASSERT_LT(restart, mix.size());
    EXPECT_GE(restart, at);
    EXPECT_LE(restart - at, 2 * kChunkFrames);
    ExpectLoop(mix, restart + kFade, mix.size(), MusicStreamer::kPlayTrack, kFade, 0, 200000);
}

TEST(MusicTest, TrackZeroOrAnInactiveWindowLetsTheQueueDrain) {
    AudioRig rig(1);
    LoadRampTrack(rig, 4, 300000, 0, 300000);
    rig.Select(4);
    rig.StartMusic();
    std::vector<Frame> sound = rig.Steps(10);

    // Inactive: what is queued plays out and fades, then silence; active
    // again, the music goes on after what faded out.
    rig.system.focus.active = false;
    std::vector<Frame> more = rig.Steps(10);
    const int64_t chunksBefore = rig.audio.music().chunksQueued();
    const size_t drained = static_cast<size_t>(chunksBefore) * kChunkFrames;
    rig.system.focus.active = true;
    const size_t resumedFrom = sound.size() + more.size();
    sound.insert(sound.end(), more.begin(), more.end());
    more = rig.Steps(10);
    sound.insert(sound.end(), more.begin(), more.end());
    std::vector<RampFrame> mix = Read(sound);
    EXPECT_GE(drained, 10u * AudioRig::kPassFrames);
    EXPECT_LE(drained, 10u * AudioRig::kPassFrames + 2 * kChunkFrames);
    ExpectLoop(mix, 0, drained, 4, 0, 0, 300000);
    ASSERT_NE(mix[drained].frame, -1) << "no fade";
    size_t back = drained + kFade;
    while (back < mix.size() && mix[back].frame == -1)
        ++back;
    ASSERT_LT(back, mix.size());
    EXPECT_GT(back, drained + kFade);
    EXPECT_LE(back, resumedFrom + AudioRig::kPassFrames);
    const int64_t resumed = static_cast<int64_t>(drained + kFade);
    ExpectLoop(mix, back, mix.size(), 4, resumed, 0, 300000);

    // Track 0: the same drain and fade, and silence for good.
    const size_t stopAt = sound.size();
    rig.Select(0);
    more = rig.Steps(20);
    sound.insert(sound.end(), more.begin(), more.end());
    mix = Read(sound);
    const size_t end =
        back + static_cast<size_t>(rig.audio.music().chunksQueued() - chunksBefore) * kChunkFrames;
    EXPECT_LE(end - stopAt, 2 * kChunkFrames);
    ExpectLoop(mix, back, end, 4, resumed, 0, 300000);
    for (size_t i = end + kFade; i < mix.size(); ++i)
        ASSERT_EQ(mix[i].frame, -1) << i;
    EXPECT_EQ(rig.audio.music().underruns(), 0);
}

TEST(MusicTest, MusicThatStopsOrIsCutOffFadesOutWithinTenMilliseconds) {
    // A tone of 441 Hz, 100 frames a period, looping seamlessly: no step
    // between its samples is larger than its own largest.
    const uint32_t frames = 44100;
    std::vector<int16_t> tone(2 * frames);
    for (uint32_t i = 0; i < frames; ++i)
        tone[2 * i] = tone[2 * i + 1] =
            static_cast<int16_t>(std::lround(9830.0 * std::sin(2.0 * M_PI * i / 100.0)));
    int32_t ownStep = 0;
    for (uint32_t i = 0; i < frames; ++i)
        ownStep = std::max(ownStep, std::abs(tone[2 * ((i + 1) % frames)] - tone[2 * i]));

    struct Case {
        const char* name;
        void (*stop)(AudioRig&);
        bool playsToTheQueueEnd;  // a stop lets the queue play out; a cut does not
    };
    const Case cases[] = {
        {"track 0", [](AudioRig& rig) { rig.Select(0); }, true},
        {"inactive window", [](AudioRig& rig) { rig.system.focus.active = false; }, true},
        {"a silent track cuts in", [](AudioRig& rig) { rig.Select(2); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AudioRig rig(1);
        rig.Write("tone.wav", StereoWave(tone));
        rig.WriteLoopFile("tone.wav", 0, frames);
        rig.Write("silence.wav", StereoWave(std::vector<int16_t>(2 * frames, 0)));
        rig.WriteLoopFile("silence.wav", 0, frames);
        ASSERT_TRUE(rig.audio.music().OpenWave(rig.folder.Path("tone.wav"), 1));
        ASSERT_TRUE(rig.audio.music().OpenWave(rig.folder.Path("silence.wav"), 2));
        rig.Select(1);
        rig.StartMusic();
        std::vector<Frame> mix = rig.Steps(7);
        const int64_t queued = rig.audio.music().chunksQueued();
        c.stop(rig);
        const std::vector<Frame> more = rig.Steps(8);
        mix.insert(mix.end(), more.begin(), more.end());

        // The tone plays as it is up to the stop, then fades out within
        // 10 ms, never stepping further than the tone itself does.
        size_t fadeFrom = 0;
        while (fadeFrom < mix.size() && mix[fadeFrom].left == tone[2 * (fadeFrom % frames)])
            ++fadeFrom;
        size_t silentFrom = mix.size();
        while (silentFrom > 0 && mix[silentFrom - 1] == Frame{})
            --silentFrom;
        EXPECT_LT(silentFrom, mix.size());
        EXPECT_GT(silentFrom, fadeFrom);
        EXPECT_LE(silentFrom - fadeFrom, 441u);
        if (c.playsToTheQueueEnd) {
            EXPECT_GE(fadeFrom, static_cast<size_t>(queued) * kChunkFrames);
        }
        int32_t step = 0;
        for (size_t i = 1; i < mix.size(); ++i) {
            step = std::max(step, std::abs(mix[i].left - mix[i - 1].left));
            step = std::max(step, std::abs(mix[i].right - mix[i - 1].right));
        }
        EXPECT_LE(step, ownStep);
    }
}

TEST(MusicTest, TracksThatNameOneFileEachPlayItFromItsStart) {
    // Tracks 1 and 7 name one file and share its reader or decoder; each
    // time either is chosen, it plays the file from the start.
    const Bytes ogg = EncodeOgg(Sine(60000, 330.0, 0.4), 2, 44100);
    const std::vector<int16_t> samples = DecodeOgg(ogg);
    const size_t frames = samples.size() / 2;
    for (int32_t mode : {1, 2}) {
        SCOPED_TRACE(mode);
        AudioRig rig(mode);
        const std::string name = mode == 1 ? "shared.wav" : "shared.ogg";
        rig.Write(name, mode == 1 ? StereoWave(samples) : ogg);
        rig.WriteLoopFile(name, 0, static_cast<uint32_t>(frames));
        for (int track : {1, MusicStreamer::kPlayTrack}) {
            ASSERT_TRUE(mode == 1 ? rig.audio.music().OpenWave(rig.folder.Path(name), track)
                                  : rig.audio.music().OpenOgg(rig.folder.Path(name), track));
        }
        rig.Select(1);
        rig.StartMusic();
        std::vector<Frame> mix = rig.Steps(5);
        for (int track : {MusicStreamer::kPlayTrack, 1, MusicStreamer::kPlayTrack}) {
            const size_t at = mix.size();
            rig.Select(track);
            const std::vector<Frame> more = rig.Steps(6);
            mix.insert(mix.end(), more.begin(), more.end());
            // The new start comes at one of the next passes; past the fade,
            // the mix is the file from there on.
            bool found = false;
            for (size_t cut = at; cut <= at + kCutoverFrames && !found; cut += 4410) {
                found = true;
                for (size_t i = kFade; i < kFade + 8000 && found; ++i)
                    found = mix[cut + i] == Frame{samples[2 * i], samples[2 * i + 1]};
            }
            EXPECT_TRUE(found) << "track " << track;
        }
    }
}

TEST(MusicTest, AnUnderrunIsRefilledAndTheMusicGoesOn) {
    AudioRig rig(1);
    LoadRampTrack(rig, 2, 400000, 1000, 399000);
    rig.Select(2);
    rig.StartMusic();
    std::vector<Frame> sound = rig.Steps(10);
    // The thread stalls for 600 ms: longer than the queue lasts.
    const std::vector<Frame> stalled = rig.Mix(6 * AudioRig::kPassFrames);
    sound.insert(sound.end(), stalled.begin(), stalled.end());
    const std::vector<Frame> more = rig.Steps(30);
    sound.insert(sound.end(), more.begin(), more.end());
    EXPECT_EQ(rig.audio.music().underruns(), 1);

    // A gap of silence, then the music again from the next frame.
    const std::vector<RampFrame> mix = Read(sound);
    size_t gap = 0;
    while (gap < mix.size() && mix[gap].frame != -1)
        ++gap;
    size_t back = gap;
    while (back < mix.size() && mix[back].frame == -1)
        ++back;
    ASSERT_LT(back, mix.size());
    EXPECT_LE(back - gap, 6u * AudioRig::kPassFrames);
    ExpectLoop(mix, 0, gap, 2, 0, 1000, 400000);
    ExpectLoop(mix, back, mix.size(), 2, static_cast<int64_t>(gap), 1000, 400000);
}

TEST(MusicFadeTest, FadesStepTheMusicVoiceVolume) {
    AudioRig rig(2);
    ASSERT_TRUE(rig.audio.music().CreateVoice());
    System& s = rig.system;
    EXPECT_FLOAT_EQ(rig.audio.music().VoiceVolume(), 1.0f);
    rig.audio.music().SetVolume(2500);
    EXPECT_FLOAT_EQ(rig.audio.music().VoiceVolume(), 0.25f);
    rig.audio.music().SetVolume();
    EXPECT_FLOAT_EQ(rig.audio.music().VoiceVolume(), 1.0f);

    // From 10,000: 100 steps of 100 down to 100, then 0, and the request ends.
    s.sound.bgmFadeOutRequest = 1;
    for (int step = 0; step < 100; ++step) {
        rig.audio.music().ServiceFade();
        ASSERT_FLOAT_EQ(rig.audio.music().VoiceVolume(), (10000 - 100 * step) * 0.0001f) << step;
        ASSERT_EQ(s.sound.bgmFadeOutRequest, 1);
    }
    rig.audio.music().ServiceFade();
    EXPECT_EQ(rig.audio.music().VoiceVolume(), 0.0f);
    EXPECT_EQ(s.sound.bgmFadeOutRequest, 0);
    EXPECT_EQ(s.sound.bgmFadeCounter, 0);

    // Fading in: 0 up in 100 steps, then the volume itself.
    s.sound.bgmFadeInRequest = 1;
    for (int step = 0; step < 100; ++step) {
        rig.audio.music().ServiceFade();
        ASSERT_FLOAT_EQ(rig.audio.music().VoiceVolume(), 100 * step * 0.0001f) << step;
    }
    rig.audio.music().ServiceFade();
    EXPECT_FLOAT_EQ(rig.audio.music().VoiceVolume(), 1.0f);
    EXPECT_EQ(s.sound.bgmFadeInRequest, 0);

    // At volume 0 a fade-in ends at once; below 100 the step is 500, so a
    // fade-out ends at once too.
    for (int32_t volume : {0, 50}) {
        s.sound.bgmVolume = volume;
        s.sound.bgmFadeInRequest = 1;
        rig.audio.music().ServiceFade();
        EXPECT_EQ(s.sound.bgmFadeInRequest, 0) << volume;
        EXPECT_FLOAT_EQ(rig.audio.music().VoiceVolume(), volume * 0.0001f);
        s.sound.bgmFadeOutRequest = 1;
        rig.audio.music().ServiceFade();
        EXPECT_EQ(s.sound.bgmFadeOutRequest, 0) << volume;
        EXPECT_EQ(rig.audio.music().VoiceVolume(), 0.0f);
    }
    // An options-screen volume of 500: 100 steps of 5.
    s.sound.bgmVolume = 500;
    s.sound.bgmFadeOutRequest = 1;
    int steps = 0;
    while (s.sound.bgmFadeOutRequest != 0 && steps < 1000) {
        rig.audio.music().ServiceFade();
        ++steps;
    }
    EXPECT_EQ(steps, 101);
}

}  // namespace
