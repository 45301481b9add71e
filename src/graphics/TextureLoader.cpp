#include "graphics/TextureLoader.h"

#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "graphics/Graphics.h"
#include "graphics/PngPicture.h"
#include "platform/Files.h"

namespace {

// Opens a picture file for reading; a folder is no file.
FILE* OpenPicture(const std::filesystem::path& path) {
    FILE* file = platform::OpenFile(path, "rb");
    if (file == nullptr)
        return nullptr;
    struct stat info {};
    if (fstat(fileno(file), &info) != 0 || S_ISDIR(info.st_mode)) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

}  // namespace

bool TextureLoader::LoadPicture(int32_t slot, const std::filesystem::path& path) {
    // The file.
    FILE* file = OpenPicture(path);
    if (file == nullptr)
        return Fail(path, "ファイルが見つかりません",
                    platform::DescribeFileFailure(path, "it is a folder, not a picture"));

    // The picture, checked whole before anything is kept.
    Picture picture;
    char libpngText[128] = {};
    const PictureError error = DecodePng(file, &picture, libpngText);
    std::fclose(file);
    if (error != PictureError::kNone) {
        if (libpngText[0] != '\0')
            std::fprintf(stderr, "Tessary: libpng: %s\n", libpngText);
        std::string detail =
            "could not load " + path.native() + ": not a 512 x 512 palette PNG the game can read";
        if (libpngText[0] != '\0')
            detail += std::string(" (libpng: ") + libpngText + ")";
        return Fail(path, PictureErrorText(error), detail);
    }

    // The texels, then the slot. A slot the device cannot fill stays empty.
    std::vector<uint16_t> texels(static_cast<size_t>(Picture::kSize) * Picture::kSize);
    PictureToTexels(picture, texels.data());
    if (!graphics_.FillTextureSlot(slot, texels.data())) {
        std::fprintf(stderr, "Tessary: texture slot %d could not be made; it stays empty\n",
                     static_cast<int>(slot));
    }
    return true;
}

bool TextureLoader::Fail(const std::filesystem::path& path, const char* message,
                         const std::string& detail) {
    std::string text = path.native();
    text += ' ';
    text += message;
    graphics_.ShowMessage(text, "Message", detail);
    return false;
}
