#pragma once
// ReplayFolder: where finished games are kept, replays/ in the player's
// folder, and which of them stay. Every game that entered the ranking stays;
// of the others only the newest kKeptOthers do.
//
// A file is named by the local date and time the game ended and its score,
// "2026-12-08_04-20-31_score-12345.replay"; a game that entered the ranking
// adds its place, "..._score-12345_rank-3.replay", and a name already taken
// (two games ending in the same second with the same score) gets "_2", "_3"
// before the extension. Names sort by time. Only a file whose whole name has
// this form is ever removed, and no file is ever replaced.

#include <filesystem>
#include <string>

#include "persist/ReplayFile.h"

struct Folders;

namespace platform {
class FileSystem;
}

inline constexpr int kKeptOthers = 20;

// The player's replays/ folder with its trailing separator; empty when there
// is no player's folder.
std::filesystem::path ReplayFolderOf(const Folders& folders);

std::string ReplayFileName(const Replay& replay);
// The file the replay goes to: its name, or the first free one with a number
// added; empty when all are taken.
std::filesystem::path FreeReplayPath(const std::filesystem::path& folder, const Replay& replay);

// Makes the folder if needed, writes the replay atomically (as Game.ini is
// written) and removes the others beyond the newest kKeptOthers. When the
// replay cannot be written, the files already there stay.
base::Outcome SaveReplay(const std::filesystem::path& folder, const Replay& replay,
                         platform::FileSystem& files);
