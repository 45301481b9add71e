#include "platform/SdlSession.h"

#include <SDL.h>

#include <cstdio>

#include "platform/GlDevice.h"

namespace platform {

SdlSession::SdlSession() {
    // Subsystems are started by the pieces that need them; this only makes
    // sure SDL is shut down after all of them.
    SDL_SetMainReady();
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
