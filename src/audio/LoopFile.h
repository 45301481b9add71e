#pragma once
// Loop files (".sli"): where a music track's loop begins and how long it is.
//
// The file is text, UTF-16 with a byte-order mark (UTF-8 with a mark, and
// plain single-byte text, are read too), in lines of at most 79 characters;
// a longer line is read as several. Lines that begin with ';' are comments.
// It holds "LoopStart=%u" and "LoopLength=%u", both in sample frames, each
// followed by one line that is skipped:
//
//   1. read lines until one is not a comment, and parse it as LoopStart;
//   2. skip one line;
//   3. read lines until one is not a comment, and parse it as LoopLength.
//
// A read past the end of the text leaves the last line in place, so a file
// of just the two lines still gives both values. A value that does not parse
// is 0.

#include <cstddef>
#include <cstdint>
#include <filesystem>

struct LoopPoints {
    uint32_t start = 0;
    uint32_t length = 0;
};

LoopPoints ParseLoopFile(const uint8_t* bytes, size_t size);

// A track's loop file: the track file's whole name with ".sli" added
// ("bgm_0001.ogg" has "bgm_0001.ogg.sli").
std::filesystem::path LoopFileOf(const std::filesystem::path& track);
