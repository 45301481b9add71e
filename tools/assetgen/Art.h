#pragma once
// The look shared by all pictures: the colour scheme and the drawing helpers
// that more than one picture uses (styled text, bevelled blocks, stars,
// periodic noise for the night sky).

#include <array>
#include <cstdint>
#include <string_view>

#include "Canvas.h"
#include "Font.h"

namespace assetgen {

// ---- Colours ----
// Night: deep indigo from almost black to violet.
inline constexpr Color kNightDeep = Hex(0x07071C);
inline constexpr Color kNightTop = Hex(0x0B0C2C);
inline constexpr Color kNightMid = Hex(0x17164C);
inline constexpr Color kNightLow = Hex(0x251E62);
inline constexpr Color kViolet = Hex(0x3E2C86);
inline constexpr Color kLavender = Hex(0xA898EC);
inline constexpr Color kMist = Hex(0x6A5CC0);
// Warm accents.
inline constexpr Color kGoldLight = Hex(0xFFF0B0);
inline constexpr Color kGold = Hex(0xF6C54E);
inline constexpr Color kAmber = Hex(0xE88E34);
inline constexpr Color kCoral = Hex(0xE2583F);
// Text.
inline constexpr Color kInk = Hex(0x0A0820);
inline constexpr Color kPaper = Hex(0xF8F6FF);

// Cell codes 1..8: the seven four-cell kinds, then the single block. Index 0
// (empty) and 9 (wall) are drawn differently.
inline constexpr std::array<Color, 9> kPieceColors = {
    Color{},
    Hex(0xE8433A),  // 1: Z, red
    Hex(0x46C85A),  // 2: S, green
    Hex(0xA45CE6),  // 3: T, purple
    Hex(0xF28A24),  // 4: L, orange
    Hex(0x3A6CEA),  // 5: J, blue
    Hex(0xF6D23A),  // 6: O, yellow
    Hex(0x34CCEC),  // 7: I, cyan
    Hex(0xF27CC0),  // 8: single block, rose
};
inline constexpr Color kWallColor = Hex(0x5E6884);

// ---- Helpers ----

// How styled text looks: a fill running from top to bottom colour, a dark
// outline of the given radius, and a shadow offset below and right.
struct TextLook {
    Color top = kPaper;
    Color bottom = kPaper;
    Color outline = kInk;
    float outlineRadius = 1.0f;
    Color shadow = kInk;
    int shadowX = 0;
    int shadowY = 0;
};

// Renders text as large as fits a box of w x h pixels. widthRatio narrows
// (below 1) or widens the letters against the font's own proportions;
// boldness thickens the strokes by that fraction of the em; tracking adds
// pixels between letters.
RenderedText RenderFitted(Font& font, std::string_view text, int w, int h, float widthRatio,
                          float boldness, float tracking = 0.0f);
// The em size RenderFitted finds, and the text rendered at a given em, so
// several texts can share one size.
float FitEm(Font& font, std::string_view text, int w, int h, float widthRatio, float boldness,
            float tracking = 0.0f);
RenderedText RenderAt(Font& font, std::string_view text, float em, float widthRatio, float boldness,
                      float tracking = 0.0f);

// Draws rendered text with its top-left ink pixel at (x, y).
void DrawStyledText(Canvas& canvas, const RenderedText& text, int x, int y, const TextLook& look);

// An 8 x 8 cell tile at (x, y): bevelled, lit from the top left.
void DrawCellTile(Canvas& canvas, int x, int y, Color base);
// The wall and floor tile: riveted slate.
void DrawWallTile(Canvas& canvas, int x, int y);
// A bevelled square block of any size (emblems, decorations).
void DrawBlock(Canvas& canvas, float x, float y, float size, Color base, float alpha = 1.0f);

// Smooth value noise in 0..1 that repeats every periodX x periodY pixels.
float PeriodicNoise(float x, float y, float cell, int periodX, int periodY, uint32_t seed);

// A small deterministic random source (the pictures are the same on every run).
class Random {
public:
    explicit Random(uint32_t seed) : state_(seed * 2654435761u + 0x9E3779B9u) {}
    uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    float Unit() { return static_cast<float>(Next() >> 8) / 16777216.0f; }
    int Below(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }

private:
    uint32_t state_;
};

// Stars over a rectangle: count dots of varying brightness, some with a small
// cross; y wraps at periodY when it is above 0.
void DrawStars(Canvas& canvas, int x, int y, int w, int h, int count, uint32_t seed,
               int periodY = 0);

}  // namespace assetgen
