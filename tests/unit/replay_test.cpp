// Replays: the corpus plays to its recorded end, a changed file is caught at
// the right frame, damaged files are named, the local dates and the folder's
// keeping rule.

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/ReplayFolder.h"
#include "app/Replays.h"
#include "base/WideText.h"
#include "input/InputSampler.h"
#include "persist/ReplayFile.h"
#include "support/FailingFiles.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

const std::string kCorpus = TESSARY_REPLAY_DIR;

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

Replay Decoded(const Bytes& bytes) {
    Replay replay;
    const base::Outcome decoded = DecodeReplay(bytes.data(), bytes.size(), &replay);
    EXPECT_TRUE(decoded) << decoded.reason();
    return replay;
}

// A long corpus game with many locks, for the tests that change one.
Replay LongGame() {
    return Decoded(ReadBytes(kCorpus + "/24-search-45-rows.replay"));
}

TEST(ReplayCorpusTest, EveryGamePlaysToItsRecordedFigures) {
    std::map<std::string, std::string> figures;
    std::ifstream list(kCorpus + "/figures.txt");
    for (std::string line; std::getline(list, line);) {
        if (!line.empty() && line[0] != '#')
            figures[line.substr(0, line.find(':'))] = line;
    }
    ASSERT_GE(figures.size(), 30u);
    for (const auto& [name, line] : figures) {
        SCOPED_TRACE(name);
        const Bytes bytes = ReadBytes(kCorpus + "/" + name);
        const Replay replay = Decoded(bytes);
        EXPECT_EQ(EncodeReplay(replay), bytes);
        const ReplayVerdict verdict = CheckReplay(replay);
        EXPECT_TRUE(verdict.same) << verdict.difference;
        EXPECT_EQ(DescribeVerdict(name, verdict), line + ": same as recorded");
    }
}

TEST(ReplayCheckTest, AChangedFrameIsFoundAtTheLockItChanges) {
    const Replay original = LongGame();
    ASSERT_GT(original.locks.size(), 20u);
    // A frame of a soft drop held back (the piece lands later), and a pause
    // pressed that is never closed (a resting piece still locks, then nothing).
    const auto dropping = [&](size_t lock) {
        uint32_t frame = original.locks[lock - 1].frame + 1;
        while (original.bits[frame] != InputSampler::kDown)
            ++frame;
        return frame + 4;
    };
    const struct {
        uint32_t frame;
        uint8_t bits;
    } changes[] = {
        {dropping(9), 0},
        {dropping(30), 0},
        {dropping(20), static_cast<uint8_t>(InputSampler::kPause << 4)},
    };
    for (const auto& change : changes) {
        SCOPED_TRACE(change.frame);
        Replay replay = original;
        replay.bits[change.frame] = change.bits;
        const ReplayVerdict verdict = CheckReplay(replay);
        EXPECT_FALSE(verdict.same);
        // Found no sooner than the change, and by the second lock after it.
        uint32_t nextLock = 0;
        int seen = 0;
        for (const ReplayLock& lock : original.locks) {
            if (lock.frame >= change.frame && ++seen == 2) {
                nextLock = lock.frame;
                break;
            }
        }
        EXPECT_GE(verdict.frame, change.frame);
        EXPECT_LE(verdict.frame, nextLock) << verdict.difference;
    }
}

TEST(ReplayCheckTest, AChangedResultIsFoundAtTheLastFrame) {
    const Replay original = LongGame();
    const uint32_t last = original.result.frames - 1;
    const struct {
        void (*change)(ReplayResult&);
        const char* says;
    } changes[] = {
        {[](ReplayResult& r) { ++r.score; }, "the game ends with score"},
        {[](ReplayResult& r) { ++r.rows; }, "the game ends with score"},
        {[](ReplayResult& r) { r.ranking.place = 0; }, "the ranking line is"},
        {[](ReplayResult& r) { ++r.ranking.minute; }, "the ranking line is"},
    };
    for (const auto& c : changes) {
        Replay replay = original;
        c.change(replay.result);
        const ReplayVerdict verdict = CheckReplay(replay);
        EXPECT_FALSE(verdict.same);
        EXPECT_EQ(verdict.frame, last);
        EXPECT_NE(verdict.difference.find(c.says), std::string::npos) << verdict.difference;
    }
}

