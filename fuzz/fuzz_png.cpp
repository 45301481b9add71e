// PNG picture decoder: any bytes are decoded the way texture loading decodes
// a picture file, and a picture that decodes is turned into texels. Nothing
// may crash, leak or read out of bounds; a decoded picture must fill the
// whole 512 x 512 bitmap.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "graphics/PngPicture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (file == nullptr)
        return 0;  // fmemopen refuses an empty buffer
    Picture picture;
    const PictureError error = DecodePng(file, &picture);
    std::fclose(file);
    if (error != PictureError::kNone)
        return 0;
    const size_t bytes = static_cast<size_t>(Picture::kSize) * Picture::kSize *
                         static_cast<size_t>(picture.bitsPerPixel / 8);
    if ((picture.bitsPerPixel != 8 && picture.bitsPerPixel != 24) ||
        picture.pixels.size() != bytes || picture.firstRow < 0 ||
        picture.firstRow >= Picture::kSize) {
        std::abort();
    }
    static std::vector<uint16_t> texels(static_cast<size_t>(Picture::kSize) * Picture::kSize);
    PictureToTexels(picture, texels.data());
    return 0;
}
