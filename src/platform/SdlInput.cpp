#include "platform/SdlInput.h"

#include <SDL.h>

namespace platform {

bool SdlKeyboard::AsyncKeyState(uint8_t) {
    (void)window_;
    return false;
}

SdlGamePads::~SdlGamePads() = default;

uint32_t SdlGamePads::GetState(int, PadState* out) {
    *out = PadState{};
    return kNotConnected;
}

}  // namespace platform
