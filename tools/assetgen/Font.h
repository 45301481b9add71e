#pragma once
// Font: text rendered with FreeType from a TrueType file into coverage masks.
//
// Sizes are given as the em square in pixels, separately across and down, so
// text can be drawn narrower or wider than the font's own proportions (for
// pictures the game stretches unevenly, and for the tall glyph cells).

#include <filesystem>
#include <string_view>

#include "Canvas.h"

namespace assetgen {

struct TextStyle {
    float emWidth = 16;   // pixels
    float emHeight = 16;  // pixels
    float embolden = 0;   // extra stroke width in pixels (0: the font's own weight)
    float tracking = 0;   // extra pixels between letters
    bool hinted = false;  // grid-fitted outlines: crisper at small sizes
};

// Rendered text: its coverage, cropped to the ink, and where the pen started.
struct RenderedText {
    Mask mask;
    int baseline = 0;  // mask row of the baseline
    int originX = 0;   // mask column of the pen's start (may be negative)
    int advance = 0;   // pen travel in pixels
};

class Font {
public:
    // Throws std::runtime_error when FreeType or the file cannot be used.
    explicit Font(const std::filesystem::path& file);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    RenderedText Render(std::string_view text, const TextStyle& style);

private:
    struct Handles;
    Handles* ft_;
};

}  // namespace assetgen
