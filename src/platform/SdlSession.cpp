#include "platform/SdlSession.h"

#include <SDL.h>

#include <cstdio>

#include "platform/GlDevice.h"

namespace platform {

SdlSession::SdlSession() {
    // Subsystems are started by the pieces that need them; this only makes
    // sure SDL is shut down after all of them.
    SDL_SetMainReady();
    SDL_SetHint(SDL_HINT_APP_NAME, "Tessary");
    // The window's class (X11) and application id (Wayland) name the desktop
    // file, so that docks and task bars show its icon and group the window
    // with its launcher. SDL reads them from the environment; a value the
    // user set is kept.
    SDL_setenv("SDL_VIDEO_X11_WMCLASS", kApplicationId, 0);
    SDL_setenv("SDL_VIDEO_WAYLAND_WMCLASS", kApplicationId, 0);
    // On a Wayland desktop the game talks to the compositor itself, and falls
    // back to X11 (XWayland) when that fails; SDL 2 would try X11 first. A
    // driver the user names in SDL_VIDEODRIVER still decides.
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
    if ((asked == nullptr || asked[0] == '\0') && wayland != nullptr && wayland[0] != '\0')
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "wayland,x11");
}

SdlSession::~SdlSession() {
    // The summary of the GL debug output, when it was on.
    if (GlDebugOutputOn()) {
        const GlDebugCounts counts = GlDebugMessageCounts();
        std::fprintf(stderr, "OpenGL debug: %llu errors, %llu warnings\n",
                     static_cast<unsigned long long>(counts.errors),
                     static_cast<unsigned long long>(counts.warnings));
    }
    SDL_Quit();
}

}  // namespace platform
