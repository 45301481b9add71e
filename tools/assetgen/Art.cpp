#include "Art.h"

#include <algorithm>
#include <cmath>

namespace assetgen {
namespace {

// The mask with a border of pad empty pixels around it.
Mask Padded(const Mask& mask, int pad) {
    Mask out;
    out.Resize(mask.width + 2 * pad, mask.height + 2 * pad);
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x)
            out.Ref(x + pad, y + pad) = mask.At(x, y);
    }
    return out;
}

uint32_t Hash(int x, int y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

float Smooth(float t) {
    return t * t * (3.0f - 2.0f * t);
}

}  // namespace

RenderedText RenderAt(Font& font, std::string_view text, float em, float widthRatio, float boldness,
                      float tracking) {
    // Small text is grid-fitted, so its letters keep even gaps.
    return font.Render(text, TextStyle{em * widthRatio, em, em * boldness, tracking, em < 16.0f});
}

float FitEm(Font& font, std::string_view text, int w, int h, float widthRatio, float boldness,
            float tracking) {
    float em = static_cast<float>(h);
    RenderedText out = RenderAt(font, text, em, widthRatio, boldness, tracking);
    // Scale towards the box a few times, then step down until it fits.
    for (int pass = 0; pass < 4 && out.mask.width > 0; ++pass) {
        const float fit = std::min(static_cast<float>(w) / static_cast<float>(out.mask.width),
                                   static_cast<float>(h) / static_cast<float>(out.mask.height));
        em *= fit;
        out = RenderAt(font, text, em, widthRatio, boldness, tracking);
    }
    while (out.mask.width > w || out.mask.height > h) {
        em *= 0.97f;
        out = RenderAt(font, text, em, widthRatio, boldness, tracking);
    }
    return em;
}

RenderedText RenderFitted(Font& font, std::string_view text, int w, int h, float widthRatio,
                          float boldness, float tracking) {
    const float em = FitEm(font, text, w, h, widthRatio, boldness, tracking);
    return RenderAt(font, text, em, widthRatio, boldness, tracking);
}

void DrawStyledText(Canvas& canvas, const RenderedText& text, int x, int y, const TextLook& look) {
    const int pad = static_cast<int>(std::ceil(look.outlineRadius)) + 1;
    const Mask fill = Padded(text.mask, pad);
    const Mask outline = Dilate(fill, look.outlineRadius);
    const int ox = x - pad;
    const int oy = y - pad;
    auto solid = [](float v) { return std::min(1.0f, v * 2.0f); };
    if (look.shadowX != 0 || look.shadowY != 0) {
        for (int j = 0; j < outline.height; ++j) {
            for (int i = 0; i < outline.width; ++i) {
                if (outline.At(i, j) > 0.0f)
                    canvas.Blend(ox + i + look.shadowX, oy + j + look.shadowY, look.shadow,
                                 solid(outline.At(i, j)));
            }
        }
    }
    for (int j = 0; j < outline.height; ++j) {
        for (int i = 0; i < outline.width; ++i) {
            if (outline.At(i, j) > 0.0f)
                canvas.Blend(ox + i, oy + j, look.outline, solid(outline.At(i, j)));
        }
    }
    const float rows = static_cast<float>(std::max(1, text.mask.height - 1));
    canvas.DrawMask(fill, ox, oy, [&](int, int j) {
        const float t = std::clamp(static_cast<float>(j - pad) / rows, 0.0f, 1.0f);
        return Mix(look.top, look.bottom, t);
    });
}

void DrawCellTile(Canvas& canvas, int x, int y, Color base) {
    const Color light = Lighten(base, 0.5f);
    const Color glint = Lighten(base, 0.8f);
    const Color dark = Scale(base, 0.45f);
    const Color corner = Scale(base, 0.75f);
    for (int j = 0; j < 8; ++j) {
        for (int i = 0; i < 8; ++i) {
            Color c;
            if ((i == 7 && j == 0) || (i == 0 && j == 7))
                c = corner;
            else if (i == 0 || j == 0)
                c = light;
            else if (i == 7 || j == 7)
                c = dark;
            else if ((i == 1 && j <= 2) || (j == 1 && i <= 2))
                c = glint;
            else
                c = Mix(Lighten(base, 0.12f), Scale(base, 0.78f),
                        static_cast<float>(i + j - 2) / 10.0f);
            canvas.Set(x + i, y + j, c);
        }
    }
}

