#include "audio/EffectLoader.h"

#include "audio/SoundEffects.h"
#include "world/SoundSettings.h"

bool EffectLoader::LoadEffect(const std::filesystem::path& path, int slot) {
    switch (mode_) {
        case SoundMode::kWave:
            return effects_->LoadWave(path, slot);
        case SoundMode::kOgg:
            return effects_->LoadOgg(path, slot);
        default:
            return true;
    }
}
