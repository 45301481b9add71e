#pragma once
// The game's 32 sound effects, made here. Three are heard in play: 0 (a
// bright two-note chime for menu choices and pause), 14 (a rising sparkle
// for one to three rows) and 11 (a brass flourish for four rows). The other
// slots hold quiet, short blips. Every effect is under one second, 16-bit
// stereo 44.1 kHz, and starts and ends at silence.

#include <cstdint>
#include <vector>

namespace assetgen::sound {

constexpr int kEffectSlots = 32;
constexpr int kConfirmEffect = 0;
constexpr int kFourRowsEffect = 11;
constexpr int kRowsEffect = 14;

// Interleaved 16-bit stereo samples of effect slot 0..31.
std::vector<int16_t> EffectSound(int slot);

}  // namespace assetgen::sound
