#include "audio/EffectLoader.h"

#include "audio/SoundEffects.h"
#include "world/System.h"

bool EffectLoader::LoadEffect(std::u16string_view path, int slot) {
    switch (system_->soundMode) {
        case 1:
            return effects_->LoadWave(path, slot);
        case 2:
            return effects_->LoadOgg(path, slot);
        default:
            return true;
    }
}