TEST(ReplayFileTest, DamagedFilesSayWhatIsWrong) {
    const Bytes good = ReadBytes(kCorpus + "/01-column-0.replay");
    ASSERT_GT(good.size(), 80u);
    const auto cut = [&](size_t n) { return Bytes(good.begin(), good.begin() + n); };
    const auto with = [&](size_t at, uint8_t value) {
        Bytes b = good;
        b[at] = value;
        return b;
    };
    Bytes longer = good;
    longer.push_back(0);
    const struct {
        Bytes bytes;
        const char* says;
    } cases[] = {
        {cut(0), "truncated after 0 bytes"},
        {cut(3), "truncated"},
        {cut(30), "truncated"},
        {cut(good.size() / 2), "truncated"},
        {cut(good.size() - 1), "truncated"},
        {with(0, 'X'), "not a Tessary replay"},
        {with(4, 3), "made by a newer version of the game (format 3"},
        {with(5, 1), "made by a newer version of the game (format 257"},
        {with(4, 0), "damaged"},
        {with(good.size() - 1, good.back() ^ 1), "damaged: checksum does not match"},
        {longer, "damaged"},
    };
    for (const auto& c : cases) {
        Replay replay;
        const base::Outcome decoded = DecodeReplay(c.bytes.data(), c.bytes.size(), &replay);
        EXPECT_FALSE(decoded);
        EXPECT_NE(decoded.reason().find(c.says), std::string::npos)
            << c.says << " / " << decoded.reason();
    }
    std::string line;
    EXPECT_FALSE(CheckReplayFile("/nonexistent/game.replay", &line));
    EXPECT_EQ(line, "/nonexistent/game.replay: cannot be read: No such file or directory");
}

TEST(ReplayCalendarTest, LocalTimesMatchTheCLibrary) {
    const struct {
        int64_t second;
        int32_t offset;
    } cases[] = {{0, 0},           {951782400, 0},  {951868799, 3600},  {1796000000, 32400},
                 {-86401, -18000}, {4102444800, 0}, {1709251199, -3600}};
    for (const auto& c : cases) {
        const time_t t = static_cast<time_t>(c.second + c.offset);
        std::tm want{};
        gmtime_r(&t, &want);
        const platform::CalendarTime got = CivilTime(c.second, c.offset, 1);
        EXPECT_EQ(std::vector<int>({got.year, got.month, got.day, got.hour, got.minute, got.second,
                                    got.weekday, got.yearDay}),
                  std::vector<int>({want.tm_year, want.tm_mon, want.tm_mday, want.tm_hour,
                                    want.tm_min, want.tm_sec, want.tm_wday, want.tm_yday}))
            << c.second;
        EXPECT_EQ(UtcOffsetOf(got, c.second), c.offset);
    }
}

TEST(ReplayFolderTest, KeepsRankedGamesAndTheLastTwentyOthers) {
    TempFolder temp;
    const std::u16string folder = base::FromUtf8(temp.path() + "/replays/");
    Replay replay = Decoded(ReadBytes(kCorpus + "/01-column-0.replay"));
    fs::create_directories(temp.path() + "/replays");
    std::ofstream(temp.path() + "/replays/notes.txt").put('x');
    for (int game = 0; game < 30; ++game) {
        replay.result.ranking.minute = static_cast<uint8_t>(game);
        replay.result.ranking.place = game % 10 == 0 ? 3 : 0;
        const base::Outcome saved = SaveReplay(folder, replay, platform::SystemFiles());
        ASSERT_TRUE(saved) << saved.reason();
    }
    std::vector<std::string> ranked, others;
    for (const auto& entry : fs::directory_iterator(temp.path() + "/replays")) {
        const std::string name = entry.path().filename().string();
        (name.find("_rank-3.replay") != std::string::npos ? ranked : others).push_back(name);
    }
    std::sort(others.begin(), others.end());
    // Minutes 0, 10 and 20 ranked; of the 27 others the newest 20 (8..29), and the notes.
    EXPECT_EQ(ranked.size(), 3u);
    ASSERT_EQ(others.size(), 21u);
    EXPECT_EQ(others.front().substr(14, 2), "08");
    EXPECT_EQ(others.back(), "notes.txt");

    // A write that fails says so and leaves the folder as it was.
    FailingFiles failing;
    failing.suffix = ".replay";
    failing.failing = FailingFiles::Step::kWriteNoSpace;
    replay.result.ranking.minute = 59;
    const base::Outcome saved = SaveReplay(folder, replay, failing);
    EXPECT_FALSE(saved);
    EXPECT_NE(saved.reason().find("No space left on device"), std::string::npos) << saved.reason();
    EXPECT_EQ(
        std::distance(fs::directory_iterator(temp.path() + "/replays"), fs::directory_iterator()),
        24);
}

