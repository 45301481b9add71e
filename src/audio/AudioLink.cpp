#include "audio/AudioLink.h"

#include <cstdio>

#include "platform/Dialogs.h"
#include "world/SoundSettings.h"

bool AudioLink::SoundOn() const {
    return sound != nullptr && sound->Playing();
}

void AudioLink::ShowMessage(std::string_view text, std::string_view caption) const {
    if (dialogs != nullptr) {
        dialogs->Show(text, caption);
    } else {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
    }
}
