// The frame loop played pass by pass against a scripted clock: pacing in every
// timer mode, frame skip, inactivity, the event step, the display-mode
// switch and the device rebuilds.

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "app/FrameLoop.h"
#include "app/Game.h"
#include "app/WindowEvents.h"
#include "graphics/Graphics.h"
#include "support/FakePlatform.h"
#include "world/System.h"
#include "world/WorldState.h"

namespace {

using Kind = platform::WindowEvent::Kind;
using Next = FrameLoop::Next;

class FrameLoopTest : public ::testing::Test {
protected:
    FrameLoopTest() {
        game.LinkObjects(gpu, window);
        EXPECT_TRUE(window.Create("Tessary", 1280, 720));
        EXPECT_TRUE(game.graphics->CreateDevice());
        sys().sound.soundMode = SoundMode::kNone;
        // No pictures are listed: the rebuild re-creates no texture.
        for (auto& name : game.world->pictureNames)
            std::copy_n(u"null0000.png", 13, name);
        // The scene records when each active frame ran and may spend time working.
        scenes.title = [this](Game&) {
            sceneStarts.push_back(clock.nowUs);
            if (workUs.size() > sceneStarts.size() - 1)
                clock.Advance(workUs[sceneStarts.size() - 1]);
            return 1;
        };
    }

    System& sys() { return *game.system; }
    FrameLoop& Loop() {
        if (!loop)
            loop = std::make_unique<FrameLoop>(game, platform, proc, scenes);
        return *loop;
    }
    // Runs n passes and returns the millisecond frame starts they sampled.
    std::vector<uint32_t> RunFrames(int n) {
        std::vector<uint32_t> starts;
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(Loop().RunPass(), Next::kContinue);
            starts.push_back(Loop().frameStart());
        }
        return starts;
    }
    static std::vector<uint32_t> Periods(const std::vector<uint32_t>& starts) {
        std::vector<uint32_t> out;
        for (size_t i = 1; i < starts.size(); ++i)
            out.push_back(starts[i] - starts[i - 1]);
        return out;
    }

    FakePlatform fake;
    ScriptedClock& clock = fake.clock;
    RecordingDialogs& dialogs = fake.dialogs;
    FakeWindow& window = fake.window;
    FakeGpu& gpu = fake.gpu;
    platform::Platform& platform = fake.platform;
    Game game;
    WindowEvents proc{game, window};
    SceneFrames scenes;
    std::unique_ptr<FrameLoop> loop;
    std::vector<uint64_t> sceneStarts;
    std::vector<uint64_t> workUs;  // time the scene spends in frame i
};

TEST_F(FrameLoopTest, TimeGetTimeModeFollowsThePacingCycle) {
    sys().display.timerMode = TimerMode::kMillisecondClock;
    sys().display.framePacing = 0;
    EXPECT_EQ(Periods(RunFrames(5)), (std::vector<uint32_t>{16, 16, 16, 16}));

    sys().display.framePacing = 1;
    loop.reset();
    const auto periods = Periods(RunFrames(7));
    EXPECT_EQ(periods, (std::vector<uint32_t>{16, 17, 17, 16, 17, 17}));

    sys().display.framePacing = 2;
    loop.reset();
    const auto cycle = Periods(RunFrames(28));
    EXPECT_EQ(std::accumulate(cycle.begin(), cycle.end(), 0u), 450u);  // 27 frames
}

