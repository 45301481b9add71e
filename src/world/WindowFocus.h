#pragma once
// WindowFocus: whether the game's window has the focus. The window's events
// write it on the main thread; the frame loop runs scenes and presents only
// while it is set, and the music thread fades its track out while it is not,
// so it is atomic.

#include <atomic>

struct WindowFocus {
    std::atomic<bool> active = true;
};
