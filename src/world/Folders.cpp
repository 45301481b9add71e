#include "world/Folders.h"

#include <algorithm>
#include <iterator>

#include "base/WideText.h"

Folders::Folders() {
    std::fill(std::begin(folderText), std::end(folderText), u'\0');
    base::WideCopy(folderText, u"data\\");
}

void Folders::SetResourceFolder() {
    if (folderRelative != 0) {
        base::WideCopy(resourceFolder, base::WideView(programFolder));
        base::WideAppend(resourceFolder, base::WideView(folderTextCopy));
    } else {
        base::WideCopy(resourceFolder, base::WideView(folderTextCopy));
    }
}
