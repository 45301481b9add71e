#pragma once
// Display: the window and the timing of frames. The screen size, the
// visible layout, the display mode and its request, the device-lost
// request, and how the frame loop paces and presents.

#include <cstdint>

#include "platform/Window.h"

// How the frame loop waits for the end of a frame; the numbers are byte 18
// of the settings file and the TIMER row of the options window. Any other
// stored value does not wait at all.
enum class TimerMode : int32_t {
    kMillisecondClock = 0,  // the millisecond clock against 16 ms plus the extra-millisecond cycle
    kPerformanceCounter = 1,  // the high-resolution counter against one 60 Hz period
    kSleep = 2,               // sleep through the remaining milliseconds
    kNoWait = 3,              // no wait: as fast as the device presents
};

struct Display {
    int32_t screenWidth = 1280;  // the client size the window is made with; the fade covers it
    int32_t screenHeight = 720;
    int32_t layoutWidth = 1248;  // the visible play area, never changed
    int32_t layoutHeight = 720;
    int32_t screenMode = 0;  // 0 windowed, 1 borderless full screen
    int32_t screenModeRequest = 0;
    // The mode the options window's SCREEN MODE row stands on. It follows
    // every switch; while it differs and its row is selected, the window
    // asks for the switch.
    int32_t screenModeChoice = 0;
    int32_t deviceLostRequest = 0;
    platform::Rect windowRect{0, 0, 1280, 720};

    TimerMode timerMode = TimerMode::kMillisecondClock;
    int32_t framePacing = 0;  // 0 none, 1 three-frame cycle, 2 twenty-seven-frame cycle
    int32_t vsync = 0;
    int32_t frameSkip = 0;  // 1: a frame that ran late skips its present
};
