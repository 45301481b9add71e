#pragma once
// The command line: --help and --version are answered without starting the
// game; every other argument is ignored.

#include <string>
#include <string_view>

#include "app/ProgramLayout.h"

enum class CommandLineRequest { kPlay, kHelp, kVersion };

// The first of --help and --version among the arguments, or kPlay.
CommandLineRequest ReadCommandLine(int argc, const char* const* argv);

// What --help prints: the layout in use and every file the game reads and
// writes, with its path. resourceFolder is empty when dir.txt cannot be read.
std::string HelpText(std::string_view version, const ProgramLayout& layout,
                     std::u16string_view resourceFolder, std::string_view lockFile);
