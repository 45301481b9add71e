#pragma once
// SettingsFile: Game.ini, the 512-byte record of the settings, the pad
// buttons, the volumes and the ranking, read at start-up and written when the
// program closes.
//
// The reader zeroes its buffer first and takes missing bytes as 0, so a file
// of any length is read safely; a stored value out of its range leaves the
// setting as it was.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/Outcome.h"

struct System;
struct RankingTable;

namespace platform {
class FileSystem;
}

class SettingsFile {
public:
    static constexpr size_t kSize = 512;

    // System whole: Game.ini keeps a part of four of its records (the
    // display, the sound, the settings and the folders' layout flag), and
    // this is the one place that knows the file's layout.
    SettingsFile(System& system, RankingTable& ranking);
    SettingsFile(System& system, RankingTable& ranking, platform::FileSystem& files)
        : system_(system), ranking_(ranking), files_(files) {}

    // Reads Game.ini; a missing file keeps the defaults. Always true.
    bool Load(const std::filesystem::path& path);
    // Writes Game.ini whole or not at all.
    base::Outcome Save(const std::filesystem::path& path);

    // The same conversions on bytes in memory.
    void Decode(const uint8_t (&bytes)[kSize]);
    void Encode(uint8_t (&bytes)[kSize]) const;

private:
    System& system_;
    RankingTable& ranking_;
    platform::FileSystem& files_;
};
