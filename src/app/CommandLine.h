#pragma once
// The command line: --help and --version are answered without starting the
// game; --replay FILE watches a recorded game and --check-replay FILE...
// checks recorded games without a window; every other argument is ignored.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/ProgramLayout.h"

enum class CommandLineRequest { kPlay, kHelp, kVersion, kReplay, kCheckReplay };

// The first of --help, --version, --replay and --check-replay among the
// arguments, or kPlay. The files after --replay (the first one) or
// --check-replay (all up to the next option) go to *files when given.
CommandLineRequest ReadCommandLine(int argc, const char* const* argv,
                                   std::vector<std::string>* files = nullptr);

// What --help prints: the layout in use and every file the game reads and
// writes, with its path. resourceFolder is empty when dir.txt cannot be read.
std::string HelpText(std::string_view version, const ProgramLayout& layout,
                     const std::filesystem::path& resourceFolder, std::string_view lockFile);
