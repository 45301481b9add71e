#include "app/Replays.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include <sys/stat.h>

#include "app/Game.h"
#include "audio/Audio.h"
#include "graphics/Graphics.h"
#include "input/InputSampler.h"
#include "menu/Menu.h"
#include "play/GameFlow.h"
#include "play/PlayState.h"
#include "scenes/PlayScene.h"
#include "scenes/SceneLinks.h"
#include "world/System.h"
#include "world/WorldState.h"

namespace {

constexpr int64_t kDay = 86400;
// A replay takes under a kilobyte a minute of play; a file past this (more
// than three days of it) is not one, and is refused before it is read.
constexpr size_t kMaxFileSize = size_t{4} << 20;

int64_t FloorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

// Days since 1970-01-01 of a proleptic Gregorian date (month 1..12).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2 ? 1 : 0;
    const int64_t era = FloorDiv(y, 400);
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

uint8_t Digest(const PlayState& play) {
    uint32_t h = 2166136261u;
    const auto mix = [&h](uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            h = (h ^ (v & 0xFF)) * 16777619u;
            v >>= 8;
        }
    };
    for (int32_t cell : play.board)
        mix(static_cast<uint32_t>(cell));
    mix(play.score);
    for (int32_t kind : play.queue)
        mix(static_cast<uint32_t>(kind));
    return static_cast<uint8_t>(h ^ h >> 8 ^ h >> 16 ^ h >> 24);
}

std::string Figures(const ReplayResult& r) {
    return "score " + std::to_string(r.score) + ", rows " + std::to_string(r.rows) + ", level " +
           std::to_string(r.level) + ", " + std::to_string(r.frames) + " frames";
}

std::string RankingText(const ReplayRankingLine& line) {
    char text[64];
    if (line.place == 0)
        std::snprintf(text, sizeof text, "below the ranking, %04u-%02u-%02u %02u:%02u:%02u",
                      line.year, line.month, line.day, line.hour, line.minute, line.second);
    else
        std::snprintf(text, sizeof text, "ranking place %u, %04u-%02u-%02u %02u:%02u:%02u",
                      line.place, line.year, line.month, line.day, line.hour, line.minute,
                      line.second);
    return text;
}

}  // namespace

platform::CalendarTime CivilTime(int64_t seconds, int32_t utcOffset, int8_t daylightFlag) {
    const int64_t local = seconds + utcOffset;
    const int64_t days = FloorDiv(local, kDay);
    const int64_t inDay = local - days * kDay;
    // Civil date from the day count.
    const int64_t z = days + 719468;
    const int64_t era = FloorDiv(z, 146097);
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp < 10 ? mp + 3 : mp - 9;
    const int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);

    platform::CalendarTime t;
    t.second = static_cast<int32_t>(inDay % 60);
    t.minute = static_cast<int32_t>(inDay / 60 % 60);
    t.hour = static_cast<int32_t>(inDay / 3600);
    t.day = static_cast<int32_t>(d);
    t.month = static_cast<int32_t>(m - 1);
    t.year = static_cast<int32_t>(y - 1900);
    t.weekday = static_cast<int32_t>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
    t.yearDay = static_cast<int32_t>(days - DaysFromCivil(y, 1, 1));
    t.daylight = daylightFlag;
    return t;
}

int32_t UtcOffsetOf(const platform::CalendarTime& local, int64_t seconds) {
    const int64_t asUtc = DaysFromCivil(local.year + 1900, local.month + 1, local.day) * kDay +
                          local.hour * 3600 + local.minute * 60 + local.second;
    return static_cast<int32_t>(asUtc - seconds);
}

platform::CalendarTime FrameCalendar::LocalTime(int64_t seconds) {
    return source_ != nullptr ? source_->LocalTime(seconds)
                              : CivilTime(seconds, utcOffset_, daylight_);
}

bool GameTally::AfterFrame(const PlayState& play, uint8_t* digest) {
    // The frame that finishes the game returns the play state to its start.
    if (play.started == 0)
        return false;
    const bool locked = play.piecesLocked != locks_;
    locks_ = play.piecesLocked;
    rows_ = play.rowsRemoved;
    level_ = static_cast<uint8_t>(play.level + 1);
    if (locked)
        *digest = Digest(play);
    return locked;
}

