#include "Font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <climits>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace assetgen {

struct Font::Handles {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

Font::Font(const std::filesystem::path& file) : ft_(new Handles) {
    if (FT_Init_FreeType(&ft_->library) != 0) {
        delete ft_;
        throw std::runtime_error("FT_Init_FreeType failed");
    }
    if (FT_New_Face(ft_->library, file.string().c_str(), 0, &ft_->face) != 0) {
        FT_Done_FreeType(ft_->library);
        delete ft_;
        throw std::runtime_error("FT_New_Face cannot open the font " + file.string());
    }
}

Font::~Font() {
    FT_Done_Face(ft_->face);
    FT_Done_FreeType(ft_->library);
    delete ft_;
}

RenderedText Font::Render(std::string_view text, const TextStyle& style) {
    FT_Face face = ft_->face;
    if (FT_Set_Char_Size(face, static_cast<FT_F26Dot6>(std::lround(style.emWidth * 64)),
                         static_cast<FT_F26Dot6>(std::lround(style.emHeight * 64)), 72, 72) != 0) {
        throw std::runtime_error("FT_Set_Char_Size failed");
    }
    const FT_Int32 load =
        FT_LOAD_NO_BITMAP | (style.hinted ? FT_LOAD_TARGET_LIGHT : FT_LOAD_NO_HINTING);

    // 1. Each glyph's bitmap at its pen position (pixels, y up from the baseline).
    struct Placed {
        int x, top, width, rows;
        std::vector<float> coverage;
    };
    std::vector<Placed> placed;
    float pen = 0;
    const FT_Pos strength = static_cast<FT_Pos>(std::lround(style.embolden * 64));
    for (unsigned char ch : text) {
        if (FT_Load_Char(face, ch, load) != 0)
            throw std::runtime_error(std::string("FT_Load_Char failed for ") +
                                     static_cast<char>(ch));
        FT_GlyphSlot slot = face->glyph;
        if (strength != 0)
            FT_Outline_Embolden(&slot->outline, strength);
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0)
            throw std::runtime_error("FT_Render_Glyph failed");
        const FT_Bitmap& bitmap = slot->bitmap;
        Placed p{static_cast<int>(std::lround(pen)) + slot->bitmap_left,
                 slot->bitmap_top,
                 static_cast<int>(bitmap.width),
                 static_cast<int>(bitmap.rows),
                 {}};
        p.coverage.resize(static_cast<size_t>(p.width) * p.rows);
        for (int y = 0; y < p.rows; ++y) {
            for (int x = 0; x < p.width; ++x)
                p.coverage[static_cast<size_t>(y) * p.width + x] =
                    bitmap.buffer[y * bitmap.pitch + x] / 255.0f;
        }
        placed.push_back(std::move(p));
        pen += static_cast<float>(slot->advance.x) / 64.0f + style.embolden + style.tracking;
    }

    // 2. The ink's bounds, then the glyphs into one mask.
    int left = INT_MAX, right = INT_MIN, top = INT_MIN, bottom = INT_MAX;
    for (const Placed& p : placed) {
        if (p.width == 0 || p.rows == 0)
            continue;
        left = std::min(left, p.x);
        right = std::max(right, p.x + p.width);
        top = std::max(top, p.top);
        bottom = std::min(bottom, p.top - p.rows);
    }
    RenderedText out;
    out.advance = static_cast<int>(std::lround(pen - style.tracking));
    if (left == INT_MAX)
        return out;  // nothing but blanks
    out.mask.Resize(right - left, top - bottom);
    out.baseline = top;
    out.originX = -left;
    for (const Placed& p : placed) {
        for (int y = 0; y < p.rows; ++y) {
            for (int x = 0; x < p.width; ++x) {
                float& v = out.mask.Ref(p.x - left + x, top - p.top + y);
                v = std::min(1.0f, v + p.coverage[static_cast<size_t>(y) * p.width + x]);
            }
        }
    }
    return out;
}

}  // namespace assetgen
