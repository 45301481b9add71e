#include "scenes/MusicSwitch.h"

#include "audio/Audio.h"
#include "world/WorldState.h"

void ServeMusicSwitch(WorldState& world, Audio& audio) {
    if (world.bgmSwitchRequest == 1)
        audio.music().SelectForScene(world);
}