ReplayResult FinishedResult(const Replay& replay, const WorldState& world, const GameTally& tally,
                            uint32_t frames) {
    // The table now holds the ten scores from before and this game's.
    const RankingTable& table = world.rankingTable;
    int64_t score = 0;
    for (int32_t s : table.scores)
        score += s;
    for (int32_t s : replay.rankingBefore)
        score -= s;
    // Equal scores keep the older entries above it.
    int uptoIt = 0;
    for (int32_t s : replay.rankingBefore) {
        if (s >= static_cast<int32_t>(score))
            ++uptoIt;
    }
    ReplayResult r;
    r.frames = frames;
    r.score = static_cast<uint32_t>(score);
    r.rows = tally.rows();
    r.level = tally.level();
    const int place = uptoIt < Replay::kRankingScores ? uptoIt + 1 : 0;
    const platform::CalendarTime& date =
        table.dates[place == 0 ? RankingTable::kEntries - 1 : place - 1];
    r.ranking = {static_cast<uint8_t>(place),          static_cast<uint16_t>(date.year + 1900),
                 static_cast<uint8_t>(date.month + 1), static_cast<uint8_t>(date.day),
                 static_cast<uint8_t>(date.hour),      static_cast<uint8_t>(date.minute),
                 static_cast<uint8_t>(date.second)};
    return r;
}

void ReplayRecorder::Begin(const System& system, const WorldState& world) {
    replay_ = Replay{};
    replay_.version = version_;
    replay_.threadId = system.processIds.threadId;
    replay_.processId = system.processIds.processId;
    replay_.startFade = world.fadeLevel;
    for (int i = 0; i < Replay::kRankingScores; ++i)
        replay_.rankingBefore[i] = world.rankingTable.scores[i];
    // A quarter of an hour before the vector grows.
    replay_.bits.reserve(60 * 60 * 15);
    tally_ = GameTally{};
    recording_ = true;
}

void ReplayRecorder::Frame(uint8_t bits, int64_t second) {
    if (replay_.seconds.empty() || replay_.seconds.back().second != second)
        replay_.seconds.push_back({static_cast<uint32_t>(replay_.bits.size()), second});
    replay_.bits.push_back(bits);
}

bool ReplayRecorder::After(const PlayState& play, const WorldState& world,
                           platform::Calendar& localTime) {
    const auto frame = static_cast<uint32_t>(replay_.bits.size() - 1);
    uint8_t digest = 0;
    if (tally_.AfterFrame(play, &digest))
        replay_.locks.push_back({frame, digest});
    if (play.resultEntered == 0)
        return false;
    const int64_t last = world.rankingTable.lastTime;
    const platform::CalendarTime local = localTime.LocalTime(last);
    replay_.utcOffset = UtcOffsetOf(local, last);
    replay_.daylight = static_cast<int8_t>(local.daylight);
    replay_.result = FinishedResult(replay_, world, tally_, frame + 1);
    recording_ = false;
    return true;
}

std::string DescribeVerdict(std::string_view file, const ReplayVerdict& verdict) {
    std::string line(file);
    if (verdict.same)
        return line + ": " + Figures(verdict.result) + ": same as recorded";
    return line + ": differs at frame " + std::to_string(verdict.frame) + ": " + verdict.difference;
}

void ReplayPlayback::Start(System& system, WorldState& world) {
    // The title's hand-over, with the fade level the one recorded.
    title_menu::HandOverToPlay(world, system.music);
    world.fadeLevel = replay_.startFade;
    for (int i = 0; i < Replay::kRankingScores; ++i)
        world.rankingTable.scores[i] = replay_.rankingBefore[i];
    system.processIds = {replay_.threadId, replay_.processId};
}

void ReplayPlayback::Differ(uint32_t frame, std::string what) {
    if (differed_)
        return;
    differed_ = true;
    verdict_.frame = frame;
    verdict_.difference = std::move(what);
}

void ReplayPlayback::CheckLocks(bool locked, uint8_t digest) {
    const ReplayLock* due = nextLock_ < replay_.locks.size() ? &replay_.locks[nextLock_] : nullptr;
    if (locked) {
        if (due == nullptr || due->frame != frame_) {
            Differ(frame_, due == nullptr ? "a piece locks after the last recorded lock"
                                          : "a piece locks here; the recorded game locked at "
                                            "frame " +
                                                std::to_string(due->frame));
        } else if (due->digest != digest) {
            Differ(frame_, "the board after this lock is not the recorded one");
        }
        ++nextLock_;
    } else if (due != nullptr && due->frame == frame_) {
        Differ(frame_, "the recorded game locked a piece here; the replay did not");
        ++nextLock_;
    }
}

