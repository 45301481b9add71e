#pragma once
// Recording games and playing them again.
//
// The play frame reads the held bits from InputState and the calendar second
// through the calendar; nothing else it reads comes from outside. The
// recorder takes those two at every play frame, from the frame the title
// hands over to the frame the game ends (its score enters the ranking then);
// the playback puts the world as the title leaves it, then feeds the recorded
// bits and seconds to the same play frame and compares what comes of it with
// what the file says. Recordings of the older format run on to the frame the
// title returns, and are played to that frame.
//
// FrameCalendar gives the play frame one second for the whole frame, so the
// piece generator and the ranking entry of that frame always read the same
// second, live and in a replay alike.

#include <cstdint>
#include <string>
#include <string_view>

#include "persist/ReplayFile.h"
#include "platform/Clock.h"

struct PlayState;
struct SceneLinks;
struct System;
class WorldState;

class FrameCalendar final : public platform::Calendar {
public:
    // Live: seconds and local times come from `source`, one second a frame.
    explicit FrameCalendar(platform::Calendar* source = nullptr) : source_(source) {}
    int64_t Now() override { return second_; }
    platform::CalendarTime LocalTime(int64_t seconds) override;

    void Latch() { second_ = source_->Now(); }
    // Replayed: this second, and local times at a fixed offset from UTC.
    void Set(int64_t second, int32_t utcOffset, int8_t daylightFlag) {
        second_ = second;
        utcOffset_ = utcOffset;
        daylight_ = daylightFlag;
    }

private:
    platform::Calendar* source_;
    int64_t second_ = 0;
    int32_t utcOffset_ = 0;
    int8_t daylight_ = 0;
};

// The local time `utcOffset` seconds ahead of UTC, as the C library's calendar
// would break it down.
platform::CalendarTime CivilTime(int64_t seconds, int32_t utcOffset, int8_t daylightFlag);
// How many seconds a broken-down local time is ahead of UTC second `seconds`.
int32_t UtcOffsetOf(const platform::CalendarTime& local, int64_t seconds);

// What both sides watch after every frame: a lock (the play step counts each
// one), the rows and level of the last frame still in play.
class GameTally {
public:
    // After a play frame; true when a piece locked in it, with the play
    // state's digest in *digest.
    bool AfterFrame(const PlayState& play, uint8_t* digest);
    uint32_t rows() const { return rows_; }
    uint8_t level() const { return level_; }

private:
    uint32_t locks_ = 0;
    uint32_t rows_ = 0;
    uint8_t level_ = 1;
};

// The direction and button bits as one byte, and back.
inline uint8_t PackBits(int32_t dirBits, int32_t buttonBits) {
    return static_cast<uint8_t>((dirBits & 0xF) | (buttonBits & 0xF) << 4);
}

// The figures of a game that has just finished: the ranking, after the game
// entered it, tells its score; the tally its rows and level.
ReplayResult FinishedResult(const Replay& replay, const WorldState& world, const GameTally& tally,
                            uint32_t frames);

class ReplayRecorder {
public:
    explicit ReplayRecorder(std::string_view version) : version_(version) {}
    bool recording() const { return recording_; }
    // The frame the title handed over: the ids, the ranking and the fade now.
    void Begin(const System& system, const WorldState& world);
    // Before the play frame runs: what it is about to read.
    void Frame(uint8_t bits, int64_t second);
    // After it, and after EnterEndedGame; true once the game has ended and
    // replay() is complete.
    bool After(const PlayState& play, const WorldState& world, platform::Calendar& localTime);
    const Replay& replay() const { return replay_; }

private:
    std::string version_;
    Replay replay_;
    GameTally tally_;
    bool recording_ = false;
};

// How a replay went.
struct ReplayVerdict {
    bool same = false;
    uint32_t frame = 0;      // where it first differed
    std::string difference;  // empty when the same
    ReplayResult result;     // the replayed figures (frames run so far)
};

// The line a replay ends with: "FILE: score S, rows R, level L, N frames:
// same as recorded", or "FILE: differs at frame N: what".
std::string DescribeVerdict(std::string_view file, const ReplayVerdict& verdict);

class ReplayPlayback {
public:
    explicit ReplayPlayback(const Replay& replay) : replay_(replay) {}
    // Puts the world as the title leaves it when it hands over to play.
    void Start(System& system, WorldState& world);
    // One play frame with the recorded bits and second; false once the game
    // has ended, the frames have run out, or (stopAtDifference) it has gone
    // another way.
    bool Frame(const SceneLinks& links, PlayState& play, bool stopAtDifference);
    // After a game that ended with its recording: one more frame of its
    // game-over sequence, no keys held, at the last recorded second; false
    // once the title has returned.
    bool PlayOut(const SceneLinks& links, PlayState& play);
    const ReplayVerdict& verdict() const { return verdict_; }
    uint32_t frame() const { return frame_; }

private:
    void Differ(uint32_t frame, std::string what);
    void CheckLocks(bool locked, uint8_t digest);
    void CheckResult(const WorldState& world);

    const Replay& replay_;
    FrameCalendar calendar_;
    GameTally tally_;
    ReplayVerdict verdict_;
    uint32_t frame_ = 0;
    size_t nextLock_ = 0;
    bool differed_ = false;
};

// The rules alone, as fast as they go: the whole replay without a window,
// pictures or sound.
ReplayVerdict CheckReplay(const Replay& replay);

// Reads and checks one file; the verdict's line, or what is wrong with the file.
// True when it is the same as recorded.
bool CheckReplayFile(const std::string& path, std::string* line);

// Reads a replay file; a failure names what is wrong.
base::Outcome ReadReplayFile(const std::string& path, Replay* out);
