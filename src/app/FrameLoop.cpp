#include "app/FrameLoop.h"

#include <algorithm>
#include <iterator>

#include "app/Game.h"
#include "app/WindowEvents.h"
#include "audio/Audio.h"
#include "graphics/Graphics.h"
#include "graphics/TextureReloader.h"
#include "input/InputSampler.h"
#include "world/System.h"
#include "world/WorldState.h"

namespace {

constexpr uint32_t kFrameMs = 16;
// Readings above this are the last few milliseconds before the clock wraps.
constexpr uint32_t kWrapGuard = 0xFFFFFFF0u;
constexpr uint32_t kHalfRange = 0x80000000u;

}  // namespace

WakeMargin::WakeMargin() {
    std::fill(std::begin(lateness_), std::end(lateness_), kStartUs - kGuardUs);
}

void WakeMargin::Record(int32_t latenessUs) {
    if (latenessUs < 0)
        return;  // no sleep, nothing learnt
    lateness_[next_] = std::min(static_cast<uint32_t>(latenessUs), kMaxUs - kGuardUs);
    next_ = (next_ + 1) % kWindow;
    marginUs_ = *std::max_element(std::begin(lateness_), std::end(lateness_)) + kGuardUs;
}

FrameLoop::FrameLoop(Game& game, const platform::Platform& platform, WindowEvents& windowProc,
                     SceneFrames scenes)
    : game_(game),
      platform_(platform),
      windowProc_(windowProc),
      scenes_(std::move(scenes)),
      period_(static_cast<uint32_t>(platform.clock.CounterFrequency()) / 60u) {}

FrameLoop::Next FrameLoop::Run() {
    Next next;
    do {
        next = RunPass();
    } while (next == Next::kContinue);
    return next;
}

FrameLoop::Next FrameLoop::RunPass() {
    System& system = *game_.system;
    WorldState& world = *game_.world;
    platform::Clock& clock = platform_.clock;

    // At most one window event per pass; a queue of n takes n frames.
    platform_.window.PumpEvents();
    platform::WindowEvent event;
    if (platform_.window.TakeEvent(&event)) {
        if (event.kind == platform::WindowEvent::Kind::kWindowGone)
            return Next::kQuit;
        windowProc_.Handle(event);
    } else {
        windowProc_.RefreshStillPicture();
    }

    // The mode and the scene hold for the whole pass, even if a scene changes them.
    const TimerMode mode = system.display.timerMode;
    const SceneState state = world.sceneState;

    // Frame start.
    if (mode == TimerMode::kMillisecondClock || mode == TimerMode::kSleep) {
        frameStart_ = clock.Milliseconds();
    } else if (mode == TimerMode::kPerformanceCounter) {
        frameStart_ = clock.CounterLow();
    }

    // Input is sampled whether or not the window is active.
    game_.input->PollInput();

    // Scene and present, only while active.
    const bool active = system.focus.active;
    if (active) {
        // Focus regained: the window may no longer show the last picture.
        if (!wasActive_)
            game_.graphics->InvalidatePicture();
        RunScene(state);
        if (skipPresent_) {
            skipPresent_ = false;
        } else {
            game_.graphics->RenderFrame();
            PaceUnshownFrame(mode);
        }
    }
    wasActive_ = active;

    // Something worth keeping changed this frame: save it now, so that a
    // killed program or a lost display does not take it along.
    if (world.saveRequest != 0) {
        world.saveRequest = 0;
        if (save_)
            save_();
    }

    // Every idle effect voice is loaded again, ready for its next start.
    if (system.sound.Playing()) {
        game_.audio->effects().RearmIdleVoices();
    }

    // Display-mode switch.
    if (system.display.screenModeRequest != 0)
        windowProc_.SwitchDisplayMode();

    // Device health and the rebuild after a loss.
    CheckDeviceHealth();
    if (system.display.deviceLostRequest != 0) {
        const Next rebuilt = RebuildLostDevice();
        if (rebuilt != Next::kContinue)
            return rebuilt;
    }

    // A frame that overran its period skips the next present.
    const bool waits = mode == TimerMode::kMillisecondClock ||
                       mode == TimerMode::kPerformanceCounter || mode == TimerMode::kSleep;
    if (system.display.frameSkip != 0 && waits && FrameRanLate(mode)) {
        skipPresent_ = true;
    }

    // Wait for the end of the frame.
    WaitForFrameEnd(mode, active);

    // Advance the extra-millisecond cycle.
    if (system.display.framePacing == 1) {
        cycleIndex_ = (cycleIndex_ + 1) % 3;
    } else if (system.display.framePacing == 2) {
        cycleIndex_ = (cycleIndex_ + 1) % 27;
    }

    // Keep the display awake.
    platform_.screenSaver.KeepDisplayAwake();
    clock.Yield();
    return Next::kContinue;
}

