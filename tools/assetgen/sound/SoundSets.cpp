#include "sound/SoundSets.h"

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "ListFile.h"
#include "sound/Effects.h"
#include "sound/Music.h"
#include "sound/SoundFiles.h"

namespace assetgen {

namespace {

constexpr int kListRecords = 960;
constexpr int kTracks = 64;
constexpr int kFirstEffectEntry = 64;
constexpr int kPlayTrack = 7;  // the track the play scene selects
constexpr float kOggQuality = 0.45f;

// "bgm_0007", "sfx_0014": the stem of a music or effect file.
std::string Stem(const char* kind, int number) {
    char stem[16];
    std::snprintf(stem, sizeof stem, "%s_%04d", kind, number);
    return stem;
}

struct SoundSet {
    const char* folder;  // also the file extension
    bool ogg;
};

// The file of every music entry: the play music for its track, the ambient
// loop for all the others.
std::string TrackStem(int track) {
    return Stem("bgm", track == kPlayTrack ? kPlayTrack : 0);
}

void WriteSound(const SoundSet& set, const std::filesystem::path& file,
                const std::vector<int16_t>& pcm, int serial) {
    if (set.ogg) {
        sound::WriteOggFile(file, pcm, kOggQuality, serial);
    } else {
        sound::WriteWaveFile(file, pcm);
    }
}

void WriteSet(const std::filesystem::path& dataFolder, const SoundSet& set,
              const sound::MusicTrack& play, const sound::MusicTrack& ambient,
              const std::vector<std::vector<int16_t>>& effects) {
    const std::filesystem::path folder = dataFolder / set.folder;
    std::filesystem::create_directories(folder);
    const std::string extension = std::string(".") + set.folder;
    std::vector<std::string> names(kListRecords);

    // Music: two files, each with its loop file; the entries share them.
    // (Fixed Ogg stream serial numbers keep every build's files the same.)
    for (int number : {0, kPlayTrack}) {
        const sound::MusicTrack& music = number == kPlayTrack ? play : ambient;
        const std::filesystem::path file = folder / (Stem("bgm", number) + extension);
        if (music.loopLength == 0 ||
            uint64_t{music.loopStart} + music.loopLength > music.pcm.size() / 2)
            throw std::logic_error(file.string() +
                                   ": the loop region does not lie inside the track");
        WriteSound(set, file, music.pcm, 0x7E55A000 + number);
        sound::WriteLoopFile(file.string() + ".sli", music.loopStart, music.loopLength);
    }
    for (int track = 0; track < kTracks; ++track)
        names[track] = std::string(set.folder) + "\\" + TrackStem(track) + extension;

    for (int slot = 0; slot < sound::kEffectSlots; ++slot) {
        const std::string stem = Stem("sfx", slot);
        WriteSound(set, folder / (stem + extension), effects[static_cast<size_t>(slot)],
                   0x7E55B000 + slot);
        names[kFirstEffectEntry + slot] = std::string(set.folder) + "\\" + stem + extension;
    }
    WriteListFile(folder / (std::string(set.folder) + "_0000.txt"), names);
}

}  // namespace

void WriteSoundSets(const std::filesystem::path& dataFolder) {
    const sound::MusicTrack play = sound::PlayMusic();
    const sound::MusicTrack ambient = sound::AmbientMusic();
    std::vector<std::vector<int16_t>> effects;
    for (int slot = 0; slot < sound::kEffectSlots; ++slot)
        effects.push_back(sound::EffectSound(slot));
    WriteSet(dataFolder, {"wav", false}, play, ambient, effects);
    WriteSet(dataFolder, {"ogg", true}, play, ambient, effects);
}

}  // namespace assetgen
