#pragma once
// The main window's event handler and the switch between window and full
// screen.
//
// The handler does very little: it keeps WindowFocus up to date, turns
// Esc and Alt+Enter into a close or a display-mode request, ends the run once
// the window is gone, and, while the game stands still, shows the last
// picture again whenever the desktop exposes or resizes the window. Sizes the
// desktop or the player gives the window are accepted as they are: the
// picture is letterboxed into whatever size the window has. When the desktop
// itself takes the window into full screen or out of it, the display mode
// follows.

#include "platform/Window.h"

class Game;

class WindowEvents {
public:
    WindowEvents(Game& game, platform::Window& window) : game_(game), window_(window) {}

    void Handle(const platform::WindowEvent& event);

    // Flips between window and full screen over the window's monitor, and
    // clears the request. Where a window manager or compositor runs, its own
    // full-screen state is used and it puts the window back; with none, the
    // window is made borderless and sized over the display by hand, and its
    // placement is restored on the way back.
    void SwitchDisplayMode();

    // Called on every pass of a still game: shows the last picture again a
    // few times after the desktop changed the window (see ShowPictureIfStill).
    void RefreshStillPicture();

private:
    void Close();
    void FollowDesktop(bool fullScreen);
    void ShowPictureIfStill();

    Game& game_;
    platform::Window& window_;
    platform::Placement savedPlacement_{};
    bool byHand_ = false;      // the current full screen was made by hand
    int stillPassesLeft_ = 0;  // passes during which the picture is shown again
};
