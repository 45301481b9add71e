#pragma once
// SpriteRequest: one textured quad as a scene asks for it, in the 1280 x 720
// design space (origin top left, y down).
//
// Callers zero the whole record and set what they need, so a field left at 0
// means off or none; only scaleX and scaleY (1.0 for an unscaled quad) and
// color (0xFFFFFFFF for an untinted, opaque quad) must always be set.

#include <cstdint>

// How a quad is blended over what is below it. kNormal chooses by the quad's
// colour (plain alpha when untinted, else a tint or a blend factor); any value
// other than kNormal and kModulate blends as plain alpha.
enum class BlendMode : int32_t { kNormal = 0, kModulate = 1, kAlpha = 2 };

struct SpriteRequest {
    int32_t x;      // left edge of the destination, design pixels (may be negative)
    int32_t y;      // top edge of the destination
    int32_t width;  // destination size before scaling
    int32_t height;
    int32_t srcX;  // source cell in the texture, in texels
    int32_t srcY;
    int32_t srcWidth;
    int32_t srcHeight;
    float scaleX;  // scale about the pivot; 1.0 = none
    float scaleY;
    int32_t flip;  // 0 none, 1 left-right, 2 top-bottom, 3 both; other values act as 0
    float pivotX;  // pivot point from (x, y), in unscaled destination pixels
    float pivotY;
    int32_t angleX;  // AngleTable index (0..255): turn about the horizontal screen axis
    int32_t angleY;  // turn about the vertical screen axis
    int32_t angleZ;  // turn in the screen plane
    BlendMode blendMode;
    uint32_t color;   // 0xAARRGGBB: tint and opacity
    int32_t texture;  // texture slot number
};
static_assert(sizeof(SpriteRequest) == 19 * 4, "19 fields of 4 bytes, no padding");
