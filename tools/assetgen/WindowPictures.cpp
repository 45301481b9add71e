// Window pictures: ten window colours and the highlight, each a 16 x 16 body
// cell (row 0) over a 16 x 16 border cell (row 16).
//
// The game cuts the border cell into nine: 4 x 4 corners drawn as they are,
// 4-texel edges stretched along their length, so each edge keeps the same
// profile all along it. The body cell is stretched over the whole inside and
// tinted to half strength, so it is a plain gentle gradient with no detail
// that stretching would spoil.

#include <cmath>

#include "Art.h"
#include "Pictures.h"

namespace assetgen {
namespace {

constexpr int kCell = 16;

struct WindowColor {
    Color body;
    Color rim;
};

// Colour 0 is the default window.
constexpr WindowColor kWindowColors[10] = {
    {Hex(0x242C84), Hex(0x8CA0F4)},  // indigo
    {Hex(0x16687A), Hex(0x78D8E4)},  // teal
    {Hex(0x1E7038), Hex(0x8CE09A)},  // green
    {Hex(0x6E5A16), Hex(0xEED27A)},  // gold
    {Hex(0x843A14), Hex(0xF4A874)},  // copper
    {Hex(0x821A30), Hex(0xF28A9C)},  // crimson
    {Hex(0x72206C), Hex(0xE892DE)},  // plum
    {Hex(0x48228C), Hex(0xB896F4)},  // violet
    {Hex(0x3C4658), Hex(0xB4BED0)},  // slate
    {Hex(0x101016), Hex(0x8A8A98)},  // night black
};
constexpr WindowColor kHighlight = {Hex(0xB87820), Hex(0xFFD868)};

void DrawBody(Canvas& canvas, int x, Color body) {
    for (int j = 0; j < kCell; ++j) {
        const float t = static_cast<float>(j) / (kCell - 1);
        const Color c = Mix(Lighten(body, 0.12f), Scale(body, 0.8f), t);
        for (int i = 0; i < kCell; ++i)
            canvas.Set(x + i, j, c);
    }
}

// The border cell: from the outside in, a dark line, the bright rim two
// texels wide (lighter at its outer edge) and a dark inner line; the outer
// corners are rounded off.
void DrawBorder(Canvas& canvas, int x, const WindowColor& colors) {
    const Color bands[4] = {Scale(colors.body, 0.3f), Lighten(colors.rim, 0.3f), colors.rim,
                            Scale(colors.body, 0.5f)};
    for (int j = 0; j < kCell; ++j) {
        for (int i = 0; i < kCell; ++i) {
            // Depth from the nearest outer edge, measured per corner with a rounding.
            const int dx = i < 4 ? i : (i >= 12 ? 15 - i : 4);
            const int dy = j < 4 ? j : (j >= 12 ? 15 - j : 4);
            int depth = dx < dy ? dx : dy;
            if (dx < 4 && dy < 4) {
                // Corner: a quarter circle of radius 4 around (4, 4) from the corner.
                const float cx = 4.0f - (static_cast<float>(dx) + 0.5f);
                const float cy = 4.0f - (static_cast<float>(dy) + 0.5f);
                const float distance = 4.0f - std::sqrt(cx * cx + cy * cy);
                if (distance < -0.25f) {
                    canvas.Clear(x + i, kCell + j);
                    continue;
                }
                depth = distance < 0.75f ? 0 : static_cast<int>(distance + 0.25f);
                if (depth > 3)
                    depth = 3;
            }
            if (depth >= 4) {
                canvas.Set(x + i, kCell + j, colors.body);  // the middle: never drawn by the game
                continue;
            }
            canvas.Set(x + i, kCell + j, bands[depth]);
        }
    }
}

}  // namespace

Canvas MakeWindowPictures() {
    Canvas canvas(kPictureSize, kPictureSize);
    canvas.SetExact(true);
    for (int c = 0; c < 10; ++c) {
        // The game draws window bodies half transparent over the title: a
        // dark body keeps the title under it quiet and the text on it clear.
        DrawBody(canvas, kCell * c, Scale(kWindowColors[c].body, 0.5f));
        DrawBorder(canvas, kCell * c, kWindowColors[c]);
    }
    DrawBody(canvas, 160, kHighlight.body);
    DrawBorder(canvas, 160, kHighlight);
    return canvas;
}

}  // namespace assetgen
