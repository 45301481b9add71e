#include "PngFile.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace assetgen {
namespace {

// libpng's errors jump back here; nothing in this frame needs destroying.
bool WriteRows(png_structp png, png_infop info, FILE* file, const IndexedPicture& picture,
               png_color* palette, int entries) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width),
                 static_cast<png_uint_32>(picture.height), 8, PNG_COLOR_TYPE_PALETTE,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_PLTE(png, info, palette, entries);
    png_byte alpha[1] = {0};
    png_set_tRNS(png, info, alpha, 1, nullptr);
    png_write_info(png, info);
    for (int y = 0; y < picture.height; ++y) {
        png_write_row(png, const_cast<png_bytep>(picture.indices.data() +
                                                 static_cast<size_t>(y) * picture.width));
    }
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

void WritePalettePng(const std::filesystem::path& path, const IndexedPicture& picture) {
    png_color palette[256] = {};
    const int entries = static_cast<int>(picture.palette.size());
    if (entries < 1 || entries > 256)
        throw std::runtime_error("palette of " + std::to_string(entries) +
                                 " entries: " + path.string());
    for (int i = 0; i < entries; ++i)
        palette[i] = {picture.palette[i][0], picture.palette[i][1], picture.palette[i][2]};

    FILE* file = std::fopen(path.string().c_str(), "wb");
    if (file == nullptr)
        throw std::runtime_error("cannot create " + path.string());
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    const bool written = info != nullptr && WriteRows(png, info, file, picture, palette, entries);
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file) != 0 || !written)
        throw std::runtime_error("cannot write " + path.string());
}

void WriteRgbaPng(const std::filesystem::path& path, const Canvas& canvas) {
    const auto byte = [](float v) {
        return static_cast<png_byte>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
    };
    std::vector<png_byte> rgba;
    rgba.reserve(static_cast<size_t>(canvas.Width()) * canvas.Height() * 4);
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            const Pixel& p = canvas.At(x, y);
            const bool clear = byte(p.alpha) == 0;  // no colour where nothing shows
            rgba.push_back(clear ? 0 : byte(p.color.r));
            rgba.push_back(clear ? 0 : byte(p.color.g));
            rgba.push_back(clear ? 0 : byte(p.color.b));
            rgba.push_back(byte(p.alpha));
        }
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(canvas.Width());
    image.height = static_cast<png_uint_32>(canvas.Height());
    image.format = PNG_FORMAT_RGBA;
    if (png_image_write_to_file(&image, path.string().c_str(), 0, rgba.data(), 0, nullptr) == 0) {
        const std::string reason = image.message;
        png_image_free(&image);
        throw std::runtime_error("cannot write " + path.string() + ": " + reason);
    }
}

}  // namespace assetgen
