// Title pictures: the scrolling sky of the title (slot 0) and the title's
// pictures in slot 2.
//
// Slot 0: the title draws texels 0..511 x 0..255 three times their size, twice
// over, 720 screen pixels (240 texels) apart, while it scrolls downwards; so
// the picture repeats every 240 rows (rows 240..255 equal rows 0..15). Only
// columns 0..415 are on screen.
//
// Slot 2, where the game cuts its pictures from:
//   logo, emblem part   (0, 0)   160 x 40  drawn 3x at screen (446, 144)
//   logo, word part     (0, 48)  136 x 40  drawn 3x at screen (644, 144)
//       the two overlap from screen x 644, i.e. from texel 66 of the first
//       part, so the first carries the emblem in columns 0..65 and nothing else
//   menu items          (160, 0), (160, 32), (160, 64)  96 x 32, drawn 3x
//   loading caption     (256, 0)  256 x 44, drawn 3x at screen (400, 241)
//   game-over picture   (255, 43) 181 x 43, drawn 768 x 132 at screen (220, 240)
//   loading picture     (0, 256)  512 x 256, drawn 3x at screen (0, 0)
// The caption's last row and the items' last column are shared with the
// game-over picture's first row and column; those texels stay transparent.

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "Art.h"
#include "Pictures.h"

