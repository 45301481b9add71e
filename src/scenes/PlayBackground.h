#pragma once
// The play scene's background.

class Graphics;

// One quad: the 512 x 256 play picture of texture 3, drawn three times its
// size from x 16, so its visible part fills the play area.
void DrawPlayBackground(Graphics& sprites);
