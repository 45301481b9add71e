#include "audio/AudioLink.h"

#include "platform/Dialogs.h"
#include "world/SoundSettings.h"

bool AudioLink::SoundOn() const {
    return sound.Playing();
}

void AudioLink::ShowMessage(std::string_view text, std::string_view caption,
                            std::string_view detail) const {
    platform::ShowOrPrint(dialogs, text, caption, detail);
}
