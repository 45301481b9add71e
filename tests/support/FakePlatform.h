#pragma once
// The whole platform bundle made of doubles: a scripted clock and calendar,
// recording dialogs, a fake window and device, obliging services, scripted
// keys and pads, and the loopback sound device.

#include "platform/Platform.h"
#include "support/FakeGpu.h"
#include "support/FakeInput.h"
#include "support/FakeServices.h"
#include "support/FakeSound.h"
#include "support/FakeWindow.h"
#include "support/ScriptedClock.h"

struct FakePlatform {
    ScriptedClock clock;
    FixedCalendar calendar;
    RecordingDialogs dialogs;
    FakeWindow window;
    FakeGpu gpu;
    CountingScreenSaver screenSaver;
    FakeLock lock;
    FakeProcess process;
    FakeSoundDevice sound;
    ScriptedKeyboard keyboard;
    ScriptedPads pads;
    // The music thread runs on its own thread: it gets a real clock.
    platform::SystemClock streamClock;
    platform::Platform platform{clock, calendar, dialogs, window,   gpu,  screenSaver,
                                lock,  process,  sound,   keyboard, pads, streamClock};
};
