// The glyph sheet: the printable ASCII characters from VL Gothic, one per
// 16 x 32 cell (code c at (16 (c & 15), 2 (c & 0xF0))).
//
// The game sets characters 16 pixels apart when it draws them at twice the
// cell size (and 10 apart at the cell size), so the ink of a glyph must fit
// about 8 texels across: the font is set with an em 13.5 texels wide and 28
// tall, which gives tall narrow letters about 7 texels across; M, W and a few
// other busy letters get a wider em and one spare column either side. Every
// glyph has a one-texel dark outline and a shadow below, so text reads over
// any background. The fill shades from white to a cool grey at the bottom, and
// its edges blend into the outline colour in a few steps; texels beyond the
// outline stay transparent. Codes 0..0x20 and 0x7F..0xFF stay blank.

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

#include "Art.h"
#include "Pictures.h"

namespace assetgen {
namespace {

constexpr int kCellWidth = 16;
constexpr int kCellHeight = 32;
constexpr int kPenX = 4;       // the pen's start in the cell
constexpr int kBaseline = 25;  // the baseline row in the cell
constexpr int kInkLeft = 4;    // fill uses columns kInkLeft..kInkRight,
constexpr int kInkRight = 10;  // one more either side for the widest letters (M, W, @)

const TextStyle kGlyphStyle{13.5f, 28.0f, 0.6f, 0.0f, true};
// Letters with many strokes across get a wider em and the two spare columns.
constexpr std::string_view kWideLetters = "MWmw@%#&";
const TextStyle kWideStyle{18.0f, 28.0f, 0.4f, 0.0f, true};

}  // namespace

Canvas MakeGlyphSheet(Font& font) {
    Canvas sheet(kPictureSize, kPictureSize);
    sheet.SetExact(true);
    const Color top = kPaper;
    const Color bottom = Hex(0xC8CCE8);
    for (int code = 0x21; code <= 0x7E; ++code) {
        const char ch = static_cast<char>(code);
        const bool wide = kWideLetters.find(ch) != std::string_view::npos;
        const RenderedText text = font.Render(std::string(1, ch), wide ? kWideStyle : kGlyphStyle);
        const int cellX = kCellWidth * (code & 0x0F);
        const int cellY = 2 * (code & 0xF0);

        // 1. The fill's coverage in cell coordinates, kept inside the ink columns.
        Mask fill;
        fill.Resize(kCellWidth, kCellHeight);
        int left = kPenX - text.originX;
        const int width = text.mask.width;
        int inkLeft = kInkLeft;
        int inkRight = kInkRight;
        if (width > inkRight - inkLeft + 1) {
            --inkLeft;
            ++inkRight;
            left = inkLeft + std::max(0, (inkRight - inkLeft + 1 - width) / 2);
        }
        left = std::clamp(left, inkLeft, std::max(inkLeft, inkRight + 1 - width));
        const int topRow = kBaseline - text.baseline;
        for (int j = 0; j < text.mask.height; ++j) {
            for (int i = 0; i < width; ++i) {
                const int x = left + i;
                const int y = topRow + j;
                if (x >= inkLeft && x <= inkRight && y >= 1 && y < kCellHeight - 2)
                    fill.Ref(x, y) = text.mask.At(i, j);
            }
        }

        // 2. Outline and shadow, then the fill blended into them.
        Mask edge = Dilate(fill, 1.0f);
        for (int y = kCellHeight - 1; y >= 2; --y) {
            for (int x = 0; x < kCellWidth; ++x)
                edge.Ref(x, y) = std::max(edge.At(x, y), fill.At(x, y - 2));
        }
        for (int y = 0; y < kCellHeight; ++y) {
            for (int x = 0; x < kCellWidth; ++x) {
                const float f = fill.At(x, y);
                if (edge.At(x, y) < 0.2f && f == 0.0f)
                    continue;
                const float t = static_cast<float>(y - 4) / 22.0f;
                const Color face = Mix(top, bottom, std::clamp(t, 0.0f, 1.0f));
                // Four steps from outline to fill keep the edges smooth but few.
                const float level = std::round(std::clamp(f * 1.15f, 0.0f, 1.0f) * 3.0f) / 3.0f;
                sheet.Set(cellX + x, cellY + y, Mix(kInk, face, level));
            }
        }
    }
    return sheet;
}

}  // namespace assetgen
