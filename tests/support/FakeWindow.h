#pragma once
// A window double: a plain event queue, a scripted display and desktop, and
// the window's bounds, border, placement and full-screen state kept as public
// fields, with a count of every call.
//
// It behaves like the real window where the game can tell: operations on a
// window that does not exist change nothing, SetBounds leaves the maximized
// state, the desktop's full screen puts the placement back as it was, and no
// operation queues an event by itself.

#include <deque>
#include <string>
#include <vector>

#include "platform/Window.h"

class FakeWindow final : public platform::Window {
public:
    // Script.
    bool createOk = true;
    bool placementResult = true;  // what GetRect and GetPlacement report
    bool displayBoundsResult = true;
    platform::Rect displayBounds{0, 0, 1920, 1080};
    int32_t createLeft = 100;  // where Create puts the window
    int32_t createTop = 100;
    bool desktop = false;         // a window manager or compositor answers full-screen requests
    bool desktopRefuses = false;  // ... but the request cannot be made

    // State.
    std::deque<platform::WindowEvent> events;
    bool exists = false;
    bool shown = false;
    bool bordered = true;
    bool cursorShown = false;
    bool desktopFullScreen = false;
    platform::Placement placement{};  // the current bounds and maximized state
    std::string createdTitle;         // the arguments of the last Create
    int32_t createdWidth = 0;
    int32_t createdHeight = 0;
    std::vector<platform::Rect> boundsSet;  // every SetBounds argument, in order

    // Calls.
    int creates = 0;
    int shows = 0;
    int destroys = 0;  // only those that destroyed a window
    int pumps = 0;
    int borderChanges = 0;
    int placementChanges = 0;
    int cursorShows = 0;
    int desktopRequests = 0;

    base::Outcome Create(const char* windowTitle, int32_t clientWidth,
                         int32_t clientHeight) override;
    void Show() override;
    void Destroy() override;
    bool Exists() const override { return exists; }

    void PumpEvents() override { ++pumps; }
    bool TakeEvent(platform::WindowEvent* out) override;
    void PostEvent(const platform::WindowEvent& event) override { events.push_back(event); }

    bool GetRect(platform::Rect* out) override;
    bool GetPlacement(platform::Placement* out) override;
    void SetPlacement(const platform::Placement& newPlacement) override;
    bool DisplayBounds(platform::Rect* out) override;
    void SetBordered(bool isBordered) override;
    bool DesktopHandlesFullScreen() override { return desktop; }
    bool SetDesktopFullScreen(bool on) override;
    void SetBounds(const platform::Rect& bounds) override;
    void ShowCursor() override {
        ++cursorShows;
        cursorShown = true;
    }
};
