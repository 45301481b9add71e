#pragma once
// The options window: eleven rows of settings over the title. The title
// menu moves the row; this unit changes a row's value, applies the values to
// the live settings every frame and draws the window's content.

#include <cstdint>

class Graphics;
class Audio;
class InputSampler;
class WorldState;
struct Display;
struct InputState;
struct Settings;
struct SoundSettings;

namespace options_window {

constexpr int32_t kRows = 11;

// The live settings the options rows show and change.
struct OptionTargets {
    Display& display;     // display mode, vertical sync, timer, frame skip
    SoundSettings& sound;  // the two volumes
    Settings& settings;    // the pad buttons
    int32_t& windowColor;  // the colour of the menu windows
};

// One step of the value of `row` in optionValues: left lowers it, right (only
// when left is not held) raises it, with the row's clamp or wrap rule.
void StepOptionValue(const OptionTargets& targets, int32_t row, bool left, bool right);

// Every frame while the options window is fully open: the apply step (the
// highlight pulse, the live settings, volumes with their preview sound, pad
// button capture, window colour) and the drawing of the window's content.
// `input` is this frame's held controls and whether the pad is in use.
void RunOptionsWindow(Graphics& sprites, const OptionTargets& targets, const InputState& input,
                      WorldState& world, InputSampler& pads, Audio& audio);

}  // namespace options_window
