#include "graphics/CSetVerTex.h"

#include "graphics/CDx_Gr.h"
#include "world/Game.h"

CSetVerTex::CSetVerTex(Game& game)
    : graphics_(game.graphics.get()), system_(game.system.get()), mapScene_(game.mapScene.get()) {}

int32_t CSetVerTex::SubmitSprite(const SpriteRequest& request) {
    return graphics_->SubmitSprite(request);
}
