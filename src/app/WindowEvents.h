#pragma once
// The main window's procedure and the switch between window and borderless
// full screen.
//
// The procedure does very little: it keeps MusicShared::active up to date, turns
// the two accelerator commands into a close or a display-mode request, keeps
// the client area at 16:9 while the player drags a border, and ends the
// message loop once the window is gone.

#include <cstdint>

#include "platform/Window.h"

class Game;

// Adjusts a proposed window rectangle so that its client area stays 16:9. The
// dragged edge decides which side gives way; at a corner the side that is too
// long is shortened and the edge opposite the corner stays put.
platform::Rect ApplySizingRule(int32_t edge, platform::Rect rect, int32_t frameWidth,
                               int32_t frameHeight, int32_t captionHeight);

class WindowEvents {
public:
    WindowEvents(Game& game, platform::Window& window) : game_(game), window_(window) {}

    void Handle(const platform::Message& message);

    // Flips between window and borderless full screen over the window's display,
    // remembering the windowed placement on the way out. Clears the request.
    void SwitchDisplayMode();

private:
    void Close();

    Game& game_;
    platform::Window& window_;
    platform::Placement savedPlacement_{};
};
