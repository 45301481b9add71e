#pragma once
// The options window: eleven rows of settings over the title. The title
// menu moves the row; this unit steps a row's value, puts it into the live
// setting, keeps the sound voices in step, takes pad buttons and draws the
// window's content. A row's value is its live setting, or a stepped value
// waiting to reach it.

#include <cstdint>

#include "world/Settings.h"

class Graphics;
class Audio;
class InputSampler;
class WorldState;
struct Display;
struct InputState;
struct SoundSettings;

namespace options_window {

constexpr int32_t kRows = Settings::kOptionRows;

// The live settings the options rows show and change.
struct OptionTargets {
    Display& display;      // display mode asked for, vertical sync, timer, frame skip
    SoundSettings& sound;  // the two volumes
    Settings& settings;    // the pad buttons
    int32_t& windowColor;  // the colour of the menu windows
};

// The value a row steps to from `value`: left lowers it, right (only when
// left is not held) raises it; the volume rows stop at 0 and 20, the others
// wrap round, and a value the row cannot have comes back into range.
int32_t SteppedValue(int32_t row, int32_t value, bool left, bool right);

// One step of `row`'s value, from the value waiting for its live setting or
// else from the setting itself. The display mode row steps the mode asked
// for; every other row's value waits (Settings::waitingOptionValues) for the
// window to put it into the setting, so the window shows the change from
// the next frame on.
void StepOptionValue(const OptionTargets& targets, int32_t row, bool left, bool right);

// Every frame while the options window is fully open: the highlight pulse,
// the display mode asked for, the waiting values put into their settings,
// the volumes sent to the voices with their preview sound, pad button
// capture, and the drawing of the window's content. `input` is this frame's
// held controls and whether the pad is in use.
void RunOptionsWindow(Graphics& sprites, const OptionTargets& targets, const InputState& input,
                      WorldState& world, InputSampler& pads, Audio& audio);

}  // namespace options_window
