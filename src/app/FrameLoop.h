#pragma once
// The frame loop: the body of the main thread once start-up has succeeded.
//
// One pass is one frame. It handles at most one window event, samples the
// clock, polls input, runs the current scene and presents while the window is
// active, re-arms idle effect voices, serves the display-mode and device
// requests, waits for the end of the frame as Display::timerMode selects, and
// keeps the display awake. All clock arithmetic is unsigned 32-bit and wraps.

#include <cstdint>
#include <functional>
#include <utility>

#include "platform/Platform.h"
#include "world/System.h"
#include "world/WorldState.h"

class Game;
class WindowEvents;

// The scene frames the loop dispatches to by WorldState::sceneState.
struct SceneFrames {
    std::function<void(Game&)> title;  // state 1
    std::function<void(Game&)> play;   // state 4
};

// How long before a frame boundary the clock waits of modes 0 and 1 stop
// sleeping and start polling: the largest wake-up lateness of the last
// kWindow sleeps plus a guard, so that a sleep nearly always wakes before the
// boundary and the poll, not the sleep, ends the frame. It follows the
// machine: a busy machine wakes sleepers later and gets a wider margin.
class WakeMargin {
public:
    static constexpr int kWindow = 64;
    static constexpr uint32_t kGuardUs = 100;
    static constexpr uint32_t kStartUs = 2000;  // before anything is measured
    static constexpr uint32_t kMaxUs = 4000;

    WakeMargin();
    uint32_t Us() const { return marginUs_; }
    // Takes what a sleep reported: its lateness, or -1 when it did not sleep.
    void Record(int32_t latenessUs);

private:
    uint32_t lateness_[kWindow];
    int next_ = 0;
    uint32_t marginUs_ = kStartUs;
};

class FrameLoop {
public:
    // What comes after a pass of the loop.
    enum class Next {
        kContinue,     // run the next pass
        kQuit,         // the window is gone: orderly exit
        kFailureExit,  // the device could not be made again
        kAbort,        // the textures could not be made again: end at once
    };

    // Extra milliseconds added to the 16 ms frame, cycled by framePacing:
    // the first three average 50 ms per 3 frames, all 27 give 450 ms per 27.
    static constexpr uint32_t kExtraMs[27] = {0, 1, 1, 1, 0, 1, 1, 1, 0, 1, 0, 1, 1, 1,
                                              0, 0, 1, 1, 1, 1, 0, 0, 1, 1, 1, 0, 1};

    FrameLoop(Game& game, const platform::Platform& platform, WindowEvents& windowProc,
              SceneFrames scenes);

    // What serves WorldState::saveRequest (the settings file's save); without
    // one the request is only cleared.
    void ServeSaveRequests(std::function<void()> save) { save_ = std::move(save); }

    Next RunPass();
    // Runs passes until one ends the loop.
    Next Run();

    uint32_t frameStart() const { return frameStart_; }
    uint32_t cycleIndex() const { return cycleIndex_; }
    bool skipPresent() const { return skipPresent_; }
    uint32_t wakeMarginUs() const { return margin_.Us(); }

private:
    void RunScene(SceneState state);
    // Waits as a present would have, after a frame that presented nothing.
    void PaceUnshownFrame(TimerMode mode);
    void CheckDeviceHealth();
    Next RebuildLostDevice();
    bool FrameRanLate(TimerMode mode);
    void WaitForFrameEnd(TimerMode mode, bool active);
    void SleepUntil(uint32_t target, uint32_t addend);

    Game& game_;
    platform::Platform platform_;
    WindowEvents& windowProc_;
    SceneFrames scenes_;
    uint32_t frameStart_ = 0;
    uint32_t period_ = 0;  // performance-counter ticks per frame
    bool skipPresent_ = false;
    uint32_t cycleIndex_ = 0;
    WakeMargin margin_;
    std::function<void()> save_;
    bool wasActive_ = false;    // the window was active in the last pass
    bool presentPaced_ = false;  // the last pass was paced by its present (see PaceUnshownFrame)
    uint32_t lastShown_ = 0;     // counter reading after the last present or its stand-in wait
};
