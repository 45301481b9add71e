#include <SDL.h>

#include <cstdio>
#include <string>

#include "platform/Dialogs.h"

namespace platform {

void SdlDialogs::Show(std::string_view text, std::string_view caption, std::string_view detail) {
    std::string textZ(text);
    const std::string captionZ(caption);
    const std::string detailZ(detail);
    // The terminal lines come first and always: without a display the box
    // cannot be shown, and the player (or a test) still learns what happened.
    std::fprintf(stderr, "Tessary: %s: %s\n", captionZ.c_str(), textZ.c_str());
    if (!detailZ.empty()) {
        std::fprintf(stderr, "Tessary: %s\n", detailZ.c_str());
        textZ += "\n" + detailZ;
    }
    std::fflush(stderr);
    const Uint32 kind = captionZ == "Error" ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
    // Blocks until the player presses OK. A failure to show it is not an error.
    SDL_ShowSimpleMessageBox(kind, captionZ.c_str(), textZ.c_str(), nullptr);
}

}  // namespace platform
