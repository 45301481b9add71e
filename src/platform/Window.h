#pragma once
// The main window and its message queue.
//
// The system's events are translated into the few messages the game's window
// procedure handles, and queued; the frame loop takes at most one per pass.
// Keyboard events never become messages (input is polled), except Esc and
// Alt+Enter, which arrive as commands 40 and 50.

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

enum class MessageId : int32_t {
    kQuit,      // ends the message loop
    kClose,     // the player asked to close the window
    kDestroy,   // the window has been destroyed
    kActivate,  // wParam 1: focus gained, 0: focus lost
    kCommand,   // wParam: command id
    kSizing,    // the player resized the window: wParam is the edge, rect the proposed bounds
};

// Edges of a sizing message, numbered as the sizing rule expects.
enum SizingEdge : int32_t {
    kEdgeLeft = 1,
    kEdgeRight = 2,
    kEdgeTop = 3,
    kEdgeTopLeft = 4,
    kEdgeTopRight = 5,
    kEdgeBottom = 6,
    kEdgeBottomLeft = 7,
    kEdgeBottomRight = 8,
};

inline constexpr int32_t kCommandClose = 40;             // Esc
inline constexpr int32_t kCommandToggleFullScreen = 50;  // Alt+Enter

struct Message {
    MessageId id = MessageId::kQuit;
    int32_t wParam = 0;
    Rect rect{};
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

    // Makes the main window, hidden, with a client area of the given size.
    virtual bool Create(const char* title, int32_t clientWidth, int32_t clientHeight) = 0;
    // Why the last Create failed, in the system's words where it gave any.
    virtual std::string FailureReason() const { return {}; }
    virtual void Show() = 0;
    // Destroys the window; nothing happens when there is none.
    virtual void Destroy() = 0;
    virtual bool Exists() const = 0;

    // Collects the system's pending events into the queue. Called every frame.
    virtual void PumpEvents() = 0;
    // Takes the oldest queued message; false when the queue is empty.
    virtual bool TakeMessage(Message* out) = 0;
    virtual void PostMessage(const Message& message) = 0;

    // Outer bounds of the window in screen coordinates.
    virtual bool GetRect(Rect* out) = 0;
    virtual bool GetPlacement(Placement* out) = 0;
    virtual void SetPlacement(const Placement& placement) = 0;
    // Bounds of the display the window is on (the first display when that
    // cannot be told), in screen coordinates.
    virtual bool DisplayBounds(Rect* out) = 0;
    virtual void SetBordered(bool bordered) = 0;
    // Moves and sizes the window; this never produces a sizing message.
    virtual void SetBounds(const Rect& bounds) = 0;
    virtual void ShowCursor() = 0;
    // Gives the window the picture of a PNG file as its icon; false (with the
    // reason on standard error) when the file cannot be used.
    virtual bool SetIcon(std::u16string_view /*pngFile*/) { return false; }

    // Frame metrics around the client area: 0 where the window manager draws the frame.
    virtual int32_t FrameWidth() const { return 0; }
    virtual int32_t FrameHeight() const { return 0; }
    virtual int32_t CaptionHeight() const { return 0; }
};

}  // namespace platform
