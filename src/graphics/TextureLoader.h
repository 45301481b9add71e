#pragma once
// TextureLoader: makes one texture slot from a PNG picture file.
//
// The picture is decoded (PngPicture), turned into 512 x 512 16-bit texels
// (palette index 0 transparent, every other colour opaque 5-5-5) and handed to
// the graphics object's texture table. Every failure shows the path and what
// went wrong, joined by one space, with the caption "Message".

#include <cstdint>
#include <filesystem>
#include <string>

class Graphics;

class TextureLoader {
public:
    TextureLoader(Graphics& graphics, int32_t texelBits)
        : graphics_(graphics), texelBits_(texelBits) {}

    // Decodes the PNG at path into texture slot `slot`. False, after the
    // message, when the file is missing or cannot be used. A texture the device
    // cannot make leaves the slot empty and still counts as loaded.
    bool LoadPicture(int32_t slot, const std::filesystem::path& path);

    int32_t texelBits() const { return texelBits_; }

private:
    bool Fail(const std::filesystem::path& path, const char* message, const std::string& detail);

    Graphics& graphics_;
    int32_t texelBits_;  // 16: the 1-5-5-5 texel form, the only one the game makes
};
