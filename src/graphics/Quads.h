#pragma once
// Small builders for the quads every scene submits: a plain unscaled,
// unturned quad from a source cell, and a glyph from the glyph sheet.

#include <cstdint>

#include "graphics/SpriteRequest.h"

namespace quads {

constexpr uint32_t kOpaqueWhite = 0xFFFFFFFFu;
constexpr int32_t kGlyphTexture = 6;

// A zero-filled request with only the named fields set, scale 1.
inline SpriteRequest Quad(int32_t x, int32_t y, int32_t width, int32_t height, int32_t srcX,
                          int32_t srcY, int32_t srcWidth, int32_t srcHeight, uint32_t color,
                          int32_t texture) {
    SpriteRequest r{};
    r.x = x;
    r.y = y;
    r.width = width;
    r.height = height;
    r.srcX = srcX;
    r.srcY = srcY;
    r.srcWidth = srcWidth;
    r.srcHeight = srcHeight;
    r.scaleX = 1.0f;
    r.scaleY = 1.0f;
    r.color = color;
    r.texture = texture;
    return r;
}

// The glyph of character code c: the sheet's 16 x 32 cell in column c & 15,
// row (c & 0xF0) / 16, drawn width x height at (x, y) in opaque white.
inline SpriteRequest Glyph(uint32_t c, int32_t x, int32_t y, int32_t width, int32_t height) {
    return Quad(x, y, width, height, static_cast<int32_t>((c & 0x0Fu) * 16),
                static_cast<int32_t>((c & 0xF0u) * 2), 16, 32, kOpaqueWhite, kGlyphTexture);
}

}  // namespace quads
