#pragma once
// Writes a palette picture as an 8-bit palette PNG whose palette entry 0 is
// marked fully transparent (tRNS), as the game treats it.

#include <filesystem>

#include "Quantize.h"

namespace assetgen {

// Throws std::runtime_error naming the file when it cannot be written.
void WritePalettePng(const std::filesystem::path& path, const IndexedPicture& picture);

}  // namespace assetgen
