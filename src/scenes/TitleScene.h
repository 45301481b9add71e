#pragma once
// The title-scene frame, run by the frame loop while the scene state is the
// title.

#include <cstdint>

struct SceneLinks;

// One title frame. In order: the sprite list is emptied;
// the title is drawn; the menu takes its step (not while textures are being
// made); the screen fade and the music fade take a step; then the fade
// overlay, the border masks and the diagnostic line go on top.
void RunTitleSceneFrame(const SceneLinks& links);
