#pragma once
// Canvas: the drawing surface every picture is painted on before it becomes
// a palette PNG.
//
// Pixels hold sRGB colours (channels 0..1) and a coverage value;
// shapes are composited over what is there ("over" with their coverage), and
// anti-aliased edges come from 4 x 4 supersampling. The texture the game makes
// has one bit of alpha, so a pixel counts as drawn once its coverage reaches
// one half; soft edges therefore only work against colours inside the
// picture, never against what the game draws underneath.
//
// Each pixel also carries two flags, taken from the canvas's current settings
// when something is drawn there: dither (gradients are dithered when they are
// reduced to the game's 5-bit channels, crisp art is not) and exact (small
// pixel art such as the cell tiles, whose colours must survive a palette
// reduction unchanged).

#include <cstdint>
#include <functional>
#include <vector>

namespace assetgen {

struct Color {
    float r = 0, g = 0, b = 0;
};

// 0xRRGGBB to a colour.
constexpr Color Hex(uint32_t rgb) {
    return Color{static_cast<float>((rgb >> 16) & 0xFF) / 255.0f,
                 static_cast<float>((rgb >> 8) & 0xFF) / 255.0f,
                 static_cast<float>(rgb & 0xFF) / 255.0f};
}
Color Mix(Color a, Color b, float t);  // a at t = 0, b at t = 1
Color Scale(Color c, float factor);    // each channel times factor (darker below 1)
Color Lighten(Color c, float amount);  // towards white by amount (0..1)

struct Pixel {
    Color color;
    float alpha = 0;  // coverage 0..1
    bool dither = false;
    bool exact = false;
};

// A mask of coverage values (0..1), such as rendered text.
struct Mask {
    int width = 0;
    int height = 0;
    std::vector<float> value;
    float At(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return 0.0f;
        return value[static_cast<size_t>(y) * width + x];
    }
    float& Ref(int x, int y) { return value[static_cast<size_t>(y) * width + x]; }
    void Resize(int w, int h) {
        width = w;
        height = h;
        value.assign(static_cast<size_t>(w) * h, 0.0f);
    }
};

class Canvas {
public:
    Canvas(int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }
    const Pixel& At(int x, int y) const { return pixels_[Index(x, y)]; }
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    // Dithering, and exact colours, for everything drawn from now on.
    void SetDither(bool on) { dither_ = on; }
    void SetExact(bool on) { exact_ = on; }
    // Limits drawing to a rectangle (x, y, w, h); Unclip lifts it.
    void Clip(int x, int y, int w, int h);
    void Unclip();

    // Puts colour c with coverage a over pixel (x, y); outside the clip nothing happens.
    void Blend(int x, int y, Color c, float a);
    // Sets a pixel outright (colour and full coverage, or clears it with a = 0).
    void Set(int x, int y, Color c, float a = 1.0f);
    void Clear(int x, int y);

    void FillRect(int x, int y, int w, int h, Color c, float a = 1.0f);
    // Colour by position: f(x, y) gives colour and coverage for each pixel of the rectangle.
    void Paint(int x, int y, int w, int h, const std::function<void(int, int, Color*, float*)>& f);

    // Anti-aliased shapes in pixel coordinates (pixel (x, y) covers x..x+1).
    // Coverage from 4 x 4 samples of the inside test.
    void FillShape(float left, float top, float right, float bottom,
                   const std::function<bool(float, float)>& inside,
                   const std::function<Color(float, float)>& color, float a = 1.0f);
    void FillCircle(float cx, float cy, float radius, Color c, float a = 1.0f);
    void FillRoundRect(float x, float y, float w, float h, float radius, Color c, float a = 1.0f);
    void FillPolygon(const std::vector<float>& xy, Color c, float a = 1.0f);

    // Draws a coverage mask at (x, y) in colour f(mask x, mask y) with the mask's coverage.
    void DrawMask(const Mask& mask, int x, int y, const std::function<Color(int, int)>& color,
                  float a = 1.0f);

    // Copies a rectangle of another canvas (pixels with their coverage) to (x, y).
    void CopyFrom(const Canvas& source, int sx, int sy, int w, int h, int x, int y);

private:
    size_t Index(int x, int y) const { return static_cast<size_t>(y) * width_ + x; }
    bool InClip(int x, int y) const {
        return x >= clipX0_ && y >= clipY0_ && x < clipX1_ && y < clipY1_;
    }

    int width_;
    int height_;
    std::vector<Pixel> pixels_;
    bool dither_ = false;
    bool exact_ = false;
    int clipX0_ = 0, clipY0_ = 0, clipX1_, clipY1_;
};

// Point-in-polygon by crossings (xy: x0, y0, x1, y1, ...).
bool InsidePolygon(const std::vector<float>& xy, float px, float py);

// Grows a mask by radius pixels (the largest value within a disc); used for outlines.
Mask Dilate(const Mask& mask, float radius);

}  // namespace assetgen
