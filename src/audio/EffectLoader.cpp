#include "audio/EffectLoader.h"

#include "audio/Audio.h"
#include "world/System.h"

bool EffectLoader::LoadEffect(std::u16string_view path, int slot) {
    switch (system_->soundMode) {
        case 1:
            return audio_->LoadWaveEffect(path, slot);
        case 2:
            return audio_->LoadOggEffect(path, slot);
        default:
            return true;
    }
}
