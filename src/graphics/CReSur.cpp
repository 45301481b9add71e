#include "graphics/CReSur.h"

#include "world/MapSceneEntity.h"

bool CReSur::RecreateTextures() {
    // No texture slots are filled yet, so there is nothing to rebuild; the
    // pictures are ready for the scenes again.
    (void)graphics_;
    (void)system_;
    if (mapScene_ != nullptr)
        mapScene_->loadingFlag = 0;
    return true;
}
