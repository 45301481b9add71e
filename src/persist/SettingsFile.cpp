#include "persist/SettingsFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/ByteOrder.h"
#include "platform/Files.h"
#include "world/System.h"
#include "world/WorldState.h"

namespace {

// Game.ini: byte offsets of the fields.
constexpr size_t kScreenModeByte = 2;
constexpr size_t kVsyncByte = 3;
constexpr size_t kTexelOffsetByte = 5;
constexpr size_t kFolderRelativeByte = 16;
constexpr size_t kPadSettingByte = 17;
constexpr size_t kTimerModeByte = 18;
constexpr size_t kFramePacingByte = 19;
constexpr size_t kFrameSkipByte = 20;
constexpr size_t kSoundModeByte = 21;
constexpr size_t kFontEnabledByte = 22;
constexpr size_t kButtonMapOffset = 24;
constexpr size_t kButtonMapSize = 10;
constexpr size_t kBgmVolumeByte = 34;
constexpr size_t kSeVolumeByte = 35;
constexpr size_t kScoresOffset = 36;
constexpr size_t kDatesOffset = 76;
constexpr size_t kDateSize = 27;
constexpr int kStoredRanks = 10;
constexpr int32_t kVolumeStep = 500;
constexpr float kOneTexel = 1.0f / 512.0f;  // of the 512-texel textures, the finest

static_assert(kDatesOffset + kDateSize * kStoredRanks == 346, "ranking ends at byte 346");

void StoreLE32s(uint8_t* p, int32_t v) {
    base::StoreLE32(p, static_cast<uint32_t>(v));
}

// The daylight flag is kept in three bytes; sign-extending them brings back -1.
int32_t LoadDaylight(const uint8_t* p) {
    const uint32_t low = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16;
    return static_cast<int32_t>(low ^ 0x800000u) - 0x800000;
}

void StoreDaylight(uint8_t* p, int32_t v) {
    const auto bits = static_cast<uint32_t>(v);
    p[0] = static_cast<uint8_t>(bits);
    p[1] = static_cast<uint8_t>(bits >> 8);
    p[2] = static_cast<uint8_t>(bits >> 16);
}

void EncodeRanking(const RankingTable& ranking, uint8_t* bytes) {
    for (int k = 0; k < kStoredRanks; ++k) {
        StoreLE32s(bytes + kScoresOffset + 4 * k, ranking.scores[k]);
        const platform::CalendarTime& d = ranking.dates[k];
        uint8_t* p = bytes + kDatesOffset + kDateSize * k;
        StoreLE32s(p + 0, d.year);
        StoreLE32s(p + 4, d.month);
        StoreLE32s(p + 8, d.day);
        StoreLE32s(p + 12, d.hour);
        StoreLE32s(p + 16, d.minute);
        StoreLE32s(p + 20, d.second);
        StoreDaylight(p + 24, d.daylight);
    }
}

void DecodeRanking(const uint8_t* bytes, RankingTable& ranking) {
    for (int k = 0; k < kStoredRanks; ++k) {
        ranking.scores[k] = base::LoadLE32s(bytes + kScoresOffset + 4 * k);
        platform::CalendarTime& d = ranking.dates[k];
        const uint8_t* p = bytes + kDatesOffset + kDateSize * k;
        d.year = base::LoadLE32s(p + 0);
        d.month = base::LoadLE32s(p + 4);
        d.day = base::LoadLE32s(p + 8);
        d.hour = base::LoadLE32s(p + 12);
        d.minute = base::LoadLE32s(p + 16);
        d.second = base::LoadLE32s(p + 20);
        d.daylight = LoadDaylight(p + 24);
    }
}

// A volume of 0..10000 is kept as its step count; the byte keeps the low bits
// of anything larger, exactly as a one-byte field must.
uint8_t VolumeSteps(int32_t volume) {
    return static_cast<uint8_t>(volume / kVolumeStep);
}

}  // namespace

SettingsFile::SettingsFile(System& system, RankingTable& ranking)
    : SettingsFile(system, ranking, platform::SystemFiles()) {}

bool SettingsFile::Load(const std::filesystem::path& path) {
    uint8_t bytes[kSize] = {};
    if (!platform::ReadFilePrefix(path, bytes, sizeof bytes, nullptr, files_)) {
        // No file: the derivations still run, on the values the records were
        // made with, so a fresh install gets the same settings as a saved one.
        Encode(bytes);
        std::memcpy(bytes, system_.settings.storedBytes, Settings::kStoredByteCount);
    }
    Decode(bytes);
    return true;
}

