// ctest-labels: audio
// The sounds and music the asset tool made for the game's data folder, in
// both sets (WAVE and Ogg Vorbis): the lists name them all, the loop regions
// fit their tracks and loop without a click, the effects heard in play are
// short and distinct, and the game's own loaders take every file.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "audio/Audio.h"
#include "audio/EffectLoader.h"
#include "audio/LoopFile.h"
#include "audio/WaveReader.h"
#include "base/WideText.h"
#include "support/AudioRig.h"
#include "support/SoundFiles.h"

namespace {

constexpr int kRecords = 960;
constexpr int kTracks = 64;
constexpr int kEffects = 32;
constexpr int kFirstEffect = 64;
constexpr int kPlayTrack = 7;
constexpr size_t kRate = 44100;
constexpr int kHeardEffects[] = {0, 11, 14};

struct SoundSet {
    int mode;
    std::string list;    // the list file in the data folder
    std::string folder;  // every listed name begins "<folder>\"
    std::string extension;
};

const SoundSet kSets[] = {{1, "wav/wav_0000.txt", "wav", ".wav"},
                          {2, "ogg/ogg_0000.txt", "ogg", ".ogg"}};

std::string Native(const std::string& name) {
    std::string path = std::string(TESSARY_GAME_DATA_DIR) + name;
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// The path the game builds: the data folder and the listed name.
std::filesystem::path GamePath(const std::string& name) {
    return base::PathFromStored(base::FromUtf8(std::string(TESSARY_GAME_DATA_DIR) + name));
}

Bytes ReadBytes(const std::string& name) {
    std::ifstream in(Native(name), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The list's names, record by record, read as the game reads them.
std::vector<std::string> ReadList(const SoundSet& set) {
    const Bytes bytes = ReadBytes(set.list);
    EXPECT_EQ(bytes.size(), 2u + 36u * kRecords) << set.list;
    std::vector<std::string> names;
    for (size_t at = 2; at + 36 <= bytes.size(); at += 36) {
        EXPECT_EQ(bytes[at + 32], 0x0D);
        EXPECT_EQ(bytes[at + 34], 0x0A);
        std::string name;
        for (size_t i = 0; i < 16 && bytes[at + 2 * i] != 0; ++i)
            name.push_back(static_cast<char>(bytes[at + 2 * i]));
        names.push_back(name);
    }
    names.resize(kRecords);  // a short or missing list fails above, not by reading past it
    return names;
}

// Interleaved 16-bit stereo samples of a sound file, decoded as the game
// decodes it.
std::vector<int16_t> Samples(const SoundSet& set, const std::string& name) {
    if (set.mode == 2)
        return DecodeOgg(ReadBytes(name));
    WaveReader wave;
    EXPECT_TRUE(wave.OpenAndReset(GamePath(name))) << name;
    EXPECT_EQ(wave.formatTag(), WaveReader::kFormatPcm);
    EXPECT_EQ(wave.channels(), 2);
    EXPECT_EQ(wave.samplesPerSecond(), kRate);
    EXPECT_EQ(wave.bitsPerSample(), 16);
    std::vector<int16_t> samples(wave.dataBytesInFile() / 2);
    wave.ReadAvailable(static_cast<uint32_t>(samples.size() * 2),
                       reinterpret_cast<uint8_t*>(samples.data()));
    return samples;
}

LoopPoints ReadLoop(const std::string& trackName) {
    const Bytes bytes = ReadBytes(trackName + ".sli");
    EXPECT_FALSE(bytes.empty()) << trackName << ".sli";
    return ParseLoopFile(bytes.data(), bytes.size());
}

int Peak(const std::vector<int16_t>& s) {
    int peak = 0;
    for (int16_t x : s)
        peak = std::max(peak, std::abs(int{x}));
    return peak;
}

double Rms(const std::vector<int16_t>& s, size_t from, size_t to) {
    double sum = 0.0;
    for (size_t i = from; i < to; ++i)
        sum += static_cast<double>(s[i]) * s[i];
    return std::sqrt(sum / static_cast<double>(std::max<size_t>(1, to - from)));
}

TEST(SoundListsTest, NameTheMusicAndTheEffectsAndEveryNamedFileIsThere) {
    for (const SoundSet& set : kSets) {
        SCOPED_TRACE(set.list);
        const std::vector<std::string> names = ReadList(set);
        for (int i = 0; i < kRecords; ++i) {
            const std::string& name = names[static_cast<size_t>(i)];
            SCOPED_TRACE("entry " + std::to_string(i) + " " + name);
            if (i >= kFirstEffect + kEffects) {
                EXPECT_TRUE(name.empty());
                continue;
            }
            // "wav\bgm_0007.wav": the set's folder, a backslash, 16 characters in all.
            EXPECT_EQ(name.size(), 16u);
            EXPECT_EQ(name.substr(0, set.folder.size() + 1), set.folder + "\\");
            EXPECT_EQ(name.substr(name.size() - 4), set.extension);
            EXPECT_TRUE(std::ifstream(Native(name)).good());
            if (i < kTracks) {
                EXPECT_TRUE(std::ifstream(Native(name + ".sli")).good());
            }
        }
        // Every effect slot has a sound of its own.
        const std::set<std::string> effects(names.begin() + kFirstEffect,
                                            names.begin() + kFirstEffect + kEffects);
        EXPECT_EQ(effects.size(), static_cast<size_t>(kEffects));
    }
}

// Checks that the loop region of a track lies inside it, runs to its end, and
// loops without a click; and that the track is sound, not silence, unclipped.
void ExpectSeamlessLoop(const std::vector<int16_t>& s, const LoopPoints& loop) {
    const size_t frames = s.size() / 2;
    EXPECT_GT(loop.length, 0u);
    ASSERT_LE(uint64_t{loop.start} + loop.length, frames);
    // The loop runs to the end of the track, so the Ogg player, which jumps
    // back only after the decode call that reaches the loop end, jumps
    // exactly there.
    ASSERT_EQ(uint64_t{loop.start} + loop.length, frames);
    ASSERT_GT(loop.start, 2048u);
    EXPECT_GT(Rms(s, 0, s.size()), 100.0);  // above -50 dBFS
    EXPECT_LT(Peak(s), 32767);
    // The track begins at silence.
    EXPECT_LE(std::abs(s[0]) + std::abs(s[1]), 400);

    const size_t end = frames;  // one past the last frame of the loop
    for (size_t c = 0; c < 2; ++c) {
        SCOPED_TRACE("channel " + std::to_string(c));
        auto at = [&](size_t frame) { return int{s[2 * frame + c]}; };
        // The jump from the last loop frame to the loop start is no larger
        // than the steps between neighbouring frames on either side of it.
        double steps = 0.0;
        const size_t around = 441;  // 10 ms
        for (size_t i = end - around; i + 1 < end; ++i)
            steps += std::abs(at(i + 1) - at(i));
        for (size_t i = loop.start; i + 1 < loop.start + around; ++i)
            steps += std::abs(at(i + 1) - at(i));
        const double typical = steps / (2 * (around - 1));
        EXPECT_LE(std::abs(at(end - 1) - at(loop.start)), 3.0 * typical);

        // And the sound that leads into the loop end is the sound that led
        // into the loop start on the first pass: the loop continues as the
        // first pass did (up to the coding noise of Ogg Vorbis).
        const size_t window = 2048;
        double difference = 0.0;
        double level = 0.0;
        for (size_t i = 1; i <= window; ++i) {
            const double d = at(end - i) - at(loop.start - i);
            difference += d * d;
            const double x = at(loop.start - i);
            level += x * x;
        }
        EXPECT_LE(std::sqrt(difference), 0.25 * std::sqrt(level));
    }
}

TEST(MusicAssetsTest, EveryTrackLoopsInsideItselfWithoutAClick) {
    for (const SoundSet& set : kSets) {
        const std::vector<std::string> names = ReadList(set);
        const std::set<std::string> tracks(names.begin(), names.begin() + kTracks);
        for (const std::string& name : tracks) {
            SCOPED_TRACE(name);
            ExpectSeamlessLoop(Samples(set, name), ReadLoop(name));
        }
    }
}

TEST(MusicAssetsTest, ThePlayMusicRunsOverAMinuteWithAnIntroBeforeItsLoop) {
    for (const SoundSet& set : kSets) {
        const std::string name = ReadList(set)[kPlayTrack];
        SCOPED_TRACE(name);
        const size_t frames = Samples(set, name).size() / 2;
        const LoopPoints loop = ReadLoop(name);
        EXPECT_GE(frames, 60 * kRate);
        EXPECT_GT(loop.start, kRate);        // an intro of more than a second
        EXPECT_GT(loop.length, 30 * kRate);  // and a real piece to loop
    }
}

TEST(EffectAssetsTest, AreShortAndAudibleAndTheThreeHeardInPlayStandApart) {
    for (const SoundSet& set : kSets) {
        const std::vector<std::string> names = ReadList(set);
        std::map<int, std::vector<int16_t>> heard;
        int quietestHeard = 32767;
        int loudestOther = 0;
        for (int slot = 0; slot < kEffects; ++slot) {
            const std::string& name = names[static_cast<size_t>(kFirstEffect + slot)];
            SCOPED_TRACE(name);
            const std::vector<int16_t> s = Samples(set, name);
            const size_t frames = s.size() / 2;
            // Under a second, so a WAVE effect plays whole, from and to silence.
            ASSERT_GT(frames, kRate / 20);
            EXPECT_LT(frames, kRate);
            EXPECT_LE(std::abs(s[0]) + std::abs(s[1]), 200);
            EXPECT_LE(std::abs(s[s.size() - 2]) + std::abs(s[s.size() - 1]), 200);
            // Never silent: even the quiet ones peak above -30 dBFS.
            EXPECT_GT(Peak(s), 1036);
            EXPECT_LT(Peak(s), 32767);  // and nothing clips
            if (std::find(std::begin(kHeardEffects), std::end(kHeardEffects), slot) !=
                std::end(kHeardEffects)) {
                heard[slot] = s;
                quietestHeard = std::min(quietestHeard, Peak(s));
            } else {
                loudestOther = std::max(loudestOther, Peak(s));
            }
        }
        // The slots never played stay in the background.
        EXPECT_LT(loudestOther, quietestHeard / 2);

        // Each heard effect differs from the others sample by sample: the
        // difference is as loud as the sounds themselves.
        for (int a : kHeardEffects) {
            for (int b : kHeardEffects) {
                if (a >= b)
                    continue;
                SCOPED_TRACE(std::to_string(a) + " and " + std::to_string(b));
                const std::vector<int16_t>& x = heard[a];
                const std::vector<int16_t>& y = heard[b];
                std::vector<int16_t> difference(std::max(x.size(), y.size()));
                for (size_t i = 0; i < difference.size(); ++i) {
                    const int d = (i < x.size() ? x[i] : 0) - (i < y.size() ? y[i] : 0);
                    difference[i] = static_cast<int16_t>(std::clamp(d, -32768, 32767));
                }
                EXPECT_GT(Rms(difference, 0, difference.size()),
                          0.5 * std::min(Rms(x, 0, x.size()), Rms(y, 0, y.size())));
            }
        }
    }
}

TEST(SoundAssetsLoadTest, TheGameLoadsEveryEffectAndTrackAndPlaysTheMusic) {
    for (const SoundSet& set : kSets) {
        SCOPED_TRACE(set.list);
        const std::vector<std::string> names = ReadList(set);
        AudioRig rig(set.mode);
        EffectLoader loader(&rig.audio.effects(), rig.system.sound.soundMode);
        for (int slot = 0; slot < kEffects; ++slot) {
            const std::string& name = names[static_cast<size_t>(kFirstEffect + slot)];
            ASSERT_TRUE(loader.LoadEffect(GamePath(name), slot)) << name;
            // The whole sound is in the buffer, which ends the stream.
            EXPECT_EQ(rig.audio.effects().buffer(slot).flags, VoiceBuffer::kEndOfStream) << name;
        }
        for (int track = 0; track < kTracks; ++track) {
            const std::string& name = names[static_cast<size_t>(track)];
            const bool loaded = set.mode == 1 ? rig.audio.music().OpenWave(GamePath(name), track)
                                              : rig.audio.music().OpenOgg(GamePath(name), track);
            ASSERT_TRUE(loaded) << name;
            const LoopPoints loop = ReadLoop(name);
            EXPECT_EQ(static_cast<uint32_t>(rig.system.music.bgmLoopStart[track]), loop.start);
            EXPECT_EQ(static_cast<uint32_t>(rig.system.music.bgmLoopLength[track]), loop.length);
        }
        EXPECT_TRUE(rig.dialogs.shown.empty());

        // The play music streams: a second of it is sound, not silence.
        rig.Select(kPlayTrack);
        rig.StartMusic();
        const std::vector<Frame> mix = rig.Steps(10);
        double sum = 0.0;
        for (const Frame& f : mix)
            sum += static_cast<double>(f.left) * f.left + static_cast<double>(f.right) * f.right;
        EXPECT_GT(std::sqrt(sum / (2.0 * static_cast<double>(mix.size()))), 300.0);
        EXPECT_EQ(rig.audio.music().underruns(), 0);
    }
}

}  // namespace
