#pragma once
// The main window on SDL, and the translator that turns SDL's events into the
// few typed events the game handles.
//
// An SDL event filter sees every event as SDL produces it. It translates the
// ones the game cares about into WindowEvents, appends them to a fixed ring,
// and drops every event from SDL's own queue, so nothing piles up there while
// the frame loop takes one event per pass. Key presses are also
// recorded as "pressed since the last poll" flags, so that input sampling sees
// a tap that was released before the frame polled the keyboard, and game pads
// coming and going are counted, so that the pads know when to look again.
//
// Full screen is the desktop's own where a window manager or compositor runs.
// Sizes the desktop sets are taken as they come, and a border drag is free:
// the picture is letterboxed into any size. (Aspect hints would keep a drag
// at 16:9 on X11, but KWin applies them to maximised and tiled windows too,
// which then leave strips of the desktop showing.) On a Wayland output whose
// scale changes under the window the drawable follows it (WaylandScale). When the desktop takes the window into or out of full screen
// by itself, an event says so. The first window shrinks to a 16:9 size that fits a small
// screen's usable area.
//
// Only one SdlWindow may exist at a time: the event filter is process-wide.

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/WaylandScale.h"
#include "platform/Window.h"

struct SDL_Window;
union SDL_Event;

namespace platform {

class SdlWindow final : public Window {
public:
    static constexpr int kQueueCapacity = 256;
    static constexpr int kScancodeCount = 512;

    SdlWindow() = default;
    ~SdlWindow() override;
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;

    base::Outcome Create(const char* title, int32_t clientWidth, int32_t clientHeight) override;
    void Show() override;
    // Destroys the window and removes the event filter; queued events stay.
    void Destroy() override;
    bool Exists() const override { return window_ != nullptr; }

    void PumpEvents() override;
    bool TakeEvent(WindowEvent* out) override;
    // Appends an event; when the queue is full the new event is dropped.
    void PostEvent(const WindowEvent& event) override;

    bool GetRect(Rect* out) override;
    bool GetPlacement(Placement* out) override;
    void SetPlacement(const Placement& placement) override;
    bool DisplayBounds(Rect* out) override;
    void SetBordered(bool bordered) override;
    // Wayland always has a compositor; on X11 a window manager announces
    // itself on the root window (_NET_SUPPORTING_WM_CHECK). Other drivers: no.
    bool DesktopHandlesFullScreen() override;
    bool SetDesktopFullScreen(bool on) override;
    void SetBounds(const Rect& bounds) override;
    void ShowCursor() override;
    bool SetIcon(const std::filesystem::path& pngFile) override;

    // True when the key with this SDL scancode went down since ClearPressed.
    bool WasPressed(int scancode) const;
    void ClearPressed();
    // WasPressed for one key, forgetting that press: the next call is false
    // until the key goes down again.
    bool TakePressed(int scancode);

    // Moves each time SDL reports a joystick attached or detached.
    uint32_t PadChanges() const { return padChanges_.load(std::memory_order_acquire); }

    SDL_Window* Handle() const { return window_; }
    // The GL drawable in pixels, at the scale of the output the window is on.
    void DrawableSize(int* width, int* height) const;
    // Called just before each buffer swap.
    void BeforeSwap() { scale_.BeforeSwap(); }
    // The name of SDL's video driver in use ("x11", "wayland", ...), or "none".
    const char* VideoDriver() const;

private:
    // A size the program asked for, whose size event is not a player's resize.
    struct ExpectedSize {
        int32_t width = 0;
        int32_t height = 0;
        uint64_t deadlineMs = 0;  // 0: slot free
    };
    static constexpr int kExpectedSizes = 4;

    static int EventFilter(void* userdata, SDL_Event* event);
    void Translate(const SDL_Event& event);
    void TranslateKeyDown(const SDL_Event& event);
    void TranslateWindowEvent(const SDL_Event& event);
    void OnSizeChanged(int32_t width, int32_t height);
    // Turns the size change collected during one pump into a size event.
    void FlushPlayerSizing();
    void RefitAfterFullScreen();

    // Program-made moves and sizes: events they cause are not the player's.
    // Sizes and centres a first window fitted to a small screen again with
    // the frame the window manager really gave it.
    void RefitFirstWindow();
    void BeginProgramSizing(int32_t width, int32_t height);
    void EndProgramSizing();
    void RememberNormalBounds();
    // Whether the desktop holds the window in its full screen now.
    bool DesktopShowsFullScreen();
    // Queues a full-screen or windowed event when the desktop changed the
    // mode without the program asking.
    void FollowDesktopFullScreen();
    // Appends an event; an exposure or a size change replaces one of its own
    // kind at the end of the queue, so a burst costs one frame pass.
    void Enqueue(const WindowEvent& event);  // caller holds mutex_

    SDL_Window* window_ = nullptr;
    WaylandScale scale_;
    std::atomic<uint32_t> windowId_{0};
    bool videoStarted_ = false;  // this object started SDL's video subsystem

    std::mutex mutex_;  // guards everything below up to the pressed flags
    std::array<WindowEvent, kQueueCapacity> queue_{};
    int head_ = 0;
    int count_ = 0;
    int32_t knownWidth_ = 0;  // the size the last size event reported
    int32_t knownHeight_ = 0;
    int32_t knownX_ = 0;  // the position at the last pump, or where the program put it
    int32_t knownY_ = 0;
    struct FirstFit {
        bool pending = false;  // the first window was fitted to its screen
        Rect usable{};
        int32_t width = 0;  // the size the program asked for
        int32_t height = 0;
        uint64_t untilMs = 0;  // the frame is waited for until then
    };
    FirstFit firstFit_;
    int programSizing_ = 0;  // > 0 while SetBounds or SetPlacement is running
    std::array<ExpectedSize, kExpectedSizes> expected_{};
    bool sizePending_ = false;  // a player's size change waits for the end of the pump
    int32_t pendingWidth_ = 0;
    int32_t pendingHeight_ = 0;
    bool stateChangedSincePump_ = false;  // the player maximized, minimized or restored
    uint64_t desktopSizingUntilMs_ = 0;   // sizes up to then follow a full-screen request
    bool maximizedBeforeFullScreen_ = false;
    // The mode the program last asked for or was told of; main thread only.
    bool desktopFullScreen_ = false;
    uint64_t fullScreenAnswerUntilMs_ = 0;  // until then the desktop may still be answering
    // Leaving a maximised full screen on Wayland: the sizes before and in
    // full screen, and 1 while waiting for the first size, 2 once it came.
    int32_t sizeBeforeFullScreen_[2] = {0, 0};
    int32_t sizeInFullScreen_[2] = {0, 0};
    int refitAfterFullScreen_ = 0;

    Rect normalBounds_{};  // the last bounds seen while neither maximized nor minimized
    bool haveNormalBounds_ = false;

    std::array<std::atomic<bool>, kScancodeCount> pressed_{};
    std::atomic<uint32_t> padChanges_{0};
};

}  // namespace platform
