#include "world/Folders.h"

#include <algorithm>
#include <iterator>

#include "base/WideText.h"

Folders::Folders() {
    std::fill(std::begin(folderText), std::end(folderText), u'\0');
    base::WideCopy(folderText, u"data\\");
}