bool ReplayPlayback::Frame(const SceneLinks& links, PlayState& play, bool stopAtDifference) {
    const auto frames = static_cast<uint32_t>(replay_.bits.size());
    if (frame_ >= frames) {
        Differ(frame_, "the game goes on after the last recorded frame");
        verdict_.result.frames = frame_;
        return false;
    }
    const uint8_t bits = replay_.bits[frame_];
    links.system.inputState.dirBits = bits & 0xF;
    links.system.inputState.buttonBits = bits >> 4;
    calendar_.Set(replay_.SecondAt(frame_), replay_.utcOffset, replay_.daylight);
    RunPlaySceneFrame(links, play, calendar_);

    uint8_t digest = 0;
    const bool locked = tally_.AfterFrame(play, &digest);
    CheckLocks(locked, digest);
    ++frame_;
    verdict_.result.frames = frame_;
    // The game's end: when it ended (format 2, as the game does live), or
    // when the title returned (format 1).
    const bool ended = replay_.format >= 2
                           ? EnterEndedGame(play, links.world, calendar_)
                           : links.world.sceneState != SceneState::kPlay;
    if (ended) {
        CheckResult(links.world);
        return false;
    }
    return !(stopAtDifference && differed_);
}

void ReplayPlayback::CheckResult(const WorldState& world) {
    verdict_.result = FinishedResult(replay_, world, tally_, frame_);
    const ReplayResult& want = replay_.result;
    const ReplayResult& got = verdict_.result;
    if (got.frames != want.frames) {
        Differ(frame_ - 1, "the game ends here; the recorded one ended after " +
                               std::to_string(want.frames) + " frames");
    } else if (got.score != want.score || got.rows != want.rows || got.level != want.level) {
        Differ(frame_ - 1, "the game ends with " + Figures(got) + "; recorded " + Figures(want));
    } else if (got.ranking != want.ranking) {
        Differ(frame_ - 1, "the ranking line is " + RankingText(got.ranking) + "; recorded " +
                               RankingText(want.ranking));
    }
    verdict_.same = !differed_;
}

bool ReplayPlayback::PlayOut(const SceneLinks& links, PlayState& play) {
    if (links.world.sceneState != SceneState::kPlay || !GameHasEnded(play))
        return false;
    links.system.inputState.dirBits = 0;
    links.system.inputState.buttonBits = 0;
    RunPlaySceneFrame(links, play, calendar_);
    return links.world.sceneState == SceneState::kPlay;
}

ReplayVerdict CheckReplay(const Replay& replay) {
    // A game without a window: sprites go to the list, sounds nowhere.
    auto game = std::make_unique<Game>();
    System& system = *game->system;
    WorldState& world = *game->world;
    system.sound.soundMode = SoundMode::kNone;
    world.angleTable.Fill();
    auto play = std::make_unique<PlayState>();

    ReplayPlayback playback(replay);
    playback.Start(system, world);
    const SceneLinks links = game->Links();
    while (playback.Frame(links, *play, true)) {
    }
    return playback.verdict();
}

base::Outcome ReadReplayFile(const std::string& path, Replay* out) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file)
        return base::Outcome::Failed(std::strerror(errno));
    // Its size first; the reading stops at the limit too, for a file that
    // grows or has no size (a pipe).
    struct stat info {};
    if (fstat(fileno(file.get()), &info) != 0)
        return base::Outcome::Failed(std::strerror(errno));
    if (info.st_size > static_cast<off_t>(kMaxFileSize))
        return base::Outcome::Failed("too large for a replay");
    std::vector<uint8_t> bytes;
    bytes.reserve(static_cast<size_t>(info.st_size));
    uint8_t chunk[65536];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        if (bytes.size() + got > kMaxFileSize)
            return base::Outcome::Failed("too large for a replay");
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    if (std::ferror(file.get()) != 0)
        return base::Outcome::Failed(std::strerror(errno));
    return DecodeReplay(bytes.data(), bytes.size(), out);
}

bool CheckReplayFile(const std::string& path, std::string* line) {
    Replay replay;
    if (base::Outcome read = ReadReplayFile(path, &replay); !read) {
        *line = path + ": cannot be read: " + read.reason();
        return false;
    }
    const ReplayVerdict verdict = CheckReplay(replay);
    *line = DescribeVerdict(path, verdict);
    return verdict.same;
}
