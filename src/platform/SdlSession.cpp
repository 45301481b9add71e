#include "platform/SdlSession.h"

#include <SDL.h>

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
}

SdlSession::~SdlSession() {
    SDL_Quit();
}

}  // namespace platform