TEST_F(FrameLoopTest, ClockWaitsSleepMostOfTheFrameAndPollTheRest) {
    // Mode 0 at 16 ms frames, mode 1 at its counter period: the boundaries
    // stay where polling alone puts them, but after the margin has learnt
    // that wakes come on time each frame polls for no more than the margin.
    for (int mode : {0, 1}) {
        SCOPED_TRACE(mode);
        sys().display.timerMode = static_cast<TimerMode>(mode);
        sys().display.framePacing = 0;
        loop.reset();
        sceneStarts.clear();
        RunFrames(WakeMargin::kWindow + 1);
        EXPECT_EQ(Loop().wakeMarginUs(), WakeMargin::kGuardUs);
        const int wakes = clock.wakes;
        const int yields = clock.yields;
        const auto starts = RunFrames(10);
        EXPECT_EQ(clock.wakes - wakes, 10);
        if (mode == 0) {
            EXPECT_EQ(Periods(starts), std::vector<uint32_t>(9, 16u));
            EXPECT_LE(clock.yields - yields, 10 * (1 + 1000 / 50 + 1));  // keep-awake + poll
        } else {
            // The period, then the keep-awake yield before the next frame start.
            for (size_t i = sceneStarts.size() - 9; i < sceneStarts.size(); ++i)
                EXPECT_NEAR(double(sceneStarts[i] - sceneStarts[i - 1]), 16667 + 50, 2);
        }
    }
}

