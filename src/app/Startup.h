#pragma once
// Start-up and shutdown: everything before the first frame and after the last.
//
// There are three ways out, and every one returns exit code 0: the orderly
// exit after the quit message (settings and dir.txt are written), the failure
// exit (a message first, then the shutdown sequence), and the silent early
// exit before any window exists.

#include "app/FrameLoop.h"
#include "platform/Platform.h"

// Runs the whole program on the given platform and returns its exit code.
int RunGame(const platform::Platform& platform, const SceneFrames& scenes);
