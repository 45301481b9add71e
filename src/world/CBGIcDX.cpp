#include "world/CBGIcDX.h"

#include "graphics/CSetVerTex.h"
#include "graphics/Quads.h"

void CBGIcDX::DrawBackground(CSetVerTex& sprites) {
    sprites.SubmitSprite(quads::Quad(16, 0, 1536, 768, 0, 0, 512, 256, quads::kOpaqueWhite, 3));
}
