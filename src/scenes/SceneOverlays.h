#pragma once
// The drawing and the fade that both scene frames share: the screen fade's
// per-frame step and its overlay, the four border masks that hide everything
// outside the visible area, and the diagnostic line below it.
//
// Every quad starts from a zero-filled SpriteRequest, unscaled and unflipped.

#include <cstdint>

class Graphics;
class WorldState;
struct Display;

namespace scene_overlays {

// Texture number and source cell of the untextured black quads (fade, masks).
constexpr int32_t kMaskTexture = 120;
constexpr int32_t kMaskCellX = 32;
constexpr int32_t kMaskCellSize = 16;
// The diagnostic line always takes this many glyph quads.
constexpr int kDiagnosticGlyphs = 36;

// One frame of the screen fade: a fade-out request raises fadeLevel by 5 up
// to 255 and stays set; then a fade-in request lowers it by 5, and once it is
// 0 clears both requests.
void StepScreenFade(WorldState& world);

// The full-screen black quad whose opacity is fadeLevel.
void DrawFadeOverlay(Graphics& sprites, const Display& display, const WorldState& world);

// Four black quads around the visible area (x 16 .. 16 + layoutWidth, y 0 ..
// layoutHeight): top, bottom, left, right.
void DrawBorderMasks(Graphics& sprites, const Display& display);

// " %8d %8d %8d %8d" of 1296 once play has been started (else 0) and three
// zeros, as 36 glyph quads at y = layoutHeight, 10 pixels apart; a longer
// text is cut, a shorter one filled with the glyph of code 0.
void DrawDiagnosticLine(Graphics& sprites, const Display& display, const WorldState& world);

}  // namespace scene_overlays
