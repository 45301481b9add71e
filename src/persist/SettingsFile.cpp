#include "persist/SettingsFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "base/ByteOrder.h"
#include "base/WideText.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "world/WorldState.h"
#include "world/System.h"

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

static_assert(kDatesOffset + kDateSize * kStoredRanks == 346, "ranking ends at byte 346");

// Slot files: where each part of a SaveSlot lies.
constexpr size_t kBlockSize = 608;
constexpr size_t kBlockFirst = 1;
constexpr size_t kBlockBytes = 21;
constexpr size_t kBlockSecond = 37;
constexpr size_t kBlockMark = 57;
constexpr size_t kBlockPair = 58;
constexpr size_t kBlockLast = 66;
constexpr size_t kBlockGroups = 70;
constexpr size_t kGroupSize = 60;
constexpr size_t kSlotValues = 29184;
constexpr size_t kSlotBytes = 30396;
constexpr size_t kSlotFour = 30699;
constexpr size_t kSlotTail = 30715;
constexpr size_t kSlotThree = 30768;
constexpr size_t kSlotTable = 30779;  // shares its first byte with the last of kSlotThree

static_assert(kSlotTable + 4 * 2048 == 38971, "a slot file holds 38971 meaningful bytes");
static_assert(kSlotTable + 4 * 2048 <= SettingsFile::kSlotBufferSize, "slot buffer too small");

template <size_t N>
void LoadInts(const uint8_t* p, int32_t (&out)[N]) {
    for (size_t i = 0; i < N; ++i)
        out[i] = base::LoadLE32s(p + 4 * i);
}

template <size_t N>
void LoadBytes(const uint8_t* p, uint8_t (&out)[N]) {
    std::memcpy(out, p, N);
}

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

std::string ErrnoText(int error) {
    return error != 0 ? std::strerror(error) : "not a usable path";
}

// The slot file's bytes, zero beyond what the file holds.
struct SlotFileBuffer {
    uint8_t bytes[SettingsFile::kSlotBufferSize] = {};
};

}  // namespace

bool SettingsFile::LoadSettings(std::u16string_view path) {
    uint8_t bytes[kSettingsSize] = {};
    if (!platform::ReadFilePrefix(path, bytes, sizeof bytes)) {
        // No file: the derivations still run, on the values the records were
        // made with, so a fresh install gets the same settings as a saved one.
        EncodeSettings(bytes);
        std::memcpy(bytes, system_->SettingsBytes, System::kSettingsByteCount);
    }
    DecodeSettings(bytes);
    return true;
}

bool SettingsFile::SaveSettings(std::u16string_view path) {
    uint8_t bytes[kSettingsSize] = {};
    EncodeSettings(bytes);
    return platform::ReplaceFile(path, bytes, sizeof bytes);
}

void SettingsFile::DecodeSettings(const uint8_t (&bytes)[kSettingsSize]) {
    System& s = *system_;
    std::memcpy(s.SettingsBytes, bytes, System::kSettingsByteCount);

    // Derived fields, in file order. Out-of-range values leave the field as it was.
    switch (bytes[kScreenModeByte]) {
        case 0:
            s.screenMode = 0;
            break;
        case 1:
            // Start windowed and let the frame loop switch, so the switch takes
            // the same path as Alt+Enter.
            s.screenMode = 0;
            s.screenModeRequest = 1;
            break;
        default:
            break;
    }
    s.vsync = bytes[kVsyncByte] != 0 ? 1 : 0;
    s.texelOffset = base::LoadLEFloat(bytes + kTexelOffsetByte);
    if (bytes[kFolderRelativeByte] != 0)
        s.folderRelative = 1;
    s.padSetting = bytes[kPadSettingByte] == 1 ? 1 : 0;
    if (bytes[kTimerModeByte] <= 3)
        s.timerMode = static_cast<TimerMode>(bytes[kTimerModeByte]);
    if (bytes[kFramePacingByte] <= 2)
        s.framePacing = bytes[kFramePacingByte];
    s.frameSkip = bytes[kFrameSkipByte] != 0 ? 1 : 0;
    switch (bytes[kSoundModeByte]) {
        case 0:
            s.soundMode = 0;
            break;
        case 1:
            s.soundMode = 2;
            break;
        case 2:
            s.soundMode = 1;
            break;
        default:
            break;
    }
    s.fontEnabled = 1;  // the stored byte is not consulted
    std::memcpy(s.buttonMap, bytes + kButtonMapOffset, kButtonMapSize);
    DecodeRanking(bytes, world_->rankingTable);

    s.optionValues[0] = s.screenMode;
    s.optionValues[1] = s.vsync;
    s.optionValues[2] = static_cast<int32_t>(s.timerMode);
    s.optionValues[3] = s.frameSkip;
    s.optionValues[4] = bytes[kBgmVolumeByte];
    s.optionValues[5] = bytes[kSeVolumeByte];
    for (int i = 0; i < 4; ++i)
        s.optionValues[6 + i] = s.buttonMap[i];

    s.bgmVolume = bytes[kBgmVolumeByte] * kVolumeStep;
    s.seVolume = bytes[kSeVolumeByte] * kVolumeStep;
}

