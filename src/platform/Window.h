#pragma once
// The main window and its event queue.
//
// The system's events are translated into the few typed events the game
// handles, and queued; the frame loop takes at most one per pass. Keyboard
// events never become window events (input is polled), except Esc and
// Alt+Enter.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/Outcome.h"

namespace platform {

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// The side or corner of the window a player's resize dragged.
enum class Edge : uint8_t {
    kNone,
    kLeft,
    kRight,
    kTop,
    kTopLeft,
    kTopRight,
    kBottom,
    kBottomLeft,
    kBottomRight,
};

struct WindowEvent {
    enum class Kind : uint8_t {
        kCloseAsked,     // the close button, Alt+F4 or a signal: close now
        kEscapePressed,  // Esc: a close is asked on the next pass
        kFocusGained,
        kFocusLost,
        kFullScreenAsked,   // Alt+Enter: flip between window and full screen
        kExposed,           // the picture on screen was lost and must be shown again
        kSizeSetByDesktop,  // maximise, restore, tiling, full screen or a frame change
        kSizeDragged,       // the player dragged a border: edge and the new outer bounds
        // The desktop took the window into its full screen, or out of it, by itself.
        kFullScreenByDesktop,
        kWindowedByDesktop,
        kWindowGone,  // the window was destroyed: the frame loop ends
    };
    Kind kind = Kind::kWindowGone;
    Edge edge = Edge::kNone;
    Rect rect{};
    friend bool operator==(const WindowEvent&, const WindowEvent&) = default;
};

// Where a window stands when it is windowed, so that it can be put back.
struct Placement {
    Rect bounds{};  // outer bounds in screen coordinates
    bool maximized = false;
    friend bool operator==(const Placement&, const Placement&) = default;
};

class Window {
public:
    virtual ~Window() = default;

    // Makes the main window, hidden, with a client area of the given size. A
    // failure gives the system's words where it gave any.
    virtual base::Outcome Create(const char* title, int32_t clientWidth, int32_t clientHeight) = 0;
    virtual void Show() = 0;
    // Destroys the window; nothing happens when there is none.
    virtual void Destroy() = 0;
    virtual bool Exists() const = 0;

    // Collects the system's pending events into the queue. Called every frame.
    virtual void PumpEvents() = 0;
    // Takes the oldest queued event; false when the queue is empty.
    virtual bool TakeEvent(WindowEvent* out) = 0;
    virtual void PostEvent(const WindowEvent& event) = 0;

    // Outer bounds of the window in screen coordinates.
    virtual bool GetRect(Rect* out) = 0;
    virtual bool GetPlacement(Placement* out) = 0;
    virtual void SetPlacement(const Placement& placement) = 0;
    // Bounds of the display the window is on (the first display when that
    // cannot be told), in screen coordinates.
    virtual bool DisplayBounds(Rect* out) = 0;
    virtual void SetBordered(bool bordered) = 0;
    // True when a window manager or compositor runs that takes the window into
    // its own full-screen state and back; false with none (a bare X server),
    // where the program must cover the display itself.
    virtual bool DesktopHandlesFullScreen() { return false; }
    // Asks the desktop for its full-screen state over the window's monitor, or
    // out of it: the desktop puts the window back where it was. False when
    // the request could not be made.
    virtual bool SetDesktopFullScreen(bool /*on*/) { return false; }
    // Moves and sizes the window; this never produces a size event.
    virtual void SetBounds(const Rect& bounds) = 0;
    virtual void ShowCursor() = 0;
    // Gives the window the picture of a PNG file as its icon; false (with the
    // reason on standard error) when the file cannot be used.
    virtual bool SetIcon(const std::filesystem::path& /*pngFile*/) { return false; }
};

}  // namespace platform
