#pragma once
// System: the records of settings and system state, one per concern.

#include "world/Display.h"
#include "world/Folders.h"
#include "world/InputState.h"
#include "world/MusicShared.h"
#include "world/ProcessIds.h"
#include "world/Settings.h"
#include "world/SoundSettings.h"

struct System {
    Settings settings;
    Display display;
    InputState inputState;
    SoundSettings sound;
    MusicShared music;
    Folders folders;
    ProcessIds processIds;
};
