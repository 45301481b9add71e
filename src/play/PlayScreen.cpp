#include "play/PlayScreen.h"

#include <cstdio>

#include "graphics/Graphics.h"
#include "graphics/Quads.h"
#include "play/Board.h"
#include "play/PlayState.h"

namespace {

constexpr int32_t kPlayTexture = 3;
constexpr int32_t kTitleTexture = 2;

constexpr int32_t kPreviewX[kPreviews] = {808, 952, 1096, 1096, 1096, 1096};
constexpr int32_t kPreviewY[kPreviews] = {24, 24, 24, 168, 312, 456};

constexpr int32_t kScoreSlots = 11;
constexpr int32_t kLevelSlots = 10;
constexpr int32_t kPauseSlots = 11;

// A cell tile or a game-over bar: both pivot on the centre of a 24-pixel cell.
void SubmitPlayQuad(Graphics& sprites, int32_t x, int32_t y, int32_t width, int32_t height,
                    int32_t srcX, int32_t srcY, int32_t srcWidth, int32_t srcHeight) {
    SpriteRequest r = quads::Quad(x, y, width, height, srcX, srcY, srcWidth, srcHeight,
                                  quads::kOpaqueWhite, kPlayTexture);
    r.pivotX = 12.0f;
    r.pivotY = 12.0f;
    sprites.SubmitSprite(r);
}

void SubmitTile(Graphics& sprites, int32_t code, int32_t x, int32_t y) {
    SubmitPlayQuad(sprites, x, y, 24, 24, 192 + 8 * code, 256, 8, 8);
}

// Slots from the last down to the first, 16 pixels apart; a slot past the end
// of the text shows the glyph of code 0.
void SubmitText(Graphics& sprites, const char* text, int32_t length, int32_t slots, int32_t x,
                int32_t y) {
    for (int32_t k = slots - 1; k >= 0; --k) {
        const uint32_t ch = k < length ? static_cast<unsigned char>(text[k]) : 0u;
        sprites.SubmitSprite(quads::Glyph(ch, x + 16 * k, y, 32, 64));
    }
}

// snprintf's length, clamped to what the buffer holds.
int32_t Formatted(int written, int32_t capacity) {
    if (written < 0)
        return 0;
    return written < capacity ? written : capacity - 1;
}

}  // namespace

void DrawPlayScreen(const PlayState& play, bool paused, Graphics& sprites) {
    // Previews and the falling piece, box cell 15 down to 0.
    if (!paused) {
        const ShapeBox& falling = ShapeTable[play.queue[0] + 1][play.rotation];
        for (int32_t i = PlayState::kBoxCells - 1; i >= 0; --i) {
            const int32_t dx = 24 * (i % 4);
            const int32_t dy = 24 * (i / 4);
            for (int32_t n = 0; n < kPreviews; ++n) {
                const int32_t code = ShapeTable[play.queue[n + 1] + 1][0][i];
                SubmitTile(sprites, code, kPreviewX[n] + dx, kPreviewY[n] + dy);
            }
            if (falling[i] != 0)
                SubmitTile(sprites, falling[i], kBoardLeft + play.pieceX + dx, play.pieceY + dy);
        }
    }

    // Score, level and the pause text. The score is unsigned but shown
    // signed; a buffer wider than the 11 slots keeps any value whole.
    char text[24];
    int32_t length = Formatted(
        std::snprintf(text, sizeof text, "%10d", static_cast<int32_t>(play.score)), sizeof text);
    SubmitText(sprites, text, length, kScoreSlots, 310, 24);
    length = Formatted(std::snprintf(text, sizeof text, "Level %2d", play.level + 1), sizeof text);
    SubmitText(sprites, text, length, kLevelSlots, 298, 120);
    if (paused) {
        static constexpr char kPause[] = "P A U S E";
        SubmitText(sprites, kPause, sizeof kPause - 1, kPauseSlots, 568, 288);
        return;
    }

    // The board in index order, walls, floor and row 29 included.
    for (int32_t index = 0; index < PlayState::kCells; ++index) {
        SubmitTile(sprites, play.board[index], kBoardLeft + 24 * (index % PlayState::kColumns),
                   24 * (index / PlayState::kColumns));
    }
}

void DrawGameOverBars(Graphics& sprites, int32_t count) {
    // Bar 0 lies just below the screen and bars from 31 on above it; all are submitted.
    for (int32_t j = 0; j < count; ++j)
        SubmitPlayQuad(sprites, 16, 720 - 24 * j, 1280, 24, 0, 248, 416, 8);
}

void DrawGameOverPicture(Graphics& sprites) {
    sprites.SubmitSprite(
        quads::Quad(220, 240, 768, 132, 255, 43, 181, 43, quads::kOpaqueWhite, kTitleTexture));
}
