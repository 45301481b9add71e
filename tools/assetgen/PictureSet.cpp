#include <cstdio>
#include <string>
#include <vector>

#include "ListFile.h"
#include "Pictures.h"
#include "PngFile.h"
#include "Quantize.h"

namespace assetgen {
namespace {

constexpr int kListRecords = 64;
constexpr const char* kNoPicture = "null0000.png";

// "grp\tex_000n.png": the list name of slot n's picture (16 characters).
std::string ListName(int slot) {
    char name[32];
    std::snprintf(name, sizeof name, "grp\\tex_%04d.png", slot);
    return name;
}

}  // namespace

void WritePictureSet(const std::filesystem::path& dataFolder,
                     const std::filesystem::path& fontFile) {
    const std::filesystem::path folder = dataFolder / "grp";
    std::filesystem::create_directories(folder);
    Font font(fontFile);

    struct Made {
        int slot;
        Canvas canvas;
    };
    std::vector<Made> pictures;
    pictures.push_back({0, MakeTitleBackground()});
    pictures.push_back({2, MakeTitlePictures(font)});
    pictures.push_back({3, MakePlayPictures(font)});
    pictures.push_back({5, MakeWindowPictures()});
    pictures.push_back({6, MakeGlyphSheet(font)});

    // Slots 0..7 name a picture or "null0000.png"; the rest of the 64 records are empty.
    std::vector<std::string> names(kListRecords);
    for (int slot = 0; slot < 8; ++slot)
        names[static_cast<size_t>(slot)] = kNoPicture;
    for (const Made& made : pictures) {
        const IndexedPicture picture = Quantize(made.canvas);
        char file[32];
        std::snprintf(file, sizeof file, "tex_%04d.png", made.slot);
        WritePalettePng(folder / file, picture);
        names[static_cast<size_t>(made.slot)] = ListName(made.slot);
        std::printf("assetgen: grp/%s: %zu colours", file, picture.palette.size() - 1);
        if (picture.reducedFrom > 0)
            std::printf(" (median cut from %d, %d kept exact)", picture.reducedFrom,
                        picture.keptExact);
        std::printf("\n");
    }
    WriteListFile(folder / "grp_0003.txt", names);
}

void WriteIcons(const std::filesystem::path& dataFolder) {
    const std::filesystem::path folder = dataFolder / "icons";
    std::filesystem::create_directories(folder);
    for (const int size : kIconSizes) {
        const std::string file = "tessary-" + std::to_string(size) + ".png";
        WriteRgbaPng(folder / file, MakeIcon(size));
        std::printf("assetgen: icons/%s\n", file.c_str());
    }
}

}  // namespace assetgen
