#pragma once
// Where a 16:9 picture goes in a surface of any size, and how big the first
// window may be on a small screen. Plain arithmetic, no system calls.

#include <cstdint>

#include "platform/Window.h"

namespace platform {

// The largest 16:9 rectangle inside a width x height surface, centred, in the
// surface's own coordinates (top-left origin). Sides round to the nearest
// pixel; an empty surface gives an empty rectangle.
constexpr Rect PictureRect(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0)
        return Rect{};
    int64_t w = width;
    int64_t h = height;
    if (w * 9 >= h * 16) {
        w = (h * 16 + 4) / 9;
        if (w > width)
            w = width;
    } else {
        h = (w * 9 + 8) / 16;
        if (h > height)
            h = height;
    }
    const int32_t left = static_cast<int32_t>((width - w) / 2);
    const int32_t top = static_cast<int32_t>((height - h) / 2);
    return Rect{left, top, left + static_cast<int32_t>(w), top + static_cast<int32_t>(h)};
}

// How thick the window manager's frame is on each side.
struct FrameExtents {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// The first window's client size, and where its frame goes. A client of
// width x height that fits the usable area with its frame keeps its size and
// lets the desktop place it (placed false). One that does not gets the largest
// 16:9 client that does, with the frame centred in the usable area (placed
// true; frameLeft/frameTop name the frame's outer corner).
struct FirstWindow {
    int32_t width = 0;
    int32_t height = 0;
    bool placed = false;
    int32_t frameLeft = 0;
    int32_t frameTop = 0;
};

constexpr FirstWindow FitFirstWindow(const Rect& usable, const FrameExtents& frame, int32_t width,
                                     int32_t height) {
    const int32_t roomWidth = usable.right - usable.left - frame.left - frame.right;
    const int32_t roomHeight = usable.bottom - usable.top - frame.top - frame.bottom;
    if (roomWidth <= 0 || roomHeight <= 0 || (width <= roomWidth && height <= roomHeight))
        return FirstWindow{width, height, false, 0, 0};
    const Rect client = PictureRect(roomWidth, roomHeight);
    FirstWindow out;
    out.width = client.right - client.left;
    out.height = client.bottom - client.top;
    out.placed = true;
    const int32_t outerWidth = out.width + frame.left + frame.right;
    const int32_t outerHeight = out.height + frame.top + frame.bottom;
    out.frameLeft = usable.left + (usable.right - usable.left - outerWidth) / 2;
    out.frameTop = usable.top + (usable.bottom - usable.top - outerHeight) / 2;
    return out;
}

}  // namespace platform
