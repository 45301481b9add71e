#pragma once
// PNG pictures decoded with libpng into the form texture making takes.
//
// A picture must be 512 pixels wide and at most 512 tall, a palette picture
// of 1, 2, 4 or 8 bits per pixel or an 8-bit RGB picture. Palette pixels are
// unpacked to one index per byte. Rows are placed as the game's bottom-up
// 512 x 512 bitmap places them: the picture's last row is texture row 511, so
// a picture shorter than 512 lies at the bottom and the rows above it are
// transparent.
//
// Decoding never trusts the file: any damage libpng reports, a size that does
// not fit, or a colour form the game cannot use ends in an error code, before
// anything is copied.

#include <cstdint>
#include <cstdio>
#include <vector>

enum class PictureError {
    kNone,
    kNoReadStruct,          // libpng could not make its read structure
    kNoInfoStruct,          // libpng could not make its info structure
    kTooManyColors,         // more than 8 bits per channel
    kUnsupportedColorType,  // grey, grey with alpha, or RGBA
    kWrongSize,             // not 512 wide, or taller than 512, or empty
    kUnreadable,            // not a PNG, truncated, or damaged
};

struct Picture {
    static constexpr int kSize = 512;
    int32_t bitsPerPixel = 0;      // 8: palette indices; 24: R, G, B bytes
    int32_t firstRow = kSize;      // texture rows above this one are not covered
    uint8_t palette[256][3] = {};  // R, G, B; entries past the file's palette are 0
    std::vector<uint8_t> pixels;   // kSize rows of kSize pixels, top row first
};

// Decodes the PNG read from file (left open). On an error, libpngMessage (if
// given, at least 128 bytes) receives libpng's own text when there is one.
PictureError DecodePng(FILE* file, Picture* out, char* libpngMessage = nullptr);

// The message the player sees for a decoding error (UTF-8).
const char* PictureErrorText(PictureError error);

// Makes the 512 x 512 16-bit texels of a decoded picture: palette index 0 and
// uncovered rows are 0x7C1F (alpha bit 0); any other index, or an RGB pixel,
// is 0x8000 | (R >> 3) << 10 | (G >> 3) << 5 | (B >> 3).
void PictureToTexels(const Picture& picture, uint16_t* texels);