TEST_F(FrameLoopTest, AClockThatJumpsPastTheTargetEndsTheFrameAtOnce) {
    sys().display.timerMode = TimerMode::kMillisecondClock;
    sys().display.framePacing = 0;
    sys().display.frameSkip = 1;
    // Frame 1's sleep wakes 5 ms late, 3 ms past its boundary: the frame
    // ends at once, and the margin widens. Frame 3's scene overruns: no
    // sleep at all, and the next present is skipped.
    clock.wakeLateUs = {0, 5000};
    workUs = {0, 0, 0, 20'000, 0};
    RunFrames(1);
    const int yields = clock.yields;
    const uint32_t lateStart = RunFrames(1)[0];
    EXPECT_EQ(clock.yields - yields, 2);  // one poll, one keep-awake
    EXPECT_EQ(RunFrames(1)[0] - lateStart, 19u);
    EXPECT_EQ(Loop().wakeMarginUs(), WakeMargin::kMaxUs);
    EXPECT_FALSE(Loop().skipPresent());
    const int wakes = clock.wakes;
    RunFrames(1);
    EXPECT_EQ(clock.wakes, wakes);
    EXPECT_TRUE(Loop().skipPresent());
}

TEST_F(FrameLoopTest, SleepModeSleepsAndKeepsSixtyFramesASecond) {
    sys().display.timerMode = TimerMode::kSleep;
    sys().display.framePacing = 2;
    const int yieldsBefore = clock.yields;
    const auto periods = Periods(RunFrames(28));
    EXPECT_EQ(std::accumulate(periods.begin(), periods.end(), 0u), 450u);
    for (uint32_t p : periods)
        EXPECT_TRUE(p == 16 || p == 17) << p;
    EXPECT_GE(clock.sleeps, 27 * 16);
    // Only the keep-awake step yields: the wait itself never spins.
    EXPECT_EQ(clock.yields - yieldsBefore, 28);
}

TEST_F(FrameLoopTest, CounterModeWaitsOneSixtiethOfASecond) {
    sys().display.timerMode = TimerMode::kPerformanceCounter;
    clock.yieldCostUs = 0;  // the only time spent outside the wait is the counter reads
    RunFrames(61);
    ASSERT_EQ(sceneStarts.size(), 61u);
    const double meanUs = double(sceneStarts.back() - sceneStarts.front()) / 60.0;
    EXPECT_NEAR(meanUs, 1e6 / 60.0, 5.0);
    for (size_t i = 1; i < sceneStarts.size(); ++i) {
        EXPECT_GE(sceneStarts[i] - sceneStarts[i - 1], 16666u);
    }
}

TEST_F(FrameLoopTest, NoWaitModeNeverWaitsNorSkips) {
    sys().display.timerMode = TimerMode::kNoWait;
    sys().display.frameSkip = 1;
    workUs = {40'000, 40'000, 40'000};
    RunFrames(3);
    EXPECT_EQ(clock.sleeps, 0);
    EXPECT_EQ(gpu.presents, 3);
}

TEST_F(FrameLoopTest, AClockWrapDoesNotEndTheWaitEarly) {
    clock.msOffset = 0xFFFFFFF8u;  // the reading wraps 8 ms from now
    for (int mode : {0, 2}) {
        sys().display.timerMode = static_cast<TimerMode>(mode);
        sys().display.framePacing = 0;
        loop.reset();
        clock.nowUs = 0;
        const auto periods = Periods(RunFrames(4));
        EXPECT_EQ(periods, (std::vector<uint32_t>{16, 16, 16})) << "mode " << mode;
    }
}

TEST_F(FrameLoopTest, FrameSkipDropsOnlyTheNextPresent) {
    sys().display.timerMode = TimerMode::kMillisecondClock;
    sys().display.framePacing = 0;
    sys().display.frameSkip = 1;
    workUs = {0, 20'000, 0, 0};  // frame 1 overruns its 16 ms
    RunFrames(1);
    EXPECT_EQ(gpu.presents, 1);
    RunFrames(1);  // overruns: presents, then marks the next frame
    EXPECT_EQ(gpu.presents, 2);
    EXPECT_TRUE(Loop().skipPresent());
    RunFrames(1);  // runs its scene but does not present
    EXPECT_EQ(sceneStarts.size(), 3u);
    EXPECT_EQ(gpu.presents, 2);
    RunFrames(1);
    EXPECT_EQ(gpu.presents, 3);

    // The same overrun in counter mode, and none at all without frame skip.
    sys().display.timerMode = TimerMode::kPerformanceCounter;
    workUs = {0, 0, 0, 0, 20'000};
    RunFrames(2);
    EXPECT_EQ(gpu.presents, 4);
    sys().display.frameSkip = 0;
    workUs.push_back(20'000);
    RunFrames(3);
    EXPECT_EQ(gpu.presents, 7);
}

TEST_F(FrameLoopTest, OneEventPerPass) {
    window.events = {{Kind::kFocusLost}, {Kind::kFocusGained}, {Kind::kFocusLost}};
    Loop().RunPass();
    EXPECT_FALSE(sys().focus.active);
    EXPECT_EQ(window.events.size(), 2u);
    Loop().RunPass();
    EXPECT_TRUE(sys().focus.active);
    Loop().RunPass();
    EXPECT_FALSE(sys().focus.active);
    EXPECT_TRUE(window.events.empty());
}

TEST_F(FrameLoopTest, AnInactiveWindowRunsNoSceneAndSleeps) {
    sys().display.timerMode = TimerMode::kMillisecondClock;
    sys().display.framePacing = 0;
    window.events.push_back({Kind::kFocusLost});
    const auto periods = Periods(RunFrames(4));
    EXPECT_TRUE(sceneStarts.empty());
    EXPECT_EQ(gpu.presents, 0);
    EXPECT_EQ(periods, (std::vector<uint32_t>{16, 16, 16}));
    EXPECT_GE(clock.sleeps, 3 * 16);

    window.events.push_back({Kind::kFocusGained});
    RunFrames(2);
    EXPECT_EQ(sceneStarts.size(), 2u);
    EXPECT_EQ(gpu.presents, 2);
}

TEST_F(FrameLoopTest, AnUnchangedPictureIsNotShownAgainButFocusRegainedShowsIt) {
    gpu.keepsPicture = true;
    game.graphics->SetRedrawAlways(false);
    RunFrames(3);                       // the scene submits nothing: the same empty picture
    EXPECT_EQ(sceneStarts.size(), 3u);  // the scenes run on
    EXPECT_EQ(gpu.presents, 1);
    window.events.push_back({Kind::kFocusLost});
    RunFrames(1);
    window.events.push_back({Kind::kFocusGained});
    RunFrames(2);
    EXPECT_EQ(gpu.presents, 2);
}

TEST_F(FrameLoopTest, NoWaitWithVsyncWaitsARefreshWhenThereIsNothingToPresent) {
    // The present would have waited for the vertical blank; with nothing to
    // present, the loop sleeps a refresh period instead of spinning.
    gpu.keepsPicture = true;
    game.graphics->SetRedrawAlways(false);
    sys().display.timerMode = TimerMode::kNoWait;
    for (int vsync : {1, 0}) {
        SCOPED_TRACE(vsync);
        sys().display.vsync = vsync;
        sceneStarts.clear();
        RunFrames(6);
        for (size_t i = 2; i < sceneStarts.size(); ++i) {
            const uint64_t period = sceneStarts[i] - sceneStarts[i - 1];
            if (vsync != 0)
                EXPECT_NEAR(double(period), 16667, 1100);
            else
                EXPECT_LT(period, 1000u);
        }
    }
    EXPECT_EQ(gpu.presents, 1);
}

TEST_F(FrameLoopTest, ScenesAreChosenByTheStateReadAtThePassStart) {
    int titles = 0;
    int plays = 0;
    scenes.title = [&](Game& g) {
        ++titles;
        g.world->sceneState = SceneState::kPlay;  // takes effect from the next pass
        return 1;
    };
    scenes.play = [&](Game&) {
        ++plays;
        return 1;
    };
    RunFrames(2);
    EXPECT_EQ(titles, 1);
    EXPECT_EQ(plays, 1);
    // Any other state runs no scene but still presents the previous list.
    game.world->sceneState = static_cast<SceneState>(3);
    RunFrames(1);
    EXPECT_EQ(titles + plays, 2);
    EXPECT_EQ(gpu.presents, 3);
}

TEST_F(FrameLoopTest, EscClosesTheWindowAndEndsTheLoop) {
    window.events.push_back({Kind::kEscapePressed});
    EXPECT_EQ(Loop().RunPass(), Next::kContinue);  // Esc: the close is asked
    EXPECT_EQ(Loop().RunPass(), Next::kContinue);  // close: the window is destroyed
    EXPECT_FALSE(window.Exists());
    EXPECT_EQ(Loop().RunPass(), Next::kQuit);
}

// With a desktop, its own full screen is asked for and it puts the window
// back; on a bare X server, or when the request cannot be made, the window is
// made borderless over the display by hand and its placement restored.
TEST_F(FrameLoopTest, AltEnterTwiceGoesToFullScreenAndBack) {
    struct Case {
        bool hasDesktop, refuses;
    };
    for (const Case c : {Case{true, false}, Case{false, false}, Case{true, true}}) {
        SCOPED_TRACE(testing::Message() << "desktop " << c.hasDesktop << " refuses " << c.refuses);
        const bool desktop = c.hasDesktop && !c.refuses;
        window.desktop = c.hasDesktop;
        window.desktopRefuses = c.refuses;
        window.placement = {{40, 50, 1320, 770}, true};
        const platform::Placement before = window.placement;
        window.displayBounds = {0, 0, 1920, 1080};
        window.events.push_back({Kind::kFullScreenAsked});
        Loop().RunPass();
        EXPECT_EQ(sys().display.screenMode, 1);
        EXPECT_EQ(sys().display.screenModeChoice, 1);
        EXPECT_EQ(sys().display.screenModeRequest, 0);
        EXPECT_EQ(window.desktopFullScreen, desktop);
        EXPECT_EQ(window.bordered, desktop);
        const platform::Rect covered{0, 0, 1920, 1080};
        EXPECT_EQ(window.placement.bounds, desktop ? before.bounds : covered);

        window.events.push_back({Kind::kFullScreenAsked});
        Loop().RunPass();
        EXPECT_EQ(sys().display.screenMode, 0);
        EXPECT_EQ(sys().display.screenModeChoice, 0);
        EXPECT_FALSE(window.desktopFullScreen);
        EXPECT_TRUE(window.bordered);
        EXPECT_EQ(window.placement, before);
        EXPECT_EQ(gpu.creates, 1);  // the device is kept
    }
}

// The desktop's own switches move the display mode and its option row, so
// that the next Alt+Enter goes the other way in one press; a full screen the
// game made by hand (no desktop) is not undone by a stray report.
TEST_F(FrameLoopTest, TheDisplayModeFollowsTheDesktop) {
    struct Step {
        bool desktop;
        Kind kind;
        int mode;
        bool desktopFullScreen;
    };
    const Step steps[] = {
        {true, Kind::kFullScreenByDesktop, 1, true}, {true, Kind::kFullScreenAsked, 0, false},
        {true, Kind::kFullScreenAsked, 1, true},     {true, Kind::kWindowedByDesktop, 0, false},
        {true, Kind::kFullScreenAsked, 1, true},     {true, Kind::kFullScreenAsked, 0, false},
        {false, Kind::kFullScreenAsked, 1, false},   {false, Kind::kWindowedByDesktop, 1, false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << "step " << (&s - steps));
        window.desktop = s.desktop;
        if (s.kind != Kind::kFullScreenAsked)
            window.desktopFullScreen = s.kind == Kind::kFullScreenByDesktop;  // the desktop's doing
        window.events.push_back({s.kind});
        Loop().RunPass();
        EXPECT_EQ(sys().display.screenMode, s.mode);
        EXPECT_EQ(sys().display.screenModeChoice, s.mode);
        EXPECT_EQ(window.desktopFullScreen, s.desktopFullScreen);
    }
}

// A still game shows its last picture again whenever the desktop exposes or
// resizes the window or its mode changes; an active one draws every frame anyway.
TEST_F(FrameLoopTest, AStillWindowIsDrawnAgainWhenTheDesktopChangesIt) {
    for (const Kind kind : {Kind::kExposed, Kind::kSizeSetByDesktop, Kind::kSizeDragged,
                            Kind::kFullScreenAsked, Kind::kFullScreenByDesktop}) {
        SCOPED_TRACE(static_cast<int>(kind));
        sys().focus.active = false;
        const int presents = gpu.presents;
        window.events.push_back({kind});
        Loop().RunPass();
        EXPECT_EQ(gpu.presents, presents + 1);
        EXPECT_TRUE(sceneStarts.empty());
    }
    // Shown again a few times while the desktop settles, then left alone.
    int presents = gpu.presents;
    for (int pass = 0; pass < 60; ++pass)
        Loop().RunPass();
    EXPECT_GT(gpu.presents, presents + 1);
    for (int pass = 0; pass < 120; ++pass)
        Loop().RunPass();
    presents = gpu.presents;
    for (int pass = 0; pass < 60; ++pass)
        Loop().RunPass();
    EXPECT_EQ(gpu.presents, presents);
    sys().focus.active = true;
    presents = gpu.presents;
    window.events.push_back({Kind::kExposed});
    Loop().RunPass();
    EXPECT_EQ(gpu.presents, presents + 1);
}

TEST_F(FrameLoopTest, ALostDeviceIsRebuiltWithItsTextures) {
    gpu.presentResults.push_back(platform::DeviceStatus::kReset);
    Loop().RunPass();
    EXPECT_EQ(gpu.creates, 2);
    EXPECT_EQ(gpu.forgets, 1);
    EXPECT_GE(gpu.releases, 1);
    EXPECT_EQ(sys().display.deviceLostRequest, 0);
    EXPECT_EQ(game.world->loadingFlag, 0);  // textures made again
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(Loop().RunPass(), Next::kContinue);
    EXPECT_EQ(gpu.presents, 2);
}

TEST_F(FrameLoopTest, ADeviceThatCannotBeRebuiltTakesTheFailureExit) {
    gpu.presentResults.push_back(platform::DeviceStatus::kRemoved);
    gpu.createSucceeds = false;
    EXPECT_EQ(Loop().RunPass(), Next::kFailureExit);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "DirectGraphicsの初期化に失敗しました。");
    EXPECT_EQ(dialogs.shown[0].caption, "Message");
}

TEST_F(FrameLoopTest, AnUnhealthyDeviceIsReportedEveryFrame) {
    gpu.removedReason = platform::DeviceStatus::kHung;
    Loop().RunPass();
    EXPECT_EQ(gpu.creates, 2);  // hung: made again, without textures
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "失敗しました。");
    EXPECT_EQ(dialogs.shown[0].caption, "Message");

    gpu.removedReason = platform::DeviceStatus::kRemoved;  // removed outright: only the message
    Loop().RunPass();
    EXPECT_EQ(gpu.creates, 2);
    EXPECT_EQ(dialogs.shown.size(), 2u);
}

}  // namespace
