#include "menu/OptionsWindow.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "audio/Audio.h"
#include "graphics/Graphics.h"
#include "input/InputSampler.h"
#include "menu/MenuDrawing.h"
#include "world/Display.h"
#include "world/InputState.h"
#include "world/Settings.h"
#include "world/SoundSettings.h"
#include "world/WorldState.h"

namespace options_window {
namespace {

// Rows by number.
constexpr int32_t kScreenModeRow = 0;
constexpr int32_t kVsyncRow = 1;
constexpr int32_t kTimerRow = 2;
constexpr int32_t kFrameSkipRow = 3;
constexpr int32_t kMusicRow = 4;
constexpr int32_t kEffectRow = 5;
constexpr int32_t kFirstButtonRow = 6;
constexpr int32_t kLastButtonRow = 9;
constexpr int32_t kColorRow = 10;

// How many values a row has, and whether stepping past an end wraps round
// (every row but the volumes) or stops there.
struct RowRule {
    int32_t values;
    bool clamp;
};
constexpr RowRule kRules[kRows] = {{2, false},  {2, false},  {4, false},  {2, false},
                                   {21, true},  {21, true},  {10, false}, {10, false},
                                   {10, false}, {10, false}, {10, false}};

constexpr int32_t kVolumeStep = 500;   // one mark of a volume bar
constexpr int32_t kMaxVolume = 10000;  // 20 marks
constexpr int32_t kVolumeMarks = 20;
constexpr int32_t kButtonIndexes = 10;  // 0..9; 4..9 stand for "no pad button"
constexpr int32_t kPulseTop = 128;
constexpr int32_t kPulseStep = 4;

// Every text of the window is 29 glyphs, 16 x 32 each, 10 pixels apart.
constexpr int32_t kCells = 29;
constexpr int32_t kAdvance = 10;
constexpr int32_t kGlyphWidth = 16;
constexpr int32_t kGlyphHeight = 32;

// A 29-character text: `lead` blanks, the words, then blanks to the end.
struct Text {
    std::array<char16_t, kCells> cells{};
    std::u16string_view view() const { return {cells.data(), cells.size()}; }
};
constexpr Text Padded(std::u16string_view words, size_t lead = 0) {
    Text t;
    for (size_t i = 0; i < t.cells.size(); ++i) {
        const bool inWords = i >= lead && i - lead < words.size();
        t.cells[i] = inWords ? words[i - lead] : u' ';
    }
    return t;
}

constexpr Text kLabels[] = {
    Padded(u"SCREEN MODE"),       Padded(u"VSYNC"),      Padded(u"TIMER"),
    Padded(u"FRAME SKIP"),        Padded(u"BGM VOLUME"), Padded(u"SE VOLUME"),
    Padded(u"BUTTON ARRANGEMENT")};
constexpr Text kButtonLabels[] = {Padded(u"DECISION"), Padded(u"CANCELLATION"), Padded(u"PAUSE"),
                                  Padded(u"SHIFT")};
constexpr Text kColorLabel = Padded(u"COLOR");

constexpr Text kScreenModeNames[] = {Padded(u"Window", 6), Padded(u"FullScreen", 4)};
constexpr Text kSwitchNames[] = {Padded(u"OFF", 7), Padded(u"ON", 7)};
constexpr Text kTimerNames[] = {Padded(u"timeGetTime", 4), Padded(u"PerformanceCounter"),
                                Padded(u"Sleep", 6), Padded(u"No Wait", 5)};
constexpr Text kDigits = Padded(u"0  1  2  3  4  5  6  7  8  9 ");
constexpr Text kFullMark = Padded(u">");
constexpr Text kEmptyMark = Padded(u"_");

// Where things stand in the 1280 x 720 design space. Rows are 52 pixels
// apart; each row's label, value texts and value highlight stand at their
// own offset from the row's top.
struct Layout {
    int32_t rowPitch;
    int32_t labelY;      // a row's label (the pad rows have one label above them)
    int32_t valueTextY;  // a row's value texts, volume bar, pad label and digits
    int32_t valueBoxY;   // a row's value highlights; the pad and colour rows' selection
    int32_t labelX;
    int32_t padLabelX;
    int32_t valueX;  // first value column
    int32_t column;  // value columns' pitch
    int32_t boxX;    // first value highlight
    int32_t digitX;
    int32_t digitBoxX;
    int32_t digitPitch;
    int32_t barX;
    int32_t rowBoxX;
    int32_t highlightHeight;
};
constexpr Layout kAt{52, 54, 76, 78, 326, 366, 334, 188, 330, 522, 512, 30, 366, 324, 20};

constexpr int32_t RowY(int32_t top, int32_t row) {
    return top + kAt.rowPitch * row;
}

void Draw(Graphics& sprites, const Text& text, int32_t x, int32_t y, int32_t advance = kAdvance) {
    menu_drawing::DrawText(sprites, text.view(), kCells, x, y, advance, kGlyphWidth, kGlyphHeight);
}

bool InRange(int32_t value, int32_t count) {
    return value >= 0 && value < count;
}

// A row value as a volume: its mark count clamped to 0..20, times 500.
int32_t VolumeOfValue(int32_t value) {
    return std::clamp(value, 0, kVolumeMarks) * kVolumeStep;
}

// The volume a voice is set to: the settings file can store up to 127,500,
// but no voice plays louder than full volume.
int32_t PlayableVolume(int32_t volume) {
    return std::clamp(volume, 0, kMaxVolume);
}

// highlightPulse rises 4 a frame to 128, falls to 0, and rises again.
void StepPulse(WorldState& world) {
    int32_t pulse = std::clamp(world.highlightPulse, 0, kPulseTop);
    if (pulse >= kPulseTop)
        world.titleMotion.pulseFalling = true;
    else if (pulse <= 0)
        world.titleMotion.pulseFalling = false;
    pulse += world.titleMotion.pulseFalling ? -kPulseStep : kPulseStep;
    world.highlightPulse = std::clamp(pulse, 0, kPulseTop);
}

// A row's value as its live setting holds it; a volume counts its marks of
// 500 (a volume the file set above 10,000 counts more than 20).
int32_t LiveValue(const OptionTargets& targets, int32_t row) {
    const Display& display = targets.display;
    switch (row) {
        case kScreenModeRow:
            return display.screenModeChoice;
        case kVsyncRow:
            return display.vsync;
        case kTimerRow:
            return static_cast<int32_t>(display.timerMode);
        case kFrameSkipRow:
            return display.frameSkip;
        case kMusicRow:
            return targets.sound.bgmVolume / kVolumeStep;
        case kEffectRow:
            return targets.sound.seVolume / kVolumeStep;
        case kColorRow:
            return targets.windowColor;
        default:
            return targets.settings.buttonMap[row - kFirstButtonRow];
    }
}

using WaitingValue = Settings::WaitingValue;

// The on/off rows: a waiting OFF reaches the setting only while its row is
// selected; a waiting ON at any time.
void ApplySwitch(int32_t selectedRow, int32_t row, WaitingValue& waiting, int32_t& live) {
    if (!waiting.waiting)
        return;
    if (selectedRow == row && waiting.value == 0) {
        live = 0;
        waiting = {};
    } else if (waiting.value == 1) {
        live = 1;
        waiting = {};
    }
}

// The volume rows (music or effects): while LEFT or RIGHT is held the
// waiting value becomes the volume, unless the volume stands outside
// 0..10,000 (a value only the settings file can give, kept as it was loaded).
void ApplyVolume(bool sideways, WaitingValue& waiting, int32_t& volume) {
    if (waiting.waiting && sideways &&
        static_cast<uint32_t>(volume) <= static_cast<uint32_t>(kMaxVolume)) {
        volume = VolumeOfValue(waiting.value);
        waiting = {};
    }
}

// The four pad-button rows: LEFT or RIGHT puts the waiting value on the
// function; with the pad in use, a button pressed on pad 0 is taken at once
// (A, B, X, Y tested in this order: the last one held wins).
void ApplyButtonRow(Settings& settings, const InputState& input, InputSampler& pads, int32_t row,
                    bool sideways) {
    uint8_t& button = settings.buttonMap[row - kFirstButtonRow];
    WaitingValue& waiting = settings.waitingOptionValues[row];
    if (sideways && waiting.waiting && InRange(waiting.value, 256)) {
        button = static_cast<uint8_t>(waiting.value);
        waiting = {};
    }
    if (input.inputMode != 1)
        return;
    pads.PollAllPads();
    const platform::PadState& pad = pads.pads[0].state;
    for (int32_t index = 0; index < platform::kPadButtonCount; ++index) {
        if (pad.Holds(static_cast<platform::PadButton>(index))) {
            button = static_cast<uint8_t>(index);
            waiting = {};
        }
    }
}

void DrawBars(Graphics& sprites, int32_t volume, int32_t y) {
    // A volume above 10,000 or below 0 shows a full or an empty bar.
    const int32_t marks = std::clamp(volume / kVolumeStep, 0, kVolumeMarks);
    for (int32_t j = 0; j < kVolumeMarks; ++j)
        Draw(sprites, j < marks ? kFullMark : kEmptyMark, kAt.barX + kAdvance * j, y, 0);
}

}  // namespace

int32_t SteppedValue(int32_t row, int32_t value, bool left, bool right) {
    if (!InRange(row, kRows))
        return value;
    const RowRule rule = kRules[row];
    const int32_t last = rule.values - 1;
    if (left) {
        if (rule.clamp)
            return value <= 1 ? 0 : value - 1;
        // 0 wraps to the top; so does a value the row cannot have, which
        // would otherwise take up to 245 presses to come back into view.
        return value >= 1 && value <= last ? value - 1 : last;
    }
    if (right) {
        if (rule.clamp)
            return value >= last - 1 ? last : std::max(value + 1, 0);
        // (value + 1) mod n, without overflow and never negative.
        const int64_t next = static_cast<int64_t>(value) + 1;
        return static_cast<int32_t>((next % rule.values + rule.values) % rule.values);
    }
    return value;
}

void StepOptionValue(const OptionTargets& targets, int32_t row, bool left, bool right) {
    if (!InRange(row, kRows))
        return;
    if (row == kScreenModeRow) {
        targets.display.screenModeChoice = SteppedValue(row, LiveValue(targets, row), left, right);
        return;
    }
    WaitingValue& waiting = targets.settings.waitingOptionValues[row];
    const int32_t from = waiting.waiting ? waiting.value : LiveValue(targets, row);
    waiting = {true, SteppedValue(row, from, left, right)};
}

namespace {

// The live settings as they stood at the start of the frame, before a
// waiting value reaches them: the value highlights show these.
struct ShownValues {
    int32_t screenMode;
    int32_t vsync;
    int32_t timer;
    int32_t frameSkip;
    uint8_t buttons[InputSampler::kButtons];
};

ShownValues ShownAtFrameStart(const OptionTargets& targets) {
    const Display& display = targets.display;
    ShownValues shown{display.screenMode != 0 ? 1 : 0, display.vsync != 0 ? 1 : 0,
                      static_cast<int32_t>(display.timerMode), display.frameSkip != 0 ? 1 : 0,
                      {}};
    std::copy_n(targets.settings.buttonMap, InputSampler::kButtons, shown.buttons);
    return shown;
}

// The display rows: the mode asked for every frame while its row stays
// selected (the frame loop makes the switch), then vertical sync, timer and
// frame skip.
void ApplyDisplayRows(Display& display, WaitingValue* waiting, int32_t row) {
    if (row == kScreenModeRow && display.screenModeChoice != display.screenMode)
        display.screenModeRequest = 1;
    ApplySwitch(row, kVsyncRow, waiting[kVsyncRow], display.vsync);
    WaitingValue& timer = waiting[kTimerRow];
    if (timer.waiting && row == kTimerRow && timer.value == 0) {
        display.timerMode = TimerMode::kMillisecondClock;
        timer = {};
    } else if (timer.waiting && timer.value >= 1 && timer.value <= 3) {
        display.timerMode = static_cast<TimerMode>(timer.value);
        timer = {};
    }
    ApplySwitch(row, kFrameSkipRow, waiting[kFrameSkipRow], display.frameSkip);
}

// The volume rows. The music volume goes to its voice every frame while its
// row is selected; on the effect row effect 0 plays over and over as its
// preview (the frame loop re-arms the voice once it has played out).
void ApplySoundRows(SoundSettings& sound, WaitingValue* waiting, Audio& audio, int32_t row,
                    bool sideways) {
    if (row == kMusicRow) {
        ApplyVolume(sideways, waiting[kMusicRow], sound.bgmVolume);
        audio.music().SetVolume(PlayableVolume(sound.bgmVolume));
        if (sound.bgmVolume == 0)
            audio.music().SetVolume(0);
    }
    if (row == kEffectRow) {
        audio.effects().RestartSlot0();
        ApplyVolume(sideways, waiting[kEffectRow], sound.seVolume);
        audio.effects().SetVolume(PlayableVolume(sound.seVolume));
        if (sound.seVolume == 0)
            audio.effects().SetVolume(0);
    }
}

// The value highlights. A value no row can show (only the settings file
// gives one) is not highlighted; the colour is shown as the frame is drawn,
// in colour 0.
void DrawValueHighlights(Graphics& sprites, WorldState& world, const ShownValues& shown,
                         int32_t windowColor) {
    const auto valueBox = [&](int32_t x, int32_t row, int32_t width) {
        menu_drawing::DrawHighlight(sprites, world, x, RowY(kAt.valueBoxY, row), width,
                                    kAt.highlightHeight);
    };
    const auto columnBox = [&](int32_t value, int32_t row) {
        valueBox(kAt.boxX + kAt.column * value, row, kAt.column);
    };
    const auto digitBox = [&](int32_t digit, int32_t row) {
        valueBox(kAt.digitBoxX + kAt.digitPitch * digit, row, kAt.digitPitch);
    };
    columnBox(shown.screenMode, kScreenModeRow);
    columnBox(shown.vsync, kVsyncRow);
    if (InRange(shown.timer, 4))
        columnBox(shown.timer, kTimerRow);
    columnBox(shown.frameSkip, kFrameSkipRow);
    for (int32_t i = 0; i < InputSampler::kButtons; ++i) {
        if (shown.buttons[i] < kButtonIndexes)
            digitBox(shown.buttons[i], kFirstButtonRow + i);
    }
    digitBox(InRange(windowColor, menu_drawing::kWindowColors) ? windowColor : 0, kColorRow);
}

// The labels, the volume bars, the value texts and the digit rows.
void DrawTexts(Graphics& sprites, const SoundSettings& sound) {
    for (int32_t k = 0; k < static_cast<int32_t>(std::size(kLabels)); ++k)
        Draw(sprites, kLabels[k], kAt.labelX, RowY(kAt.labelY, k));
    for (int32_t k = 0; k < static_cast<int32_t>(std::size(kButtonLabels)); ++k)
        Draw(sprites, kButtonLabels[k], kAt.padLabelX, RowY(kAt.valueTextY, kFirstButtonRow + k));
    Draw(sprites, kColorLabel, kAt.labelX, RowY(kAt.labelY, kColorRow));

    DrawBars(sprites, sound.bgmVolume, RowY(kAt.valueTextY, kMusicRow));
    DrawBars(sprites, sound.seVolume, RowY(kAt.valueTextY, kEffectRow));

    const auto valueText = [&](const Text& text, int32_t column, int32_t row) {
        Draw(sprites, text, kAt.valueX + kAt.column * column, RowY(kAt.valueTextY, row));
    };
    for (int32_t v = 0; v < 2; ++v) {
        valueText(kScreenModeNames[v], v, kScreenModeRow);
        valueText(kSwitchNames[v], v, kVsyncRow);
    }
    for (int32_t v = 0; v < 4; ++v)
        valueText(kTimerNames[v], v, kTimerRow);
    for (int32_t v = 0; v < 2; ++v)
        valueText(kSwitchNames[v], v, kFrameSkipRow);
    for (int32_t row = kFirstButtonRow; row <= kColorRow; ++row)
        Draw(sprites, kDigits, kAt.digitX, RowY(kAt.valueTextY, row));
}

}  // namespace

void RunOptionsWindow(Graphics& sprites, const OptionTargets& targets, const InputState& input,
                      WorldState& world, InputSampler& pads, Audio& audio) {
    const int32_t row = world.menuState.optionRow;
    const bool sideways =
        Held(input, platform::Control::kLeft) || Held(input, platform::Control::kRight);
    Settings& settings = targets.settings;
    WaitingValue* waiting = settings.waitingOptionValues;

    // The highlight borders pulse.
    StepPulse(world);
    const ShownValues shown = ShownAtFrameStart(targets);

    // The selected row.
    if (InRange(row, kRows)) {
        const bool boxedRow = row >= kFirstButtonRow && row <= kLastButtonRow;
        menu_drawing::DrawHighlight(sprites, world, kAt.rowBoxX,
                                    RowY(boxedRow ? kAt.valueBoxY : kAt.labelY, row), kAt.column,
                                    kAt.highlightHeight);
    }

    // The waiting values into their live settings.
    ApplyDisplayRows(targets.display, waiting, row);
    ApplySoundRows(targets.sound, waiting, audio, row, sideways);
    if (row >= kFirstButtonRow && row <= kLastButtonRow)
        ApplyButtonRow(settings, input, pads, row, sideways);
    if (row == kColorRow && sideways && waiting[kColorRow].waiting) {
        targets.windowColor = waiting[kColorRow].value;
        waiting[kColorRow] = {};
    }

    DrawValueHighlights(sprites, world, shown, targets.windowColor);
    DrawTexts(sprites, targets.sound);
}

}  // namespace options_window