void SettingsFile::EncodeSettings(uint8_t (&bytes)[kSettingsSize]) const {
    const System& s = *system_;
    std::fill(std::begin(bytes), std::end(bytes), uint8_t{0});
    // Most of the first 24 bytes go back as they were loaded. The display mode
    // (byte 2) is one of them, so switching modes during a run is not kept.
    std::memcpy(bytes, s.SettingsBytes, System::kSettingsByteCount);
    bytes[kVsyncByte] = static_cast<uint8_t>(s.vsync);
    bytes[kTimerModeByte] = static_cast<uint8_t>(s.timerMode);
    bytes[kFrameSkipByte] = static_cast<uint8_t>(s.frameSkip);
    bytes[kFontEnabledByte] = static_cast<uint8_t>(s.fontEnabled);
    std::memcpy(bytes + kButtonMapOffset, s.buttonMap, kButtonMapSize);
    bytes[kBgmVolumeByte] = VolumeSteps(s.bgmVolume);
    bytes[kSeVolumeByte] = VolumeSteps(s.seVolume);
    EncodeRanking(world_->rankingTable, bytes);
}

bool SettingsFile::LoadFolderFile(std::u16string_view path) {
    uint8_t bytes[2 + kFolderTextBytes] = {};
    size_t size = 0;
    errno = 0;
    if (!platform::ReadFilePrefix(path, bytes, sizeof bytes, &size)) {
        const int error = errno;
        // Start-up ends quietly without this file; the terminal line says why.
        std::fprintf(stderr, "Tessary: cannot read %s: %s\n", platform::NativePath(path).c_str(),
                     ErrnoText(error).c_str());
        return false;
    }
    DecodeFolderText(bytes, size);
    return true;
}

bool SettingsFile::SaveFolderFile(std::u16string_view path) {
    const std::u16string_view text = base::WideView(system_->folderText);
    std::string bytes;
    bytes.reserve(2 + 2 * text.size());
    bytes += '\xFF';
    bytes += '\xFE';
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return platform::ReplaceFile(path, bytes.data(), bytes.size());
}

void SettingsFile::DecodeFolderText(const uint8_t* bytes, size_t size) {
    // The first two bytes (the byte-order mark) are skipped unchecked; of the
    // rest at most 80 units count, and a missing odd byte reads as zero.
    uint8_t text[kFolderTextBytes] = {};
    if (bytes != nullptr && size > 2) {
        std::memcpy(text, bytes + 2, std::min(size - 2, kFolderTextBytes));
    }
    constexpr size_t kUnits = kFolderTextBytes / 2;
    static_assert(kUnits < System::kFolderTextUnits, "folder text must fit with its terminator");
    char16_t units[kUnits] = {};
    for (size_t i = 0; i < kUnits; ++i) {
        units[i] = static_cast<char16_t>(text[2 * i] | text[2 * i + 1] << 8);
    }
    const std::u16string_view view(units, base::WideLength(units, kUnits));

    System& s = *system_;
    std::fill(std::begin(s.folderText), std::end(s.folderText), u'\0');
    base::WideCopy(s.folderText, view);
    std::fill(std::begin(s.folderTextCopy), std::end(s.folderTextCopy), u'\0');
    base::WideCopy(s.folderTextCopy, view);
}

bool SettingsFile::LoadSlot(std::u16string_view path, int slot) {
    if (slot < 0 || slot >= WorldState::kSlots)
        return false;
    auto buffer = std::make_unique<SlotFileBuffer>();
    if (!platform::ReadFilePrefix(path, buffer->bytes, kSlotBufferSize)) {
        // The dialog also writes its text to standard error.
        const std::u16string_view shown =
            path.substr(0, base::WideLength(path.data(), path.size()));
        dialogs_->Show(base::ToUtf8(shown) + " ファイルが見つかりません", "Message");
        return false;
    }
    DecodeSlot(buffer->bytes, world_->saveSlots[slot]);
    return true;
}

void SettingsFile::DecodeSlot(const uint8_t (&bytes)[kSlotBufferSize], SaveSlot& slot) {
    for (int k = 0; k < SaveSlot::kBlocks; ++k) {
        const uint8_t* p = bytes + kBlockSize * k;
        SlotBlock& b = slot.blocks[k];
        b.flag = p[0];
        LoadInts(p + kBlockFirst, b.first);
        LoadBytes(p + kBlockBytes, b.bytes);
        LoadInts(p + kBlockSecond, b.second);
        b.mark = p[kBlockMark];
        LoadInts(p + kBlockPair, b.pair);
        b.last = base::LoadLE32s(p + kBlockLast);
        for (int g = 0; g < 8; ++g)
            LoadInts(p + kBlockGroups + kGroupSize * g, b.groups[g]);
    }
    LoadInts(bytes + kSlotValues, slot.values);
    LoadBytes(bytes + kSlotBytes, slot.bytes);
    LoadInts(bytes + kSlotFour, slot.four);
    LoadBytes(bytes + kSlotTail, slot.tail);
    LoadInts(bytes + kSlotThree, slot.three);
    LoadInts(bytes + kSlotTable, slot.table);
}
