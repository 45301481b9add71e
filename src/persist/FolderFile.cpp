#include "persist/FolderFile.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "base/WideText.h"
#include "platform/Files.h"
#include "world/Folders.h"

FolderFile::FolderFile(Folders& folders) : FolderFile(folders, platform::SystemFiles()) {}

base::Outcome FolderFile::Load(const std::filesystem::path& path) {
    uint8_t bytes[2 + kTextBytes] = {};
    size_t size = 0;
    if (base::Outcome read = platform::ReadFilePrefix(path, bytes, sizeof bytes, &size, files_);
        !read)
        return read;
    Decode(bytes, size);
    return {};
}

base::Outcome FolderFile::Save(const std::filesystem::path& path) {
    const std::u16string_view text = base::WideView(folders_.folderText);
    std::string bytes;
    bytes.reserve(2 + 2 * text.size());
    bytes += '\xFF';
    bytes += '\xFE';
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return platform::ReplaceFile(path, bytes.data(), bytes.size(), files_);
}

void FolderFile::Decode(const uint8_t* bytes, size_t size) {
    // The first two bytes (the byte-order mark) are skipped unchecked; of the
    // rest at most 80 units count, and a missing odd byte reads as zero.
    uint8_t text[kTextBytes] = {};
    if (bytes != nullptr && size > 2) {
        std::memcpy(text, bytes + 2, std::min(size - 2, kTextBytes));
    }
    constexpr size_t kUnits = kTextBytes / 2;
    static_assert(kUnits < Folders::kFolderTextUnits, "folder text must fit with its terminator");
    char16_t units[kUnits] = {};
    for (size_t i = 0; i < kUnits; ++i) {
        units[i] = static_cast<char16_t>(text[2 * i] | text[2 * i + 1] << 8);
    }
    const std::u16string_view view(units, base::WideLength(units, kUnits));

    Folders& f = folders_;
    std::fill(std::begin(f.folderText), std::end(f.folderText), u'\0');
    base::WideCopy(f.folderText, view);
    f.dataFolderName = base::PathFromStored(view);
}
