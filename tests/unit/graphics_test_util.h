#pragma once
// What the graphics tests share: a PNG writer (every picture a test loads is
// made by the test itself, with libpng), and a way to keep Mesa's driver
// loaded once a test has drawn with it.

#include <dlfcn.h>
#include <link.h>
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

struct PngLayout {
    uint32_t width = 512;
    uint32_t height = 512;
    int colorType = PNG_COLOR_TYPE_PALETTE;
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<png_color> palette;  // palette pictures only
    // Sample c (0-based channel) of pixel (x, y): a palette index, a grey
    // level or a colour channel, within the bit depth.
    std::function<uint32_t(uint32_t x, uint32_t y, int c)> sample;
};

inline int ChannelsOf(int colorType) {
    switch (colorType) {
        case PNG_COLOR_TYPE_RGB:
            return 3;
        case PNG_COLOR_TYPE_RGB_ALPHA:
            return 4;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            return 2;
        default:
            return 1;
    }
}

// Writes the picture's header and rows; libpng's errors jump back here.
inline bool WritePngRows(png_structp png, png_infop info, FILE* file, const PngLayout& layout,
                         std::vector<uint8_t>* row) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, layout.width, layout.height, layout.bitDepth, layout.colorType,
                 layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (layout.colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_PLTE(png, info, layout.palette.data(), static_cast<int>(layout.palette.size()));
    png_write_info(png, info);
    if (layout.bitDepth < 8)
        png_set_packing(png);  // rows below hold one sample per byte
    if (layout.bitDepth == 16)
        png_set_swap(png);  // rows below hold native little-endian samples
    const int passes = layout.interlaced ? png_set_interlace_handling(png) : 1;
    const int channels = ChannelsOf(layout.colorType);
    const size_t bytesPerSample = layout.bitDepth == 16 ? 2 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        for (uint32_t y = 0; y < layout.height; ++y) {
            for (uint32_t x = 0; x < layout.width; ++x) {
                for (int c = 0; c < channels; ++c) {
                    const uint32_t value = layout.sample(x, y, c);
                    const size_t at = (static_cast<size_t>(x) * channels + c) * bytesPerSample;
                    (*row)[at] = static_cast<uint8_t>(value);
                    if (bytesPerSample == 2)
                        (*row)[at + 1] = static_cast<uint8_t>(value >> 8);
                }
            }
            png_write_row(png, row->data());
        }
    }
    png_write_end(png, nullptr);
    return true;
}

// Writes the picture to path; false when the file cannot be written.
inline bool WritePng(const std::string& path, const PngLayout& layout) {
    std::vector<uint8_t> row(static_cast<size_t>(layout.width) * ChannelsOf(layout.colorType) *
                             (layout.bitDepth == 16 ? 2 : 1));
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    const bool written = WritePngRows(png, info, file, layout, &row);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0 && written;
}

// Writes an RGB screenshot (rows from the top, 3 bytes a pixel).
inline bool WriteScreenshot(const std::string& path, const std::vector<uint8_t>& rgb,
                            uint32_t width, uint32_t height) {
    PngLayout layout;
    layout.width = width;
    layout.height = height;
    layout.colorType = PNG_COLOR_TYPE_RGB;
    layout.sample = [&](uint32_t x, uint32_t y, int c) -> uint32_t {
        return rgb[(static_cast<size_t>(y) * width + x) * 3 + c];
    };
    return WritePng(path, layout);
}

// Keeps the GL driver that is loaded now (Mesa's *_dri.so) in memory until the
// process ends. Drawing makes the driver keep memory of its own; when the last
// window goes, the driver is unloaded and the leak checker of the sanitizer
// build would report that memory as lost (see platform_test_environment.cpp).
inline void KeepGlDriverLoaded() {
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            const char* name = info->dlpi_name;
            if (name != nullptr && (std::strstr(name, "_dri.so") != nullptr ||
                                    std::strstr(name, "libgallium") != nullptr)) {
                dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            }
            return 0;
        },
        nullptr);
}

// Makes the graphics device on the GL device `gpu` and keeps its driver
// loaded; skips the test where this system has no OpenGL 3.3 core context,
// fails it on any other failure.
#define CREATE_DEVICE_OR_SKIP(graphics, gpu)                                 \
    do {                                                                     \
        if (!(graphics).CreateDevice()) {                                    \
            if ((gpu).failure() == platform::GlFailure::kNoContext)         \
                GTEST_SKIP() << "no OpenGL 3.3 core context here";           \
            FAIL() << "the graphics device could not be made";               \
        }                                                                    \
        KeepGlDriverLoaded();                                                \
    } while (false)
