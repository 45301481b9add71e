#pragma once
// The boxes of the title menus, drawn as nine-slice quads from the window
// picture (texture 5): the pulsing highlight and the window frame, plus the
// glyph texts the menu windows write.

#include <cstdint>
#include <string_view>

class Graphics;
class WorldState;

namespace menu_drawing {

constexpr int32_t kWindowTexture = 5;
constexpr int32_t kWindowColors = 10;

// A highlight box: the body stretched from the highlight cell, the border in
// the current highlight colour (TitleMotion). Afterwards the colour for the next call
// follows highlightPulse: ((highlightPulse + 64) << 24) | 0xFFFFFF.
void DrawHighlight(Graphics& sprites, WorldState& world, int32_t x, int32_t y, int32_t width,
                   int32_t height);

// The window frame with its top-left corner at (208, 0), tiled from the
// window colour colorIndex (a colour outside 0..9 draws as colour 0).
void DrawWindowFrame(Graphics& sprites, const WorldState& world, int32_t width, int32_t height);

// Draws `cells` glyphs of `text` from (x, y), `advance` pixels apart, each
// width x height; cells past the end of the text show the glyph of code 0.
void DrawText(Graphics& sprites, std::u16string_view text, int32_t cells, int32_t x, int32_t y,
              int32_t advance, int32_t width, int32_t height);

}  // namespace menu_drawing
