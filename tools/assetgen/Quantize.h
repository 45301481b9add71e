#pragma once
// Turns a painted canvas into a palette picture the game can load.
//
// Every drawn pixel (coverage one half or more) is reduced to the 5 bits per
// channel the game's 16-bit texels keep, with a 4 x 4 ordered dither where the
// canvas asked for one; everything else becomes palette index 0, which the
// game never draws. When the picture uses more than 255 such colours, the
// colours of pixels drawn as exact are kept, a median cut picks the rest of
// the 255 and each pixel takes the nearest. Palette entries hold 5-bit
// values widened to 8 bits, so the game's texels give back exactly the
// colours chosen here.

#include <array>
#include <cstdint>
#include <vector>

#include "Canvas.h"

namespace assetgen {

struct IndexedPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> indices;                 // rows from the top
    std::vector<std::array<uint8_t, 3>> palette;  // entry 0 is the transparent one
    int reducedFrom = 0;                          // colours before a median cut (0: none needed)
    int keptExact = 0;                            // of those, how many the cut kept as they were
};

IndexedPicture Quantize(const Canvas& canvas);

// The 8-bit value whose top 5 bits are level (0..31), with the low bits
// repeating the high ones so that 31 gives 255.
constexpr uint8_t Widen5(int level) {
    return static_cast<uint8_t>(level << 3 | level >> 2);
}

}  // namespace assetgen
