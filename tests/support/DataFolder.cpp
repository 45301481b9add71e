#include "support/DataFolder.h"

#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "base/WideText.h"
#include "support/SoundFiles.h"
#include "unit/graphics_test_util.h"

namespace testdata {
namespace {

constexpr int kTracks = 64;
constexpr int kEffects = 32;
constexpr int kSoundRecords = 960;
constexpr int kPictureRecords = 64;
constexpr uint32_t kEffectFrames = 4410;  // 100 ms

std::string Numbered(const char* pattern, int n) {
    char name[64];
    std::snprintf(name, sizeof name, pattern, n);
    return name;
}

const char* SetFolder(int soundMode) {
    return soundMode == 1 ? "wav" : "ogg";
}

// The list's name for a native name inside the data folder: '/' becomes '\'.
std::u16string ListName(const std::string& native) {
    std::u16string name = base::FromUtf8(native);
    for (char16_t& c : name) {
        if (c == u'/')
            c = u'\\';
    }
    return name;
}

std::string LoopFileText(uint32_t start, uint32_t length) {
    return "LoopStart=" + std::to_string(start) + "\r\nLoopLength=" + std::to_string(length) +
           "\r\n";
}

// Sound files are the same for every track and effect; Ogg encoding is slow
// enough to do once.
const Bytes& TrackSound(int soundMode) {
    static const Bytes wave = StereoWave(Ramp(kTrackFrames));
    static const Bytes ogg = EncodeOgg(Sine(kTrackFrames, 440.0, 0.25), 2, 44100);
    return soundMode == 1 ? wave : ogg;
}
const Bytes& EffectSound(int soundMode) {
    static const Bytes wave = StereoWave(Ramp(kEffectFrames));
    static const Bytes ogg = EncodeOgg(Sine(kEffectFrames, 880.0, 0.25), 2, 44100);
    return soundMode == 1 ? wave : ogg;
}

void WriteSoundSet(const TempFolder& folder, const std::string& root, int soundMode) {
    std::filesystem::create_directories(folder.Native(root + SetFolder(soundMode)));
    std::vector<std::u16string> names(kSoundRecords);
    for (int track = 0; track < kTracks; ++track) {
        const std::string file = TrackFile(soundMode, track);
        names[track] = ListName(file);
        folder.Write(root + file, TrackSound(soundMode));
        const std::string loop = LoopFileText(static_cast<uint32_t>(track), kTrackLoopLength);
        folder.Write(root + file + ".sli", Utf16File(std::u16string(loop.begin(), loop.end())));
    }
    for (int slot = 0; slot < kEffects; ++slot) {
        const std::string file = EffectFile(soundMode, slot);
        names[kTracks + slot] = ListName(file);
        folder.Write(root + file, EffectSound(soundMode));
    }
    folder.Write(root + SoundListFile(soundMode), ListFile(names));
}

void WritePictures(const TempFolder& folder, const std::string& root) {
    std::filesystem::create_directories(folder.Native(root + "grp"));
    std::vector<std::u16string> names(kPictureRecords);
    for (int slot = 0; slot < 8; ++slot) {
        if (!PictureListed(slot)) {
            names[slot] = u"null0000.png";
            continue;
        }
        names[slot] = ListName(PictureFile(slot));
        PngLayout layout;
        layout.palette = {{0, 0, 0}, {200, 40, 40}, {40, 200, 40}, {40, 40, 200}};
        layout.sample = [slot](uint32_t x, uint32_t y, int) {
            return (x / 16 + y / 16 + slot) % 4;
        };
        if (!WritePng(folder.Native(root + PictureFile(slot)), layout))
            throw std::runtime_error("cannot write " + PictureFile(slot));
    }
    folder.Write(root + kPictureListFile, ListFile(names));
}

// The font is only checked for being there.
void WriteFont(const TempFolder& folder, const std::string& root) {
    std::filesystem::create_directories(folder.Native(root + "VLGothic"));
    folder.Write(root + "VLGothic/VL-Gothic-Regular.ttf", Bytes(16, 0));
}

// The folder is made once per test run and copied from there: making the
// pictures and sounds takes far longer than copying them.
const TempFolder& Template() {
    static const TempFolder folder;
    static const bool made = [] {
        WriteSoundSet(folder, "data/", 1);
        WriteSoundSet(folder, "data/", 2);
        WritePictures(folder, "data/");
        WriteFont(folder, "data/");
        return true;
    }();
    (void)made;
    return folder;
}

}  // namespace

void WriteDataFolder(const TempFolder& folder, const std::string& sub) {
    namespace fs = std::filesystem;
    const fs::path target = sub.empty() ? fs::path(folder.path()) : fs::path(folder.Native(sub));
    fs::create_directories(target);
    fs::copy(Template().Native("data"), target,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

std::string SoundListFile(int soundMode) {
    return soundMode == 1 ? "wav/wav_0000.txt" : "ogg/ogg_0000.txt";
}

std::string TrackFile(int soundMode, int track) {
    return Numbered(soundMode == 1 ? "wav/bgm_%04d.wav" : "ogg/bgm_%04d.ogg", track);
}

std::string EffectFile(int soundMode, int slot) {
    return Numbered(soundMode == 1 ? "wav/eff_%04d.wav" : "ogg/eff_%04d.ogg", slot);
}

std::string PictureFile(int slot) {
    return Numbered("grp/grp_%04d.png", slot);
}

bool PictureListed(int slot) {
    return slot >= 0 && slot < 8 && slot != 1 && slot != 4 && slot != 7;
}

Bytes ListFile(const std::vector<std::u16string>& names) {
    Bytes bytes = {0xFF, 0xFE};
    for (const std::u16string& name : names) {
        for (size_t i = 0; i < 16; ++i) {
            const char16_t unit = i < name.size() ? name[i] : u'\0';
            bytes.push_back(static_cast<uint8_t>(unit));
            bytes.push_back(static_cast<uint8_t>(unit >> 8));
        }
        bytes.insert(bytes.end(), {0x0D, 0x00, 0x0A, 0x00});
    }
    return bytes;
}

}  // namespace testdata
