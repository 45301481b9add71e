#include "platform/SdlSession.h"

#include <SDL.h>

namespace platform {

SdlSession::SdlSession() {
    // Subsystems are started by the pieces that need them; this only makes
    // sure SDL is shut down after all of them.
    SDL_SetMainReady();
}

SdlSession::~SdlSession() {
    SDL_Quit();
}

}  // namespace platform
