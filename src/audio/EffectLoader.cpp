#include "audio/EffectLoader.h"

#include "audio/Audio.h"
#include "world/System.h"

bool EffectLoader::LoadEffect(std::u16string_view path, int slot) {
    switch (system_->sound.soundMode) {
        case SoundMode::kWave:
            return audio_->LoadWaveEffect(path, slot);
        case SoundMode::kOgg:
            return audio_->LoadOggEffect(path, slot);
        default:
            return true;
    }
}