void DrawWallTile(Canvas& canvas, int x, int y) {
    const Color base = kWallColor;
    for (int j = 0; j < 8; ++j) {
        for (int i = 0; i < 8; ++i) {
            Color c = base;
            if ((i == 7 && j == 0) || (i == 0 && j == 7))
                c = Scale(base, 0.8f);
            else if (i == 0 || j == 0)
                c = Lighten(base, 0.35f);
            else if (i == 7 || j == 7)
                c = Scale(base, 0.42f);
            else if (i >= 3 && i <= 4 && j >= 3 && j <= 4)
                c = (i == 3 && j == 3) ? Lighten(base, 0.55f) : Lighten(base, 0.2f);
            else if ((i == 5 && j >= 3 && j <= 5) || (j == 5 && i >= 3 && i <= 5))
                c = Scale(base, 0.6f);
            else
                c = Scale(base, 0.9f);
            canvas.Set(x + i, y + j, c);
        }
    }
}

void DrawBlock(Canvas& canvas, float x, float y, float size, Color base, float alpha) {
    const float bevel = std::max(1.0f, size * 0.16f);
    const Color light = Lighten(base, 0.45f);
    const Color dark = Scale(base, 0.5f);
    canvas.FillShape(
        x, y, x + size, y + size, [](float, float) { return true; },
        [=](float px, float py) {
            const float l = px - x, t = py - y, r = x + size - px, b = y + size - py;
            // The bevel: top and left edges lit, bottom and right shaded, and a
            // middle tone where a lit edge meets a shaded one.
            const float m = std::min({l, t, r, b});
            if (m < bevel) {
                if (m == l || m == t)
                    return (m == l && b < bevel) || (m == t && r < bevel) ? Scale(base, 0.8f)
                                                                          : light;
                return dark;
            }
            const float u = (l + t) / (2.0f * size);
            return Mix(Lighten(base, 0.12f), Scale(base, 0.8f), u);
        },
        alpha);
}

float PeriodicNoise(float x, float y, float cell, int periodX, int periodY, uint32_t seed) {
    const int nx = std::max(1, static_cast<int>(std::lround(static_cast<float>(periodX) / cell)));
    const int ny = std::max(1, static_cast<int>(std::lround(static_cast<float>(periodY) / cell)));
    const float fx = x / (static_cast<float>(periodX) / static_cast<float>(nx));
    const float fy = y / (static_cast<float>(periodY) / static_cast<float>(ny));
    const int ix = static_cast<int>(std::floor(fx));
    const int iy = static_cast<int>(std::floor(fy));
    const float tx = Smooth(fx - static_cast<float>(ix));
    const float ty = Smooth(fy - static_cast<float>(iy));
    auto value = [&](int i, int j) {
        const int wx = ((i % nx) + nx) % nx;
        const int wy = ((j % ny) + ny) % ny;
        return static_cast<float>(Hash(wx, wy, seed) & 0xFFFF) / 65535.0f;
    };
    const float top = value(ix, iy) + (value(ix + 1, iy) - value(ix, iy)) * tx;
    const float bottom = value(ix, iy + 1) + (value(ix + 1, iy + 1) - value(ix, iy + 1)) * tx;
    return top + (bottom - top) * ty;
}

void DrawStars(Canvas& canvas, int x, int y, int w, int h, int count, uint32_t seed, int periodY) {
    Random random(seed);
    auto plot = [&](int px, int py, Color c, float a) {
        if (periodY > 0)
            py = y + (((py - y) % periodY) + periodY) % periodY;
        canvas.Blend(px, py, c, a);
    };
    for (int n = 0; n < count; ++n) {
        const int px = x + random.Below(w);
        const int py = y + random.Below(h);
        const float kind = random.Unit();
        const Color tint = random.Unit() < 0.3f ? Hex(0xFFE6B0) : Hex(0xDDE4FF);
        if (kind < 0.08f) {
            // A bright star with a small cross.
            plot(px, py, Hex(0xFFFFFF), 1.0f);
            const Color arm = Mix(tint, kNightMid, 0.35f);
            plot(px - 1, py, arm, 1.0f);
            plot(px + 1, py, arm, 1.0f);
            plot(px, py - 1, arm, 1.0f);
            plot(px, py + 1, arm, 1.0f);
        } else {
            const float brightness = 0.25f + 0.6f * random.Unit();
            plot(px, py, tint, brightness);
        }
    }
}

}  // namespace assetgen
