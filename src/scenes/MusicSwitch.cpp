#include "scenes/MusicSwitch.h"

#include "audio/Audio.h"
#include "world/WorldState.h"

void MusicSwitch::ServeBgmSwitch() {
    if (world_.bgmSwitchRequest == 1)
        audio_.music().SelectForScene(world_);
}