base::Outcome SettingsFile::Save(const std::filesystem::path& path) {
    uint8_t bytes[kSize] = {};
    Encode(bytes);
    return platform::ReplaceFile(path, bytes, sizeof bytes, files_);
}

void SettingsFile::Decode(const uint8_t (&bytes)[kSize]) {
    System& s = system_;
    std::memcpy(s.settings.storedBytes, bytes, Settings::kStoredByteCount);

    // Derived fields, in file order. Out-of-range values leave the field as it was.
    switch (bytes[kScreenModeByte]) {
        case 0:
            s.display.screenMode = 0;
            break;
        case 1:
            // Start windowed and let the frame loop switch, so the switch takes
            // the same path as Alt+Enter.
            s.display.screenMode = 0;
            s.display.screenModeRequest = 1;
            break;
        default:
            break;
    }
    s.display.vsync = bytes[kVsyncByte] != 0 ? 1 : 0;
    // The texel offset nudges every texture coordinate. One that is not a
    // number, or a whole texel or more, would move every picture off its
    // cell (a damaged byte can blank the screen), so drawing takes the
    // default instead; the stored bytes still go back as they were read.
    const float texelOffset = base::LoadLEFloat(bytes + kTexelOffsetByte);
    s.settings.texelOffset = std::isfinite(texelOffset) && std::fabs(texelOffset) < kOneTexel
                                 ? texelOffset
                                 : Settings::kDefaultTexelOffset;
    if (bytes[kFolderRelativeByte] != 0)
        s.folders.folderRelative = 1;
    s.settings.padSetting = bytes[kPadSettingByte] == 1 ? 1 : 0;
    if (bytes[kTimerModeByte] <= 3)
        s.display.timerMode = static_cast<TimerMode>(bytes[kTimerModeByte]);
    if (bytes[kFramePacingByte] <= 2)
        s.display.framePacing = bytes[kFramePacingByte];
    s.display.frameSkip = bytes[kFrameSkipByte] != 0 ? 1 : 0;
    switch (bytes[kSoundModeByte]) {
        case 0:
            s.sound.soundMode = SoundMode::kNone;
            break;
        case 1:
            s.sound.soundMode = SoundMode::kOgg;
            break;
        case 2:
            s.sound.soundMode = SoundMode::kWave;
            break;
        default:
            break;
    }
    s.settings.fontEnabled = 1;  // the stored byte is not consulted
    std::memcpy(s.settings.buttonMap, bytes + kButtonMapOffset, kButtonMapSize);
    DecodeRanking(bytes, ranking_);

    s.display.screenModeChoice = s.display.screenMode;
    // The rows read the settings just loaded (the colour is not in the file).
    for (int row = 0; row < Settings::kOptionRows - 1; ++row)
        s.settings.waitingOptionValues[row] = {};
    s.sound.bgmVolume = bytes[kBgmVolumeByte] * kVolumeStep;
    s.sound.seVolume = bytes[kSeVolumeByte] * kVolumeStep;
}

void SettingsFile::Encode(uint8_t (&bytes)[kSize]) const {
    const System& s = system_;
    std::fill(std::begin(bytes), std::end(bytes), uint8_t{0});
    // Most of the first 24 bytes go back as they were loaded. The display mode
    // (byte 2) is one of them, so switching modes during a run is not kept.
    std::memcpy(bytes, s.settings.storedBytes, Settings::kStoredByteCount);
    bytes[kVsyncByte] = static_cast<uint8_t>(s.display.vsync);
    bytes[kTimerModeByte] = static_cast<uint8_t>(s.display.timerMode);
    bytes[kFrameSkipByte] = static_cast<uint8_t>(s.display.frameSkip);
    bytes[kFontEnabledByte] = static_cast<uint8_t>(s.settings.fontEnabled);
    std::memcpy(bytes + kButtonMapOffset, s.settings.buttonMap, kButtonMapSize);
    bytes[kBgmVolumeByte] = VolumeSteps(s.sound.bgmVolume);
    bytes[kSeVolumeByte] = VolumeSteps(s.sound.seVolume);
    EncodeRanking(ranking_, bytes);
}
