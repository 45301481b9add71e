#include "world/CDungeon.h"

#include "audio/CXa2.h"
#include "world/MapSceneEntity.h"

void CDungeon::ServeBgmSwitch() {
    if (world_.bgmSwitchRequest == 1)
        audio_.SelectTrackForScene(world_);
}
