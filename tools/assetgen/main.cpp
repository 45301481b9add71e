// assetgen: makes the game's data folder.
//
//   assetgen <data folder> <VL-Gothic-Regular.ttf>
//
// Writes the pictures and the picture list (grp/), the program's icon at the
// desktop's sizes (icons/), the sound sets (wav/ and ogg/, with their lists and
// loop files) and a copy of the font (VLGothic/VL-Gothic-Regular.ttf). Everything is made from
// code; the font is the only file taken from outside, and the glyph sheet is drawn from it.

#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>

#include "Pictures.h"
#include "sound/SoundSets.h"

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: assetgen <data folder> <VL-Gothic-Regular.ttf>\n");
        return 2;
    }
    const std::filesystem::path data = argv[1];
    const std::filesystem::path font = argv[2];
    try {
        const auto start = std::chrono::steady_clock::now();
        std::filesystem::create_directories(data);

        // 1. Pictures and their list, and the icon.
        assetgen::WritePictureSet(data, font);
        assetgen::WriteIcons(data);
        const double pictures = SecondsSince(start);

        // 2. The font the game registers at start-up.
        std::filesystem::create_directories(data / "VLGothic");
        std::filesystem::copy_file(font, data / "VLGothic" / "VL-Gothic-Regular.ttf",
                                   std::filesystem::copy_options::overwrite_existing);

        // 3. Effects and music.
        const auto soundStart = std::chrono::steady_clock::now();
        assetgen::WriteSoundSets(data);
        const double sounds = SecondsSince(soundStart);

        std::printf("assetgen: pictures %.2f s, sounds %.2f s, total %.2f s\n", pictures, sounds,
                    SecondsSince(start));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "assetgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
