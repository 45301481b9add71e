#pragma once
// Everything the game asks of the operating system, in one bundle that start-up
// receives. main() passes the real pieces; tests pass doubles.

#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/GpuDevice.h"
#include "platform/Input.h"
#include "platform/Services.h"
#include "platform/SoundDevice.h"
#include "platform/Window.h"

namespace platform {

struct Platform {
    Clock& clock;
    Calendar& calendar;
    Dialogs& dialogs;
    Window& window;
    GpuDevice& gpu;
    ScreenSaver& screenSaver;
    InstanceLock& instanceLock;
    Process& process;
    SoundDevice& sound;
    Keyboard& keyboard;
    GamePads& pads;
    // Paces the music thread: it must be safe to read from a second thread.
    Clock& streamClock;
};

}  // namespace platform
