#include "app/WindowEvents.h"

#include "app/Game.h"
#include "graphics/Graphics.h"
#include "world/System.h"

void WindowEvents::Handle(const platform::WindowEvent& event) {
    using Kind = platform::WindowEvent::Kind;
    System& system = *game_.system;
    switch (event.kind) {
        case Kind::kFocusGained:
            system.focus.active = true;
            break;
        case Kind::kFocusLost:
            system.focus.active = false;
            break;
        case Kind::kCloseAsked:
            Close();
            break;
        case Kind::kEscapePressed:
            window_.PostEvent({Kind::kCloseAsked});
            break;
        case Kind::kFullScreenAsked:
            system.display.screenModeRequest = 1;
            break;
        case Kind::kExposed:
            // The desktop lost what the window showed: the next frame draws
            // it whole, and a still window shows it again now.
            if (game_.graphics != nullptr)
                game_.graphics->InvalidatePicture();
            ShowPictureIfStill();
            break;
        case Kind::kSizeSetByDesktop:
        case Kind::kSizeDragged:
            ShowPictureIfStill();
            break;
        case Kind::kFullScreenByDesktop:
        case Kind::kWindowedByDesktop:
            FollowDesktop(event.kind == Kind::kFullScreenByDesktop);
            ShowPictureIfStill();
            break;
        case Kind::kWindowGone:
            break;  // the frame loop ends on this event before it gets here
    }
}

void WindowEvents::Close() {
    window_.ShowCursor();
    const bool existed = window_.Exists();
    window_.Destroy();
    if (existed)
        window_.PostEvent({platform::WindowEvent::Kind::kWindowGone});
}

namespace {
// For two seconds after a change, five times a second.
constexpr int kStillPasses = 120;
constexpr int kStillPassesApart = 12;
}  // namespace

// An active game draws every frame anyway; a still one would leave the
// desktop with black or a picture of the old size. One present is not
// always enough: GNOME's Xwayland can take the window's new size only after
// the present that followed the resize and keep the old picture on screen,
// so the picture is shown again for a while after.
void WindowEvents::ShowPictureIfStill() {
    if (game_.system->focus.active || game_.graphics == nullptr)
        return;
    game_.graphics->PresentLastPicture();
    stillPassesLeft_ = kStillPasses;
}

void WindowEvents::RefreshStillPicture() {
    if (stillPassesLeft_ == 0)
        return;
    --stillPassesLeft_;
    if (game_.system->focus.active) {
        stillPassesLeft_ = 0;
    } else if (stillPassesLeft_ % kStillPassesApart == 0 && game_.graphics != nullptr) {
        game_.graphics->PresentLastPicture();
    }
}

// The desktop changed the mode without the game (a window-manager key, menu or
// command): the display mode and its option row follow, so that the next
// switch goes the other way. A full screen made by hand is the game's alone.
void WindowEvents::FollowDesktop(bool fullScreen) {
    System& system = *game_.system;
    if (byHand_ && system.display.screenMode == 1)
        return;
    byHand_ = false;
    system.display.screenMode = fullScreen ? 1 : 0;
    system.display.screenModeChoice = system.display.screenMode;
}

void WindowEvents::SwitchDisplayMode() {
    System& system = *game_.system;
    system.display.screenMode = system.display.screenMode == 0 ? 1 : 0;
    if (system.display.screenMode == 1) {
        byHand_ = !window_.DesktopHandlesFullScreen() || !window_.SetDesktopFullScreen(true);
        platform::Rect display;
        if (byHand_ && window_.GetPlacement(&savedPlacement_) && window_.DisplayBounds(&display)) {
            window_.SetBordered(false);
            window_.SetBounds(display);
        }
    } else if (byHand_) {
        window_.SetBordered(true);
        window_.SetPlacement(savedPlacement_);
        window_.Show();
    } else {
        window_.SetDesktopFullScreen(false);
    }
    system.display.screenModeChoice = system.display.screenMode;
    system.display.screenModeRequest = 0;
    ShowPictureIfStill();
}
