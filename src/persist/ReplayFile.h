#pragma once
// ReplayFile: one finished game as the rules saw it, and its file format.
//
// The rules read the held direction and button bits, the calendar second and
// the two process ids, so a game is the ids, the second of its first frame,
// one byte of bits a frame and the seconds where they change. Beside that
// input the file keeps what the game came to: a one-byte digest of the play
// state at every frame a piece locked, and the final score, rows, level and
// ranking line, so that a replay can say whether, and from which frame, it
// went another way.
//
// The file, all numbers little-endian, varints unsigned LEB128:
//
//   "TSRP", format version (2 bytes, 1 or 2), game version (1 length byte + text)
//   thread id, process id (4 + 4), second of the first frame (8),
//   local time's offset from UTC in seconds (4), daylight flag (1),
//   fade level at the first frame (1), the ten ranking scores before (10 x 4)
//   frame runs: bits (1), varint (count << 2 | second code), where code 0 keeps
//     the second, 1 adds one, 2 adds the zigzag varint that follows; the new
//     second holds from the run's first frame. A run of count 0 ends them.
//   locks: varint count, then per lock a varint frame gap and a digest byte
//   result: frames (4), score (4), rows (4), level (1, as shown), ranking
//     place (1, 0 when it did not enter), the ranking date: year (2), month
//     (1, 1..12), day, hour, minute, second (1 each)
//   CRC-32 of every byte before it (4)
//
// Encode and Decode are pure: no files, no clock.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Outcome.h"

struct ReplayRankingLine {
    uint8_t place = 0;  // 1..10; 0: below the ten
    uint16_t year = 0;
    uint8_t month = 0;  // 1..12
    uint8_t day = 0;
    uint8_t hour = 0;
    uint8_t minute = 0;
    uint8_t second = 0;
    bool operator==(const ReplayRankingLine&) const = default;
};

// What a game came to.
struct ReplayResult {
    uint32_t frames = 0;
    uint32_t score = 0;
    uint32_t rows = 0;
    uint8_t level = 0;  // as shown, 1..10
    ReplayRankingLine ranking;
    bool operator==(const ReplayResult&) const = default;
};

struct ReplaySecond {
    uint32_t frame = 0;  // the first frame that reads it
    int64_t second = 0;
    bool operator==(const ReplaySecond&) const = default;
};

struct ReplayLock {
    uint32_t frame = 0;
    uint8_t digest = 0;
    bool operator==(const ReplayLock&) const = default;
};

struct Replay {
    // Format 1 records a game up to the frame the title returns, its ranking
    // entry dated then; format 2 up to the frame the game ends, when its
    // score enters the ranking.
    static constexpr uint16_t kFormat = 2;
    static constexpr int kRankingScores = 10;
    // A day of frames: a longer file is taken for damaged.
    static constexpr uint32_t kMaxFrames = 60u * 60u * 60u * 24u;

    uint16_t format = kFormat;
    std::string version;  // the game's version that recorded it
    uint32_t threadId = 0;
    uint32_t processId = 0;
    int32_t utcOffset = 0;  // seconds local time is ahead of UTC
    int8_t daylight = 0;
    uint8_t startFade = 0;
    int32_t rankingBefore[kRankingScores] = {};
    std::vector<uint8_t> bits;          // per frame: direction bits | button bits << 4
    std::vector<ReplaySecond> seconds;  // the first at frame 0, then each change
    std::vector<ReplayLock> locks;
    ReplayResult result;

    // The calendar second that frame reads; seconds must not be empty.
    int64_t SecondAt(uint32_t frame) const;
    bool operator==(const Replay&) const = default;
};

std::vector<uint8_t> EncodeReplay(const Replay& replay);

// Reads a whole file's bytes. A failure says what is wrong in a few words a
// player can act on ("truncated after 12 bytes", "made by a newer version of
// the game (format 3)", "damaged: checksum does not match").
base::Outcome DecodeReplay(const uint8_t* data, size_t size, Replay* out);

uint32_t ReplayCrc32(const uint8_t* data, size_t size);
