#include "menu/MenuDrawing.h"

#include "graphics/Graphics.h"
#include "graphics/Quads.h"
#include "world/WorldState.h"

namespace menu_drawing {
namespace {

constexpr uint32_t kBodyColor = 0x7FFFFFFFu;
constexpr uint32_t kFrameBorderColor = 0xBFFFFFFFu;
constexpr int32_t kCell = 16;
constexpr int32_t kEdge = 4;
constexpr int32_t kHighlightCellX = 160;

// One nine-slice box: the body stretched from the 16 x 16 cell at
// (cellX, bodyY), the corners and edges from the 4 x 4 pieces of the cell at
// (cellX, borderY).
void DrawBox(Graphics& sprites, int32_t x, int32_t y, int32_t width, int32_t height, int32_t cellX,
             uint32_t borderColor) {
    constexpr int32_t bodyY = 0;
    constexpr int32_t borderY = 16;
    constexpr int32_t far = kCell - kEdge;  // 12: offset of the far corner piece
    const auto piece = [&](int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx, int32_t sy) {
        sprites.SubmitSprite(quads::Quad(dx, dy, dw, dh, cellX + sx, borderY + sy, kEdge, kEdge,
                                         borderColor, kWindowTexture));
    };
    sprites.SubmitSprite(quads::Quad(x + kEdge, y + kEdge, width - 2 * kEdge, height - 2 * kEdge,
                                     cellX, bodyY, kCell, kCell, kBodyColor, kWindowTexture));
    // Corners: top left, top right, bottom left, bottom right.
    piece(x, y, kEdge, kEdge, 0, 0);
    piece(x + width - kEdge, y, kEdge, kEdge, far, 0);
    piece(x, y + height - kEdge, kEdge, kEdge, 0, far);
    piece(x + width - kEdge, y + height - kEdge, kEdge, kEdge, far, far);
    // Edges: top, left, bottom, right.
    piece(x + kEdge, y, width - 2 * kEdge, kEdge, kEdge, 0);
    piece(x, y + kEdge, kEdge, height - 2 * kEdge, 0, kEdge);
    piece(x + kEdge, y + height - kEdge, width - 2 * kEdge, kEdge, kEdge, far);
    piece(x + width - kEdge, y + kEdge, kEdge, height - 2 * kEdge, far, kEdge);
}

}  // namespace

void DrawHighlight(Graphics& sprites, WorldState& world, int32_t x, int32_t y, int32_t width,
                   int32_t height) {
    uint32_t& color = world.titleMotion.highlightColor;
    DrawBox(sprites, x, y, width, height, kHighlightCellX, color);
    color = static_cast<uint32_t>(world.highlightPulse + 64) << 24 | 0xFFFFFFu;
}

void DrawWindowFrame(Graphics& sprites, const WorldState& world, int32_t width, int32_t height) {
    // colorIndex comes from the settings file and may hold any byte.
    const int32_t color =
        world.colorIndex >= 0 && world.colorIndex < kWindowColors ? world.colorIndex : 0;
    DrawBox(sprites, 208, 0, width, height, kCell * color, kFrameBorderColor);
}

void DrawText(Graphics& sprites, std::u16string_view text, int32_t cells, int32_t x, int32_t y,
              int32_t advance, int32_t width, int32_t height) {
    for (int32_t i = 0; i < cells; ++i) {
        const uint32_t c = i < static_cast<int32_t>(text.size()) ? text[i] : 0u;
        sprites.SubmitSprite(quads::Glyph(c, x + advance * i, y, width, height));
    }
}

}  // namespace menu_drawing
