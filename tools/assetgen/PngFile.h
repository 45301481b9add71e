#pragma once
// Writes pictures as PNG files: the game's palette pictures, and the
// full-colour pictures made for the desktop.

#include <filesystem>

#include "Canvas.h"
#include "Quantize.h"

namespace assetgen {

// An 8-bit palette PNG whose palette entry 0 is marked fully transparent
// (tRNS), as the game treats it. Throws std::runtime_error naming the file
// when it cannot be written.
void WritePalettePng(const std::filesystem::path& path, const IndexedPicture& picture);

// Writes a canvas as an 8-bit RGBA PNG, its coverage as the alpha channel.
// Throws std::runtime_error naming the file when it cannot be written.
void WriteRgbaPng(const std::filesystem::path& path, const Canvas& canvas);

}  // namespace assetgen
