#pragma once
// Start-up and shutdown: everything before the first frame and after the last.
//
// There are three ways out: the orderly exit after the quit message (settings
// and dir.txt are written; exit status 0), the failure exit (a message first,
// then the shutdown sequence; status 1), and the silent early exit before any
// window exists (status 1). A second copy that finds the first running ends at
// once with status 0.

#include "app/FrameLoop.h"
#include "platform/Files.h"
#include "platform/Platform.h"

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;

// Runs the whole program on the given platform and returns its exit status.
// The settings, folder and slot files are read and written through files.
// A run with writesFiles false (a watched replay) saves nothing at its
// orderly exit.
int RunGame(const platform::Platform& platform, const SceneFrames& scenes,
            platform::FileSystem& files = platform::SystemFiles(), bool writesFiles = true);
