#include "world/CBGIcDX.h"

#include "graphics/CSetVerTex.h"

void CBGIcDX::DrawBackground(CSetVerTex& sprites) {
    SpriteRequest r{};
    r.x = 16;
    r.y = 0;
    r.width = 1536;
    r.height = 768;
    r.srcWidth = 512;
    r.srcHeight = 256;
    r.scaleX = 1.0f;
    r.scaleY = 1.0f;
    r.color = 0xFFFFFFFFu;
    r.texture = 3;
    sprites.SubmitSprite(r);
}
