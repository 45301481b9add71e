#pragma once
// The options window: eleven rows of settings over the title. The title
// menu moves the row; this unit changes a row's value, applies the values to
// the live settings every frame and draws the window's content.

#include <cstdint>

class Graphics;
class Audio;
class InputSampler;
class WorldState;
struct System;

namespace options_window {

constexpr int32_t kRows = 11;

// One step of the value of `row` in optionValues: left lowers it, right (only
// when left is not held) raises it, with the row's clamp or wrap rule.
void StepOptionValue(System& system, int32_t row, bool left, bool right);

// Every frame while the options window is fully open: the apply step (the
// highlight pulse, the live settings, volumes with their preview sound, pad
// button capture, window colour) and the drawing of the window's content.
void RunOptionsWindow(Graphics& sprites, System& system, WorldState& world, InputSampler& input,
                      Audio& audio);

}  // namespace options_window
