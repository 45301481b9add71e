#pragma once
// The game's pictures, each painted on a 512 x 512 canvas at the texel places
// the game draws from. Slots 1, 4 and 7 are unused and have no picture.

#include <filesystem>

#include "Canvas.h"
#include "Font.h"

namespace assetgen {

inline constexpr int kPictureSize = 512;

Canvas MakeTitleBackground();          // slot 0: the scrolling night sky of the title
Canvas MakeTitlePictures(Font& font);  // slot 2: logo, menu items, loading and game-over pictures
Canvas MakePlayPictures(Font& font);   // slot 3: play background, cell tiles, game-over bar
Canvas MakeWindowPictures();           // slot 5: window bodies and borders, the highlight
Canvas MakeGlyphSheet(Font& font);     // slot 6: 16 x 32 glyph cells of the character codes
Canvas MakeIcon(int size);             // the program's icon: the title's badge, size x size

// The sizes the icon is drawn at, for the desktop's icon theme and the window.
inline constexpr int kIconSizes[] = {48, 64, 128, 256};

// Writes every picture to <dataFolder>/grp/tex_000n.png and the picture list
// <dataFolder>/grp/grp_0003.txt. Throws std::runtime_error on a failure.
void WritePictureSet(const std::filesystem::path& dataFolder,
                     const std::filesystem::path& fontFile);

// Writes the icon at each size as <dataFolder>/icons/tessary-<size>.png, with
// full alpha (these are for the desktop, not textures of the game).
void WriteIcons(const std::filesystem::path& dataFolder);

}  // namespace assetgen
