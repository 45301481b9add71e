#include "Canvas.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

Color Mix(Color a, Color b, float t) {
    return Color{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Color Scale(Color c, float factor) {
    return Color{std::clamp(c.r * factor, 0.0f, 1.0f), std::clamp(c.g * factor, 0.0f, 1.0f),
                 std::clamp(c.b * factor, 0.0f, 1.0f)};
}

Color Lighten(Color c, float amount) {
    return Mix(c, Color{1, 1, 1}, amount);
}

Canvas::Canvas(int width, int height)
    : width_(width),
      height_(height),
      pixels_(static_cast<size_t>(width) * height),
      clipX1_(width),
      clipY1_(height) {}

void Canvas::Clip(int x, int y, int w, int h) {
    clipX0_ = std::max(0, x);
    clipY0_ = std::max(0, y);
    clipX1_ = std::min(width_, x + w);
    clipY1_ = std::min(height_, y + h);
}

void Canvas::Unclip() {
    clipX0_ = 0;
    clipY0_ = 0;
    clipX1_ = width_;
    clipY1_ = height_;
}

void Canvas::Blend(int x, int y, Color c, float a) {
    if (!InClip(x, y) || a <= 0.0f)
        return;
    a = std::min(a, 1.0f);
    Pixel& p = pixels_[Index(x, y)];
    // "Over" for straight colours: the result's colour is the coverage-weighted mix.
    const float out = a + p.alpha * (1.0f - a);
    const float keep = p.alpha * (1.0f - a) / out;
    p.color = Color{c.r * (a / out) + p.color.r * keep, c.g * (a / out) + p.color.g * keep,
                    c.b * (a / out) + p.color.b * keep};
    p.alpha = out;
    p.dither = dither_;
    p.exact = exact_;
}

void Canvas::Set(int x, int y, Color c, float a) {
    if (!InClip(x, y))
        return;
    Pixel& p = pixels_[Index(x, y)];
    p.color = c;
    p.alpha = a;
    p.dither = dither_;
    p.exact = exact_;
}

void Canvas::Clear(int x, int y) {
    Set(x, y, Color{}, 0.0f);
}

void Canvas::FillRect(int x, int y, int w, int h, Color c, float a) {
    for (int j = y; j < y + h; ++j) {
        for (int i = x; i < x + w; ++i)
            Blend(i, j, c, a);
    }
}

void Canvas::Paint(int x, int y, int w, int h,
                   const std::function<void(int, int, Color*, float*)>& f) {
    for (int j = y; j < y + h; ++j) {
        for (int i = x; i < x + w; ++i) {
            if (!InClip(i, j))
                continue;
            Color c;
            float a = 1.0f;
            f(i, j, &c, &a);
            Blend(i, j, c, a);
        }
    }
}

void Canvas::FillShape(float left, float top, float right, float bottom,
                       const std::function<bool(float, float)>& inside,
                       const std::function<Color(float, float)>& color, float a) {
    constexpr int kSamples = 4;
    const int x0 = static_cast<int>(std::floor(left));
    const int y0 = static_cast<int>(std::floor(top));
    const int x1 = static_cast<int>(std::ceil(right));
    const int y1 = static_cast<int>(std::ceil(bottom));
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            if (!InClip(x, y))
                continue;
            int hits = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const float px =
                        static_cast<float>(x) + (static_cast<float>(sx) + 0.5f) / kSamples;
                    const float py =
                        static_cast<float>(y) + (static_cast<float>(sy) + 0.5f) / kSamples;
                    hits += inside(px, py) ? 1 : 0;
                }
            }
            if (hits > 0) {
                const float cx = static_cast<float>(x) + 0.5f;
                const float cy = static_cast<float>(y) + 0.5f;
                Blend(x, y, color(cx, cy), a * static_cast<float>(hits) / (kSamples * kSamples));
            }
        }
    }
}

void Canvas::FillCircle(float cx, float cy, float radius, Color c, float a) {
    FillShape(
        cx - radius, cy - radius, cx + radius, cy + radius,
        [=](float x, float y) {
            return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
        },
        [=](float, float) { return c; }, a);
}

void Canvas::FillRoundRect(float x, float y, float w, float h, float radius, Color c, float a) {
    FillShape(
        x, y, x + w, y + h,
        [=](float px, float py) {
            const float dx = std::max({x + radius - px, 0.0f, px - (x + w - radius)});
            const float dy = std::max({y + radius - py, 0.0f, py - (y + h - radius)});
            return dx * dx + dy * dy <= radius * radius;
        },
        [=](float, float) { return c; }, a);
}

bool InsidePolygon(const std::vector<float>& xy, float px, float py) {
    bool inside = false;
    const size_t n = xy.size() / 2;
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        const float xi = xy[2 * i], yi = xy[2 * i + 1];
        const float xj = xy[2 * j], yj = xy[2 * j + 1];
        if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi)
            inside = !inside;
    }
    return inside;
}

void Canvas::FillPolygon(const std::vector<float>& xy, Color c, float a) {
    float left = xy[0], right = xy[0], top = xy[1], bottom = xy[1];
    for (size_t i = 0; i + 1 < xy.size(); i += 2) {
        left = std::min(left, xy[i]);
        right = std::max(right, xy[i]);
        top = std::min(top, xy[i + 1]);
        bottom = std::max(bottom, xy[i + 1]);
    }
    FillShape(
        left, top, right, bottom, [&](float px, float py) { return InsidePolygon(xy, px, py); },
        [=](float, float) { return c; }, a);
}

void Canvas::DrawMask(const Mask& mask, int x, int y, const std::function<Color(int, int)>& color,
                      float a) {
    for (int j = 0; j < mask.height; ++j) {
        for (int i = 0; i < mask.width; ++i) {
            const float v = mask.At(i, j);
            if (v > 0.0f)
                Blend(x + i, y + j, color(i, j), v * a);
        }
    }
}

void Canvas::CopyFrom(const Canvas& source, int sx, int sy, int w, int h, int x, int y) {
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            if (source.Inside(sx + i, sy + j) && InClip(x + i, y + j))
                pixels_[Index(x + i, y + j)] = source.At(sx + i, sy + j);
        }
    }
}

Mask Dilate(const Mask& mask, float radius) {
    Mask out;
    out.Resize(mask.width, mask.height);
    const int r = static_cast<int>(std::ceil(radius));
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            float best = 0.0f;
            for (int dy = -r; dy <= r; ++dy) {
                for (int dx = -r; dx <= r; ++dx) {
                    if (static_cast<float>(dx * dx + dy * dy) <= radius * radius + 0.01f)
                        best = std::max(best, mask.At(x + dx, y + dy));
                }
            }
            out.Ref(x, y) = best;
        }
    }
    return out;
}

}  // namespace assetgen