void FrameLoop::PaceUnshownFrame(TimerMode mode) {
    // Without a wait of its own and with vertical sync, the present is what
    // paces the loop. A frame that showed nothing new presented nothing, so it
    // waits one refresh period from the last present (or wait) instead.
    const bool pacedByPresent = mode == TimerMode::kNoWait && game_.system->display.vsync != 0;
    if (!pacedByPresent) {
        presentPaced_ = false;
        return;
    }
    platform::Clock& clock = platform_.clock;
    if (game_.graphics->LastFrameSkipped() && presentPaced_) {
        clock.SleepBeforeCounter(lastShown_ + period_, 0);
        while (clock.CounterLow() - lastShown_ < period_)
            clock.Sleep(1);
    }
    lastShown_ = clock.CounterLow();
    presentPaced_ = true;
}

void FrameLoop::RunScene(SceneState state) {
    if (state == SceneState::kTitle && scenes_.title) {
        scenes_.title(game_);
    } else if (state == SceneState::kPlay && scenes_.play) {
        scenes_.play(game_);
    }
}

void FrameLoop::CheckDeviceHealth() {
    using platform::DeviceStatus;
    const DeviceStatus reason = game_.graphics->DeviceRemovedReason();
    if (reason == DeviceStatus::kOk)
        return;
    if (reason == DeviceStatus::kHung || reason == DeviceStatus::kReset) {
        // This path makes the device again without its textures.
        // Should that fail too, the message below is all the player learns.
        game_.graphics->ReleaseDevice();
        static_cast<void>(game_.graphics->CreateDevice());
    }
    platform_.dialogs.Show("失敗しました。", "Message", "the graphics device stopped working");
}

FrameLoop::Next FrameLoop::RebuildLostDevice() {
    System& system = *game_.system;
    WorldState& world = *game_.world;
    world.loadingFlag = 1;
    game_.graphics->ReleaseDevice();
    game_.graphics->ClearDevicePointers();
    if (base::Outcome made = game_.graphics->CreateDevice(); !made) {
        platform_.dialogs.Show("DirectGraphicsの初期化に失敗しました。", "Message",
                               "could not start OpenGL 3.3 again: " + made.reason());
        return Next::kFailureExit;
    }
    TextureReloader textures(*game_.graphics, system.folders, world);
    if (!textures.RecreateTextures())
        return Next::kAbort;
    system.display.deviceLostRequest = 0;
    return Next::kContinue;
}

bool FrameLoop::FrameRanLate(TimerMode mode) {
    if (mode == TimerMode::kPerformanceCounter) {
        const uint32_t elapsed = platform_.clock.CounterLow() - frameStart_;
        return elapsed > period_ && elapsed - period_ <= kHalfRange;
    }
    const uint32_t deadline = frameStart_ + kFrameMs + kExtraMs[cycleIndex_];
    const uint32_t late = platform_.clock.Milliseconds() - deadline;
    return late != 0 && late <= kHalfRange;
}

void FrameLoop::SleepUntil(uint32_t target, uint32_t addend) {
    platform::Clock& clock = platform_.clock;
    if (target < addend && clock.Milliseconds() > kWrapGuard) {
        while (clock.Milliseconds() > kWrapGuard)
            clock.Sleep(1);
    }
    do {
        clock.Sleep(1);
    } while (clock.Milliseconds() < target);
}

void FrameLoop::WaitForFrameEnd(TimerMode mode, bool active) {
    platform::Clock& clock = platform_.clock;
    if (!active) {
        if (mode == TimerMode::kPerformanceCounter) {
            do {
                clock.Sleep(1);
            } while (clock.CounterLow() - frameStart_ < period_);
        } else {
            SleepUntil(frameStart_ + kFrameMs, kFrameMs);
        }
        return;
    }
    switch (mode) {
        case TimerMode::kMillisecondClock: {
            const uint32_t addend = kFrameMs + kExtraMs[cycleIndex_];
            const uint32_t target = frameStart_ + addend;
            // Sleep through most of the wait; the poll below still decides
            // where the frame ends.
            margin_.Record(clock.SleepBeforeMilliseconds(target, margin_.Us()));
            if (target < addend && clock.Milliseconds() > kWrapGuard) {
                while (clock.Milliseconds() > kWrapGuard)
                    clock.Yield();
            }
            do {
                clock.Yield();
            } while (clock.Milliseconds() < target);
            break;
        }
        case TimerMode::kPerformanceCounter:
            margin_.Record(clock.SleepBeforeCounter(frameStart_ + period_, margin_.Us()));
            clock.Yield();
            while (clock.CounterLow() - frameStart_ < period_) {
            }
            break;
        case TimerMode::kSleep: {
            // The sleep wait keeps the same extra-millisecond cycle as the clock wait,
            // so that it too averages sixty frames a second.
            const uint32_t addend = kFrameMs + kExtraMs[cycleIndex_];
            SleepUntil(frameStart_ + addend, addend);
            break;
        }
        default:
            break;  // kNoWait, and any value the settings file may hold
    }
}
