#include "world/Folders.h"

#include <algorithm>
#include <iterator>

#include "base/WideText.h"

Folders::Folders() {
    std::fill(std::begin(folderText), std::end(folderText), u'\0');
    base::WideCopy(folderText, u"data\\");
}

void Folders::SetResourceFolder() {
    resourceFolder =
        folderRelative != 0 ? programFolder / dataFolderName.relative_path() : dataFolderName;
}

std::filesystem::path Folders::ListedFile(std::u16string_view listedName) const {
    return resourceFolder / base::PathFromStored(listedName).relative_path();
}
