#include "scenes/PlayBackground.h"

#include "graphics/Graphics.h"
#include "graphics/Quads.h"

void DrawPlayBackground(Graphics& sprites) {
    sprites.SubmitSprite(quads::Quad(16, 0, 1536, 768, 0, 0, 512, 256, quads::kOpaqueWhite, 3));
}