namespace assetgen {
namespace {

constexpr int kPeriod = 240;  // rows after which the title sky repeats
constexpr int kVisibleWidth = 416;

const TextLook kItemLook{kPaper, Hex(0xB8B4F0), kInk, 1.0f, Hex(0x2A1E6A), 1, 2};
const TextLook kLogoLook{kGoldLight, kAmber, kInk, 1.5f, Hex(0x2A1E6A), 2, 2};

// ---- The title sky ----

// A four-cell piece outline as block offsets (column, row).
struct Shape {
    int cells[4][2];
};
constexpr Shape kShapes[7] = {
    {{{0, 0}, {1, 0}, {1, 1}, {2, 1}}},  // Z
    {{{1, 0}, {2, 0}, {0, 1}, {1, 1}}},  // S
    {{{1, 0}, {0, 1}, {1, 1}, {2, 1}}},  // T
    {{{2, 0}, {0, 1}, {1, 1}, {2, 1}}},  // L
    {{{0, 0}, {0, 1}, {1, 1}, {2, 1}}},  // J
    {{{0, 0}, {1, 0}, {0, 1}, {1, 1}}},  // O
    {{{0, 0}, {0, 1}, {0, 2}, {0, 3}}},  // I
};

// Draws on canvas rows 0..kPeriod-1, wrapping what crosses the bottom edge.
void DrawWrappedBlock(Canvas& canvas, float x, float y, float size, Color color, float alpha) {
    for (float offset : {0.0f, -static_cast<float>(kPeriod)}) {
        if (y + offset + size > 0 && y + offset < kPeriod)
            DrawBlock(canvas, x, y + offset, size, color, alpha);
    }
}

Canvas DrawTitleSky() {
    Canvas sky(kPictureSize, kPeriod);
    sky.SetDither(true);
    sky.Paint(0, 0, kPictureSize, kPeriod, [](int x, int y, Color* c, float* a) {
        const float fx = static_cast<float>(x), fy = static_cast<float>(y);
        // Darker in the middle, where the logo and the menu stand.
        const float across = std::fabs((fx - 208.0f) / 208.0f);
        Color base = Mix(kNightTop, kNightMid, std::clamp(across * 1.1f, 0.0f, 1.0f));
        const float cloud = 0.55f * PeriodicNoise(fx, fy, 60, 512, kPeriod, 3) +
                            0.3f * PeriodicNoise(fx, fy, 20, 512, kPeriod, 4) +
                            0.15f * PeriodicNoise(fx, fy, 8, 512, kPeriod, 5);
        const float strength = std::clamp((cloud - 0.42f) * 2.0f, 0.0f, 1.0f);
        base = Mix(base, kViolet, strength * (0.35f + 0.4f * across));
        base = Mix(base, Hex(0x2A3A8A), std::clamp((cloud - 0.6f) * 2.5f, 0.0f, 1.0f) * 0.35f);
        *c = base;
        *a = 1.0f;
    });
    sky.SetDither(false);
    DrawStars(sky, 0, 0, kVisibleWidth, kPeriod, 200, 21, kPeriod);

    // Pieces drifting down the sides (the sky scrolls downwards), faint so
    // the menu stays in front.
    Random random(77);
    struct Drift {
        float x, y;
        int shape;
    };
    const Drift drifts[] = {{10, 10, 6},  {52, 70, 2},   {18, 150, 5},  {70, 196, 0},
                            {356, 30, 3}, {366, 112, 1}, {358, 168, 4}, {378, 214, 5}};
    for (const Drift& d : drifts) {
        const Shape& shape = kShapes[d.shape];
        const Color color = kPieceColors[static_cast<size_t>(d.shape + 1)];
        const float alpha = 0.26f + 0.1f * random.Unit();
        for (const auto& cell : shape.cells) {
            DrawWrappedBlock(sky, d.x + 10.0f * static_cast<float>(cell[0]),
                             d.y + 10.0f * static_cast<float>(cell[1]), 10.0f,
                             Mix(color, kNightMid, 0.15f), alpha);
        }
    }
    return sky;
}

// ---- Slot 2 pieces ----

// The emblem: a round badge holding four bevelled blocks set as a diamond.
// line is the width of its rings, bevels and gaps in pixels: 1 on the title,
// more where the badge is drawn large (the program's icon).
void DrawEmblem(Canvas& canvas, float cx, float cy, float radius, float line = 1.0f) {
    canvas.FillCircle(cx, cy, radius + 1.5f * line, kInk);
    canvas.FillCircle(cx, cy, radius, kGold);
    canvas.FillCircle(cx, cy, radius - 1.5f * line, kAmber);
    canvas.SetDither(true);
    canvas.FillShape(
        cx - radius, cy - radius, cx + radius, cy + radius,
        [=](float x, float y) {
            const float r = radius - 2.5f * line;
            return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
        },
        [=](float, float y) {
            return Mix(Hex(0x1E1C5A), Hex(0x0A0A26), (y - cy + radius) / (2 * radius));
        });
    canvas.SetDither(false);

    const Color colors[4] = {kPieceColors[7], kPieceColors[6], kPieceColors[1], kPieceColors[3]};
    const float half = radius * 0.74f;  // half the diagonal of the diamond
    const float gap = line;
    canvas.FillShape(
        cx - half, cy - half, cx + half, cy + half,
        [=](float x, float y) {
            // Diamond coordinates: u along the falling diagonal, v along the rising one.
            const float u = ((x - cx) + (y - cy)) * 0.7071f;
            const float v = ((y - cy) - (x - cx)) * 0.7071f;
            const float s = half * 0.7071f;
            return std::fabs(u) < s && std::fabs(v) < s && std::fabs(u) > gap && std::fabs(v) > gap;
        },
        [=](float x, float y) {
            const float u = ((x - cx) + (y - cy)) * 0.7071f;
            const float v = ((y - cy) - (x - cx)) * 0.7071f;
            const int quadrant = (u > 0 ? 1 : 0) + (v > 0 ? 2 : 0);
            const Color base = colors[quadrant];
            // Each block spans [uLow, uHigh] x [vLow, vHigh]; its low-u and low-v
            // faces look up the screen and catch the light.
            const float s = half * 0.7071f;
            const float uLow = u > 0 ? gap : -s, uHigh = u > 0 ? s : -gap;
            const float vLow = v > 0 ? gap : -s, vHigh = v > 0 ? s : -gap;
            const float lit = std::min(u - uLow, v - vLow);
            const float shade = std::min(uHigh - u, vHigh - v);
            if (std::min(lit, shade) < 1.4f * line)
                return lit < shade ? Lighten(base, 0.45f) : Scale(base, 0.55f);
            return Mix(Lighten(base, 0.15f), Scale(base, 0.85f), (y - cy + half) / (2 * half));
        });
    // A glint.
    canvas.FillCircle(cx - radius * 0.45f, cy - radius * 0.5f, 1.2f * line, Hex(0xFFFFFF));
}

void DrawLogo(Canvas& canvas, Font& font) {
    // Emblem part: columns 0..65 of (0, 0) 160 x 40.
    canvas.Clip(0, 0, 66, 40);
    DrawEmblem(canvas, 36.0f, 20.0f, 17.5f);
    canvas.Unclip();
    // Word part: (0, 48) 136 x 40; room for the outline and the shadow.
    canvas.Clip(0, 48, 136, 40);
    const RenderedText word = RenderFitted(font, "TESSARY", 130, 33, 0.92f, 0.07f, 2.0f);
    DrawStyledText(canvas, word, 2 + (130 - word.mask.width) / 2,
                   48 + 2 + (33 - word.mask.height) / 2, kLogoLook);
    canvas.Unclip();
}

void DrawMenuItems(Canvas& canvas, Font& font) {
    const char* items[3] = {"START", "RANKING", "OPTIONS"};
    float em = 1000.0f;
    for (const char* item : items)
        em = std::min(em, FitEm(font, item, 88, 18, 1.0f, 0.06f));
    for (int k = 0; k < 3; ++k) {
        // Column 255 belongs to the game-over picture as well: keep it clear.
        canvas.Clip(160, 32 * k, 95, 32);
        const RenderedText text = RenderAt(font, items[k], em, 1.0f, 0.06f);
        DrawStyledText(canvas, text, 160 + (94 - text.mask.width) / 2, 32 * k + 3, kItemLook);
        canvas.Unclip();
    }
}

// "NOW LOADING", centred on the screen's middle (texel 80 of the caption).
void DrawLoadingCaption(Canvas& canvas, Font& font) {
    canvas.Clip(256, 0, 256, 43);
    const RenderedText text = RenderFitted(font, "NOW LOADING...", 152, 20, 1.0f, 0.06f);
    const int left = std::max(258, 256 + 80 - text.mask.width / 2);
    DrawStyledText(canvas, text, left, 12, kItemLook);
    canvas.Unclip();
}

// The game-over plate. The game stretches it 4.24 times across and 3.07 times
// down, so everything across is drawn narrower by that ratio.
void DrawGameOver(Canvas& canvas, Font& font) {
    constexpr float kSquash = (132.0f / 43.0f) / (768.0f / 181.0f);
    const float x = 256, y = 44, w = 180, h = 42;
    canvas.Clip(256, 44, 180, 42);
    // Nested rounded plates, each inset by one texel down (and kSquash across);
    // the corners are ellipses that the stretch makes round again.
    auto plate = [&](float inset, const std::function<Color(float, float)>& color) {
        const float left = x + inset * kSquash, right = x + w - inset * kSquash;
        const float top = y + inset, bottom = y + h - inset;
        const float ry = 6.0f - inset * 0.5f;
        const float rx = ry * kSquash;
        canvas.FillShape(
            left, top, right, bottom,
            [=](float px, float py) {
                const float dx = std::max({left + rx - px, 0.0f, px - (right - rx)}) / rx;
                const float dy = std::max({top + ry - py, 0.0f, py - (bottom - ry)}) / ry;
                return dx * dx + dy * dy <= 1.0f;
            },
            color);
    };
    plate(0.0f, [](float, float) { return kInk; });
    plate(1.0f, [](float, float) { return kGold; });
    plate(2.0f, [](float, float) { return kAmber; });
    plate(3.0f, [=](float, float py) { return Mix(Hex(0x2A1650), Hex(0x0E0A28), (py - y) / h); });
    const RenderedText text = RenderFitted(font, "GAME OVER", 150, 24, kSquash * 1.05f, 0.07f);
    const TextLook look{kGoldLight, kCoral, kInk, 1.0f, Hex(0x05040F), 1, 1};
    DrawStyledText(canvas, text, 256 + (180 - text.mask.width) / 2,
                   44 + (42 - text.mask.height) / 2, look);
    canvas.Unclip();
}

// The loading picture: the night sky with the emblem and a low stack of
// blocks; the caption is drawn over its middle.
void DrawLoadingPicture(Canvas& canvas) {
    constexpr int kTop = 256;
    canvas.Clip(0, kTop, kPictureSize, 256);
    canvas.SetDither(true);
    canvas.Paint(0, kTop, kPictureSize, 256, [](int x, int y, Color* c, float* a) {
        const float t = static_cast<float>(y - kTop) / 240.0f;
        Color sky = Mix(kNightDeep, kNightLow, std::clamp(t, 0.0f, 1.0f));
        const float cloud =
            PeriodicNoise(static_cast<float>(x), static_cast<float>(y), 40, 512, 512, 9);
        sky = Mix(sky, kViolet, std::clamp((cloud - 0.5f) * 1.5f, 0.0f, 1.0f) * 0.4f * t);
        *c = sky;
        *a = 1.0f;
    });
    for (int ring = 8; ring >= 1; --ring)
        canvas.FillCircle(213, kTop + 46, 26.0f + static_cast<float>(ring) * 3.0f, kMist, 0.05f);
    canvas.SetDither(false);
    DrawStars(canvas, 5, kTop, 416, 180, 150, 41);
    DrawEmblem(canvas, 213, kTop + 46, 24);

    // The stack along the bottom, in dimmed piece colours.
    Random random(5);
    for (int column = 0; column < 53; ++column) {
        const int height = 1 + random.Below(3) + (column % 7 == 3 ? 1 : 0);
        for (int row = 0; row < height; ++row) {
            const int kind = 1 + random.Below(8);
            const Color color = Mix(kPieceColors[static_cast<size_t>(kind)], kNightMid, 0.45f);
            DrawBlock(canvas, static_cast<float>(5 + 8 * column),
                      static_cast<float>(kTop + 232 - 8 * row), 8.0f, color);
        }
    }
    canvas.Unclip();
}

}  // namespace

Canvas MakeTitleBackground() {
    const Canvas sky = DrawTitleSky();
    Canvas canvas(kPictureSize, kPictureSize);
    canvas.CopyFrom(sky, 0, 0, kPictureSize, kPeriod, 0, 0);
    // Rows 240..255 repeat the top, so the two copies the title draws join.
    canvas.CopyFrom(sky, 0, 0, kPictureSize, 256 - kPeriod, 0, kPeriod);
    return canvas;
}

Canvas MakeIcon(int size) {
    Canvas canvas(size, size);
    const float half = static_cast<float>(size) * 0.5f;
    const float line = static_cast<float>(size) / 40.0f;  // the title's badge is 40 texels high
    DrawEmblem(canvas, half, half, half - 1.5f * line - static_cast<float>(size) / 48.0f, line);
    return canvas;
}

Canvas MakeTitlePictures(Font& font) {
    Canvas canvas(kPictureSize, kPictureSize);
    DrawLogo(canvas, font);
    DrawMenuItems(canvas, font);
    DrawLoadingCaption(canvas, font);
    DrawGameOver(canvas, font);
    DrawLoadingPicture(canvas);
    return canvas;
}

}  // namespace assetgen