// Only a name the game writes, whole, is ever removed; a name already taken
// gets a number and the file there stays as it was.
TEST(ReplayFolderTest, RemovesOnlyItsOwnNamesAndReplacesNothing) {
    TempFolder temp;
    const fs::path folder = temp.path() + "/replays/";
    fs::create_directories(folder);
    const struct {
        const char* name;
        bool removed;
    } files[] = {
        {"2020-01-01_00-00-00_score-20.replay", true},
        {"2020-01-01_00-00-00_score-20_2.replay", true},
        {"2020-01-01_00-00-00_score-0.replay", true},
        {"2020-01-01_00-00-00_score-20_rank-3.replay", false},
        {"2020-01-01_00-00-00_score-20 (copy).replay", false},
        {"2020-01-01_00-00-00_score-20-keep.replay", false},
        {"2020-01-01_00-00-00_score-20_keep.replay", false},
        {"2020-01-01_00-00-00_score-20_.replay", false},
        {"2020-01-01_00-00-00_score-020.replay", false},
        {"2020-01-01_00-00-00_score-20.replay.bak", false},
        {"2020-01-01_00-00-00_score-20.REPLAY", false},
        {"2020-01-01_00-00-00_score-20.replay.replay", false},
        {"2020-01-01 00-00-00_score-20.replay", false},
        {"copy of 2020-01-01_00-00-00_score-20.replay", false},
    };
    for (const auto& f : files)
        std::ofstream(folder / f.name).put('x');

    Replay replay = Decoded(ReadBytes(kCorpus + "/01-column-0.replay"));
    replay.result.ranking.place = 0;
    for (int game = 0; game < kKeptOthers; ++game) {
        replay.result.ranking.minute = static_cast<uint8_t>(game);
        ASSERT_TRUE(SaveReplay(folder, replay, platform::SystemFiles()));
    }
    // The same name again, for another game: it goes beside the first.
    const Bytes first = EncodeReplay(replay);
    ++replay.result.rows;
    ASSERT_TRUE(SaveReplay(folder, replay, platform::SystemFiles()));
    const std::string name = ReplayFileName(replay);
    const std::string second = name.substr(0, name.size() - 7) + "_2.replay";
    EXPECT_EQ(ReadBytes(folder / name), first);
    EXPECT_EQ(ReadBytes(folder / second), EncodeReplay(replay));
    EXPECT_EQ(FreeReplayPath(folder, replay), folder / (name.substr(0, name.size() - 7) + "_3.replay"));

    for (const auto& f : files)
        EXPECT_EQ(fs::exists(folder / f.name), !f.removed) << f.name;
}

}  // namespace

namespace {

TEST(ReplayCommandLineTest, TakesTheFilesAfterTheOption) {
    const struct {
        std::vector<const char*> args;
        CommandLineRequest request;
        std::vector<std::string> files;
    } cases[] = {
        {{"tessary", "--replay", "a.replay", "b.replay"},
         CommandLineRequest::kReplay,
         {"a.replay"}},
        {{"tessary", "--check-replay", "a", "b", "--x", "c"},
         CommandLineRequest::kCheckReplay,
         {"a", "b"}},
        {{"tessary", "--check-replay"}, CommandLineRequest::kCheckReplay, {}},
        {{"tessary", "--help", "--replay", "a"}, CommandLineRequest::kHelp, {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> files;
        EXPECT_EQ(ReadCommandLine(static_cast<int>(c.args.size()), c.args.data(), &files),
                  c.request);
        EXPECT_EQ(files, c.files) << c.args[1];
    }
}

}  // namespace
