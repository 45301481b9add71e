#include "scenes/SceneOverlays.h"

#include <cstdio>

#include "graphics/Graphics.h"
#include "graphics/Quads.h"
#include "world/Display.h"
#include "world/WorldState.h"

namespace scene_overlays {
namespace {

using quads::kOpaqueWhite;
using quads::Quad;

constexpr int kFadeStep = 5;
constexpr int kDiagnosticUnits = 64;

SpriteRequest MaskQuad(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t color) {
    return Quad(x, y, width, height, kMaskCellX, 0, kMaskCellSize, kMaskCellSize, color,
                kMaskTexture);
}

}  // namespace

void StepScreenFade(WorldState& world) {
    if (world.fadeOutRequest != 0) {
        const int raised = world.fadeLevel + kFadeStep;
        world.fadeLevel = static_cast<uint8_t>(raised > 255 ? 255 : raised);
    }
    if (world.fadeInRequest != 0) {
        if (world.fadeLevel > 0) {
            const int lowered = world.fadeLevel - kFadeStep;
            world.fadeLevel = static_cast<uint8_t>(lowered < 0 ? 0 : lowered);
        } else {
            world.fadeLevel = 0;
            world.fadeOutRequest = 0;
            world.fadeInRequest = 0;
        }
    }
}

void DrawFadeOverlay(Graphics& sprites, const Display& display, const WorldState& world) {
    const uint32_t color = static_cast<uint32_t>(world.fadeLevel) << 24 | 0xFFFFFFu;
    sprites.SubmitSprite(MaskQuad(0, 0, display.screenWidth, display.screenHeight, color));
}

void DrawBorderMasks(Graphics& sprites, const Display& display) {
    const int32_t w = display.layoutWidth;
    const int32_t h = display.layoutHeight;
    sprites.SubmitSprite(MaskQuad(-256, -256, w + 512, 256, kOpaqueWhite));    // top
    sprites.SubmitSprite(MaskQuad(-256, h, w + 512, 256, kOpaqueWhite));       // bottom
    sprites.SubmitSprite(MaskQuad(-240, -256, 256, h + 512, kOpaqueWhite));    // left
    sprites.SubmitSprite(MaskQuad(w + 16, -256, 256, h + 512, kOpaqueWhite));  // right
}

void DrawDiagnosticLine(Graphics& sprites, const Display& display, const WorldState& world) {
    // The first value marks a game started from the title; the others
    // stay 0.
    constexpr int32_t kGameStartedMark = 1296;
    char text[kDiagnosticUnits] = {};
    std::snprintf(text, sizeof text, " %8d %8d %8d %8d",
                  world.diagnostic.gameStarted ? kGameStartedMark : 0, 0, 0, 0);
    for (int k = 0; k < kDiagnosticGlyphs; ++k) {
        const int32_t c = static_cast<unsigned char>(text[k]);
        sprites.SubmitSprite(
            quads::Glyph(static_cast<uint32_t>(c), 10 * k, display.layoutHeight, 16, 32));
    }
}

}  // namespace scene_overlays
