#include "graphics/PngPicture.h"

#include <png.h>

#include <cstring>

namespace {

constexpr uint16_t kTransparentTexel = 0x7C1F;

// What the error handler leaves behind for the caller's terminal line.
struct ErrorSink {
    char message[128] = {};
};

void OnPngError(png_structp png, png_const_charp message) {
    auto* sink = static_cast<ErrorSink*>(png_get_error_ptr(png));
    if (sink != nullptr && message != nullptr) {
        std::strncpy(sink->message, message, sizeof sink->message - 1);
        sink->message[sizeof sink->message - 1] = '\0';
    }
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {
    // Warnings concern chunks the game never reads; they change nothing.
}

uint16_t OpaqueTexel(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<uint16_t>(0x8000u | (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
}

// Reads the header and the image. Every libpng call that may fail jumps back
// to the setjmp here, so this frame holds no object with a destructor, and
// nothing it changes after setjmp is read after the jump.
PictureError ReadImage(png_structp png, png_infop info, FILE* file, Picture* out) {
    png_bytep rows[Picture::kSize];
    if (setjmp(png_jmpbuf(png)))
        return PictureError::kUnreadable;

    png_init_io(png, file);
    png_read_info(png, info);
    const int depth = png_get_bit_depth(png, info);
    const int colorType = png_get_color_type(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);

    // Depth: 16-bit channels are refused; sub-byte pixels become one byte each.
    if (depth > 8)
        return PictureError::kTooManyColors;
    if (depth < 8)
        png_set_packing(png);

    // Colour form: palette (copied whole) or RGB.
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        out->bitsPerPixel = 8;
        png_colorp palette = nullptr;
        int entries = 0;
        if (png_get_PLTE(png, info, &palette, &entries) != 0 && palette != nullptr) {
            for (int i = 0; i < entries && i < 256; ++i) {
                out->palette[i][0] = palette[i].red;
                out->palette[i][1] = palette[i].green;
                out->palette[i][2] = palette[i].blue;
            }
        }
    } else if (colorType == PNG_COLOR_TYPE_RGB) {
        out->bitsPerPixel = 24;
    } else {
        return PictureError::kUnsupportedColorType;
    }

    // Size: the rows must fit the 512 x 512 bitmap.
    if (width != Picture::kSize || height == 0 || height > Picture::kSize)
        return PictureError::kWrongSize;

    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const size_t stride = static_cast<size_t>(Picture::kSize) * (out->bitsPerPixel / 8);
    if (png_get_rowbytes(png, info) != stride)
        return PictureError::kUnreadable;

    // The whole image, each row straight into its place in the bitmap.
    out->firstRow = Picture::kSize - static_cast<int32_t>(height);
    out->pixels.assign(stride * Picture::kSize, 0);
    for (png_uint_32 i = 0; i < height; ++i)
        rows[i] = out->pixels.data() + (static_cast<size_t>(out->firstRow) + i) * stride;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    return PictureError::kNone;
}

}  // namespace

PictureError DecodePng(FILE* file, Picture* out, char* libpngMessage) {
    *out = Picture{};
    ErrorSink sink;
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, &sink, OnPngError, OnPngWarning);
    if (png == nullptr)
        return PictureError::kNoReadStruct;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return PictureError::kNoInfoStruct;
    }
    const PictureError result = ReadImage(png, info, file, out);
    png_destroy_read_struct(&png, &info, nullptr);
    if (result != PictureError::kNone) {
        out->pixels.clear();
        if (libpngMessage != nullptr)
            std::memcpy(libpngMessage, sink.message, sizeof sink.message);
    }
    return result;
}

const char* PictureErrorText(PictureError error) {
    switch (error) {
        case PictureError::kNone:
            return "";
        case PictureError::kNoReadStruct:
            return "PNG構造体を作成出来ません";
        case PictureError::kNoInfoStruct:
            return "PNG構造体を初期化出来ません";
        case PictureError::kTooManyColors:
            return "色数が多すぎます";
        case PictureError::kUnsupportedColorType:
            return "このパレットタイプには対応していません";
        case PictureError::kWrongSize:
            return "画像は幅512、高さ512以下でなければなりません";
        case PictureError::kUnreadable:
            return "PNGファイルが壊れているため読み込めません";
    }
    return "";
}

void PictureToTexels(const Picture& picture, uint16_t* texels) {
    constexpr int kSize = Picture::kSize;
    const bool covered =
        picture.pixels.size() == static_cast<size_t>(kSize) * kSize * (picture.bitsPerPixel / 8) &&
        picture.bitsPerPixel != 0;
    for (int y = 0; y < kSize; ++y) {
        uint16_t* row = texels + static_cast<size_t>(y) * kSize;
        if (!covered || y < picture.firstRow) {
            for (int x = 0; x < kSize; ++x)
                row[x] = kTransparentTexel;
            continue;
        }
        if (picture.bitsPerPixel == 8) {
            const uint8_t* index = picture.pixels.data() + static_cast<size_t>(y) * kSize;
            for (int x = 0; x < kSize; ++x) {
                const uint8_t p = index[x];
                row[x] = p == 0 ? kTransparentTexel
                                : OpaqueTexel(picture.palette[p][0], picture.palette[p][1],
                                              picture.palette[p][2]);
            }
        } else {
            const uint8_t* rgb = picture.pixels.data() + static_cast<size_t>(y) * kSize * 3;
            for (int x = 0; x < kSize; ++x)
                row[x] = OpaqueTexel(rgb[3 * x], rgb[3 * x + 1], rgb[3 * x + 2]);
        }
    }
}
