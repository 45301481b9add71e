#include "platform/Dialogs.h"

#include <cstdio>

namespace platform {

void ShowOrPrint(Dialogs* dialogs, std::string_view text, std::string_view caption,
                 std::string_view detail) {
    if (dialogs != nullptr) {
        dialogs->Show(text, caption, detail);
        return;
    }
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
    if (!detail.empty())
        std::fprintf(stderr, "%.*s\n", static_cast<int>(detail.size()), detail.data());
}

}  // namespace platform
