#pragma once
// System: the game's records besides the world record, one per concern.
// The root object owns one for the run; each subsystem links only the
// records it reads and writes (the music thread sees only MusicShared,
// WindowFocus and what is fixed before it starts), and the settings file fills them all.

#include "world/Display.h"
#include "world/Folders.h"
#include "world/InputState.h"
#include "world/MusicShared.h"
#include "world/ProcessIds.h"
#include "world/Settings.h"
#include "world/SoundSettings.h"
#include "world/WindowFocus.h"

struct System {
    Settings settings;
    Display display;
    InputState inputState;
    SoundSettings sound;
    MusicShared music;
    WindowFocus focus;
    Folders folders;
    ProcessIds processIds;
};
