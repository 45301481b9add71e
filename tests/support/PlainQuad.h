#pragma once
// An unscaled, untinted sprite request, as the scenes make them.

#include <cstdint>

#include "graphics/SpriteRequest.h"

inline SpriteRequest PlainQuad(int32_t x, int32_t y, int32_t width, int32_t height,
                               int32_t texture = 3) {
    SpriteRequest r{};
    r.x = x;
    r.y = y;
    r.width = width;
    r.height = height;
    r.srcWidth = width;
    r.srcHeight = height;
    r.scaleX = 1.0f;
    r.scaleY = 1.0f;
    r.color = 0xFFFFFFFFu;
    r.texture = texture;
    return r;
}
