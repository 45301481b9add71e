#include "platform/Dialogs.h"

#include <cstdio>

namespace platform {

void ShowOrPrint(Dialogs* dialogs, std::string_view text, std::string_view caption) {
    if (dialogs != nullptr) {
        dialogs->Show(text, caption);
    } else {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
    }
}

}  // namespace platform
