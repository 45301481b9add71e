#include "support/FakeWindow.h"

base::Outcome FakeWindow::Create(const char* windowTitle, int32_t clientWidth,
                                 int32_t clientHeight) {
    ++creates;
    createdTitle = windowTitle != nullptr ? windowTitle : "";
    createdWidth = clientWidth;
    createdHeight = clientHeight;
    if (!createOk || exists)
        return base::Outcome::Failed("");
    exists = true;
    shown = false;
    bordered = true;
    placement = {{createLeft, createTop, createLeft + clientWidth, createTop + clientHeight},
                 false};
    return {};
}

void FakeWindow::Show() {
    ++shows;
    if (exists)
        shown = true;
}

void FakeWindow::Destroy() {
    if (!exists)
        return;
    ++destroys;
    exists = false;
    shown = false;
}

bool FakeWindow::TakeEvent(platform::WindowEvent* out) {
    if (events.empty())
        return false;
    *out = events.front();
    events.pop_front();
    return true;
}

bool FakeWindow::SetDesktopFullScreen(bool on) {
    ++desktopRequests;
    if (!exists || !desktop || desktopRefuses)
        return false;
    desktopFullScreen = on;
    return true;
}

bool FakeWindow::GetRect(platform::Rect* out) {
    if (!exists || !placementResult)
        return false;
    *out = placement.bounds;
    return true;
}

bool FakeWindow::GetPlacement(platform::Placement* out) {
    if (!exists || !placementResult)
        return false;
    *out = placement;
    return true;
}

void FakeWindow::SetPlacement(const platform::Placement& newPlacement) {
    ++placementChanges;
    if (exists)
        placement = newPlacement;
}

bool FakeWindow::DisplayBounds(platform::Rect* out) {
    if (!displayBoundsResult)
        return false;
    *out = displayBounds;
    return true;
}

void FakeWindow::SetBordered(bool isBordered) {
    ++borderChanges;
    if (exists)
        bordered = isBordered;
}

void FakeWindow::SetBounds(const platform::Rect& bounds) {
    boundsSet.push_back(bounds);
    if (!exists)
        return;
    placement.bounds = bounds;
    placement.maximized = false;
}
