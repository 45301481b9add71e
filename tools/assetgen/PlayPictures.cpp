// Play pictures (slot 3): the play background, the game-over bar and the row
// of cell tiles.
//
// The background is drawn three times its size from screen x 16, so texel x
// is (screen x - 16) / 3 and texel y is screen y / 3; only texels 0..415 x
// 0..239 are ever on screen. Its layout follows what the game draws over it:
//   board       screen x 496..783, y 0..719  -> texels 160..255 x 0..239
//               (walls and floor are tiles; the well inside is columns
//               168..247, rows 0..223; row 29 below the floor is background)
//   score       11 glyph slots from screen x 310, y 24 (64 high)
//   level       10 glyph slots from screen x 298, y 120
//   previews    96 x 96 boxes at (808, 24), (952, 24), (1096, 24), (1096, 168),
//               (1096, 312), (1096, 456) -> 32 x 32 texels at (264, 8), (312, 8),
//               (360, 8), (360, 56), (360, 104), (360, 152)
// Everything else is night sky with a town along the bottom.

#include <algorithm>
#include <cmath>

#include "Art.h"
#include "Pictures.h"

namespace assetgen {
namespace {

constexpr int kVisibleWidth = 416;
constexpr int kVisibleHeight = 240;

// Board well (the playing field) and the board with its walls, in texels.
constexpr int kBoardLeft = 160;
constexpr int kBoardRight = 256;  // exclusive
constexpr int kWellLeft = 168;
constexpr int kWellRight = 248;   // exclusive
constexpr int kWellBottom = 224;  // exclusive: the floor row starts here
constexpr int kFloorBottom = 232;

struct Box {
    int x, y;
};
constexpr Box kPreviews[6] = {{264, 8}, {312, 8}, {360, 8}, {360, 56}, {360, 104}, {360, 152}};
constexpr int kPreviewSize = 32;

void DrawSky(Canvas& canvas) {
    canvas.SetDither(true);
    canvas.Paint(0, 0, kPictureSize, 256, [](int x, int y, Color* c, float* a) {
        const float t = static_cast<float>(y) / kVisibleHeight;
        Color sky = Mix(kNightTop, kNightLow, std::clamp(t, 0.0f, 1.0f));
        // Soft violet clouds, strongest in the middle band.
        const float fx = static_cast<float>(x), fy = static_cast<float>(y);
        const float cloud = 0.6f * PeriodicNoise(fx, fy, 48, 512, 256, 11) +
                            0.4f * PeriodicNoise(fx, fy, 16, 512, 256, 12);
        const float band = std::exp(-std::pow((t - 0.55f) / 0.35f, 2.0f));
        sky = Mix(sky, kViolet, std::clamp((cloud - 0.45f) * 1.6f, 0.0f, 1.0f) * 0.55f * band);
        *c = sky;
        *a = 1.0f;
    });
    canvas.SetDither(false);
    DrawStars(canvas, 0, 0, kVisibleWidth, 200, 170, 31);
}

void DrawMoon(Canvas& canvas, float cx, float cy, float r) {
    canvas.SetDither(true);
    for (int ring = 6; ring >= 1; --ring)
        canvas.FillCircle(cx, cy, r + static_cast<float>(ring) * 2.5f, kLavender, 0.05f);
    canvas.SetDither(false);
    canvas.FillShape(
        cx - r, cy - r, cx + r, cy + r,
        [=](float x, float y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; },
        [=](float x, float y) {
            // Lit from the upper left.
            const float t = std::clamp(((x - cx) + (y - cy)) / (2.0f * r) + 0.5f, 0.0f, 1.0f);
            return Mix(kGoldLight, Hex(0xD8B070), t * t);
        });
    // A few craters.
    const float craters[][3] = {
        {-0.3f, -0.2f, 0.22f}, {0.35f, 0.15f, 0.16f}, {-0.05f, 0.45f, 0.13f}};
    for (const auto& k : craters)
        canvas.FillCircle(cx + k[0] * r, cy + k[1] * r, k[2] * r, Hex(0xC8A060), 0.8f);
}

// A row of houses and towers with lit windows, standing on the bottom edge.
void DrawTown(Canvas& canvas, int left, int right, uint32_t seed) {
    Random random(seed);
    const Color wall = Hex(0x0C0A22);
    const Color roof = Hex(0x1A1640);
    int x = left;
    while (x < right) {
        const int w = 10 + random.Below(14);
        const int h = 14 + random.Below(30);
        const int top = kVisibleHeight - h;
        const int x1 = std::min(right, x + w);
        canvas.FillRect(x, top, x1 - x, h, wall);
        canvas.FillRect(x, top, x1 - x, 1, roof);
        if (random.Below(3) == 0) {  // a pointed roof
            const float mid = static_cast<float>(x + x1) / 2.0f;
            canvas.FillPolygon(
                {static_cast<float>(x), static_cast<float>(top), mid, static_cast<float>(top - 6),
                 static_cast<float>(x1), static_cast<float>(top)},
                wall);
        }
        for (int wy = top + 3; wy + 2 < kVisibleHeight - 2; wy += 5) {
            for (int wx = x + 2; wx + 2 <= x1 - 2; wx += 4) {
                if (random.Below(5) < 2) {
                    const Color lamp = random.Below(4) == 0 ? kGoldLight : kAmber;
                    canvas.FillRect(wx, wy, 2, 2, Mix(lamp, wall, 0.25f));
                }
            }
        }
        x = x1 + random.Below(3);
    }
}

// A framed panel: dark inside, a thin rim, rounded corners.
void DrawPanel(Canvas& canvas, int x, int y, int w, int h, Color rim) {
    const float fx = static_cast<float>(x), fy = static_cast<float>(y);
    const float fw = static_cast<float>(w), fh = static_cast<float>(h);
    canvas.FillRoundRect(fx - 1, fy - 1, fw + 2, fh + 2, 4.0f, kInk);
    canvas.FillRoundRect(fx, fy, fw, fh, 3.5f, rim);
    canvas.SetDither(true);
    canvas.FillShape(
        fx + 1, fy + 1, fx + fw - 1, fy + fh - 1,
        [=](float px, float py) {
            const float r = 2.5f;
            const float dx = std::max({fx + 1 + r - px, 0.0f, px - (fx + fw - 1 - r)});
            const float dy = std::max({fy + 1 + r - py, 0.0f, py - (fy + fh - 1 - r)});
            return dx * dx + dy * dy <= r * r;
        },
        [=](float, float py) {
            const float t = (py - fy) / fh;
            return Mix(Hex(0x1C1A4A), Hex(0x0A0A24), t);
        });
    canvas.SetDither(false);
}

void DrawBoardWell(Canvas& canvas) {
    // A glow around the board, then the dark well with a faint cell grid.
    canvas.SetDither(true);
    for (int d = 1; d <= 6; ++d) {
        const float a = 0.22f * (1.0f - static_cast<float>(d) / 7.0f);
        canvas.FillRect(kBoardLeft - d, 0, 1, kFloorBottom + 8, kMist, a);
        canvas.FillRect(kBoardRight + d - 1, 0, 1, kFloorBottom + 8, kMist, a);
    }
    canvas.Paint(kWellLeft, 0, kWellRight - kWellLeft, kWellBottom,
                 [](int x, int y, Color* c, float* a) {
                     const float t = static_cast<float>(y) / kWellBottom;
                     Color well = Mix(Hex(0x080822), Hex(0x14123A), t);
                     const int gx = (x - kWellLeft) % 8;
                     const int gy = y % 8;
                     if (gx == 0 || gy == 0)
                         well = Mix(well, kMist, 0.16f);
                     *c = well;
                     *a = 1.0f;
                 });
    canvas.SetDither(false);
    // Walls and floor are tiles the game draws; behind them lies plain dark.
    canvas.FillRect(kBoardLeft, 0, 8, kFloorBottom, kInk);
    canvas.FillRect(kBoardRight - 8, 0, 8, kFloorBottom, kInk);
    canvas.FillRect(kBoardLeft, kWellBottom, kBoardRight - kBoardLeft, 8, kInk);
    // The plinth under the floor (board row 29).
    canvas.FillRect(kBoardLeft - 6, kFloorBottom, kBoardRight - kBoardLeft + 12, 8, Hex(0x151232));
    canvas.FillRect(kBoardLeft - 6, kFloorBottom, kBoardRight - kBoardLeft + 12, 1, kGold);
    canvas.FillRect(kBoardLeft - 6, kFloorBottom + 1, kBoardRight - kBoardLeft + 12, 1, kAmber);
}

void DrawPreviewFrames(Canvas& canvas, Font& font) {
    for (int i = 0; i < 6; ++i) {
        const Box& b = kPreviews[i];
        DrawPanel(canvas, b.x - 3, b.y - 3, kPreviewSize + 6, kPreviewSize + 6,
                  i == 0 ? kGold : kMist);
    }
    // "NEXT" under the first preview.
    const RenderedText next = RenderFitted(font, "NEXT", 26, 9, 1.0f, 0.05f);
    const Box& first = kPreviews[0];
    DrawStyledText(canvas, next, first.x + (kPreviewSize - next.mask.width) / 2,
                   first.y + kPreviewSize + 6,
                   TextLook{kGoldLight, kAmber, kInk, 1.0f, kInk, 0, 1});
}

void DrawScoreAndLevelPanels(Canvas& canvas, Font& font) {
    // Score: digits at screen y 24..88, right-aligned in slots from x 310.
    DrawPanel(canvas, 8, 5, 150, 28, kGold);
    const RenderedText score = RenderFitted(font, "SCORE", 60, 11, 1.0f, 0.05f);
    DrawStyledText(canvas, score, 16, 19 - score.mask.height / 2,
                   TextLook{kGoldLight, kAmber, kInk, 1.0f, kInk, 0, 1});
    // Level: "Level nn" from screen x 298, y 120.
    DrawPanel(canvas, 8, 37, 150, 28, kMist);
    // A small star beside it.
    std::vector<float> star;
    const float cx = 24, cy = 51;
    for (int k = 0; k < 10; ++k) {
        const float r = (k % 2 == 0) ? 9.0f : 3.8f;
        const float angle = -1.5708f + static_cast<float>(k) * 0.6283f;
        star.push_back(cx + r * std::cos(angle));
        star.push_back(cy + r * std::sin(angle));
    }
    canvas.FillPolygon(star, kGold);
}

// Bars stack up from the bottom at game over: a dark wine band with a bright
// top edge, so the stack reads as a closing curtain.
void DrawGameOverBar(Canvas& canvas) {
    const Color rows[8] = {Hex(0xE08A5A), Hex(0x9A3050), Hex(0x7E2646), Hex(0x6A1E40),
                           Hex(0x5A1A3A), Hex(0x4C1634), Hex(0x3E122C), Hex(0x1A0614)};
    for (int j = 0; j < 8; ++j) {
        for (int i = 0; i < kVisibleWidth; ++i)
            canvas.Set(i, 248 + j, rows[j]);
    }
}

void DrawTiles(Canvas& canvas) {
    // Code 0 stays transparent: the board is drawn over the falling piece.
    for (int v = 1; v <= 8; ++v)
        DrawCellTile(canvas, 192 + 8 * v, 256, kPieceColors[static_cast<size_t>(v)]);
    DrawWallTile(canvas, 192 + 8 * 9, 256);
}

}  // namespace

Canvas MakePlayPictures(Font& font) {
    Canvas canvas(kPictureSize, kPictureSize);
    canvas.Clip(0, 0, kPictureSize, 248);
    DrawSky(canvas);
    DrawMoon(canvas, 64, 112, 15);
    DrawTown(canvas, 0, 150, 7);
    DrawTown(canvas, 266, kVisibleWidth, 8);
    DrawBoardWell(canvas);
    DrawPreviewFrames(canvas, font);
    DrawScoreAndLevelPanels(canvas, font);
    canvas.Unclip();
    canvas.SetExact(true);
    DrawGameOverBar(canvas);
    DrawTiles(canvas);
    canvas.SetExact(false);
    return canvas;
}

}  // namespace assetgen
