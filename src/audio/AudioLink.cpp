#include "audio/AudioLink.h"

#include <cstdio>

#include "platform/Dialogs.h"
#include "world/System.h"

bool AudioLink::SoundOn() const {
    return system != nullptr && (system->soundMode == 1 || system->soundMode == 2) &&
           system->soundDisabled == 0;
}

void AudioLink::ShowMessage(std::string_view text, std::string_view caption) const {
    if (dialogs != nullptr) {
        dialogs->Show(text, caption);
    } else {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
    }
}
