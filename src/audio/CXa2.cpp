#include "audio/CXa2.h"

#include "world/System.h"

void CXa2::ServiceIdleVoices() {
    if (system_ == nullptr)
        return;
    if ((system_->soundMode != 1 && system_->soundMode != 2) || system_->soundDisabled != 0)
        return;
    // No effect voices exist until the engine is made.
}
