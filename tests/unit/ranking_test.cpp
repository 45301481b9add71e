// Entering a finished game's result into the ranking: where the new score
// lands, what drops out, and which date fields travel with their score.

#include <gtest/gtest.h>

#include <array>

#include "support/ScriptedClock.h"
#include "world/Ranking.h"
#include "world/WorldState.h"

namespace {

using platform::CalendarTime;

// A date whose every field names its entry, so a moved field shows where it came from.
CalendarTime DateOf(int entry) {
    return CalendarTime{entry,       entry + 100, entry + 200, entry + 300, entry + 400,
                        entry + 500, entry + 600, entry + 700, entry + 800};
}

class RankingTest : public ::testing::Test {
protected:
    void Fill(const std::array<int32_t, 10>& scores) {
        for (int i = 0; i < 10; ++i) {
            table.scores[i] = scores[i];
            table.dates[i] = DateOf(i);
        }
    }
    std::array<int32_t, 11> Scores() const {
        std::array<int32_t, 11> out{};
        for (int i = 0; i < 11; ++i)
            out[i] = table.scores[i];
        return out;
    }
    // The stored fields of entry `at` came from entry `from` (99: the new result).
    void ExpectStoredDate(int at, int from) {
        const CalendarTime& d = table.dates[at];
        const CalendarTime want = from == 99 ? calendar.local : DateOf(from);
        EXPECT_EQ(d.second, want.second) << "entry " << at;
        EXPECT_EQ(d.minute, want.minute) << "entry " << at;
        EXPECT_EQ(d.hour, want.hour) << "entry " << at;
        EXPECT_EQ(d.day, want.day) << "entry " << at;
        EXPECT_EQ(d.month, want.month) << "entry " << at;
        EXPECT_EQ(d.year, want.year) << "entry " << at;
        EXPECT_EQ(d.daylight, want.daylight) << "entry " << at;
    }

    RankingTable table;
    FixedCalendar calendar;

    void SetUp() override {
        calendar.now = 1700000000;
        calendar.local = CalendarTime{9, 8, 7, 6, 5, 124, 3, 2, 1};
    }
};

TEST_F(RankingTest, AnEqualScoreGoesBelowTheOlderEntryAndTheDatesMoveWithTheirScores) {
    Fill({100, 90, 80, 70, 60, 50, 40, 30, 20, 10});
    EnterRankingResult(table, 60, calendar);

    EXPECT_EQ(Scores(), (std::array<int32_t, 11>{100, 90, 80, 70, 60, 60, 50, 40, 30, 20, 10}));
    EXPECT_EQ(table.lastTime, 1700000000);
    const int from[11] = {0, 1, 2, 3, 4, 99, 5, 6, 7, 8, 9};
    for (int i = 0; i < 11; ++i)
        ExpectStoredDate(i, from[i]);
    // The day of week and the day of year are not stored: they keep their place.
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(table.dates[i].weekday, DateOf(i).weekday) << "entry " << i;
        EXPECT_EQ(table.dates[i].yearDay, DateOf(i).yearDay) << "entry " << i;
    }
    EXPECT_EQ(table.dates[10].weekday, calendar.local.weekday);
}

TEST_F(RankingTest, AScoreBelowAllTenIsLostAndTheTableStands) {
    Fill({100, 90, 80, 70, 60, 50, 40, 30, 20, 10});
    EnterRankingResult(table, 9, calendar);
    EXPECT_EQ(Scores(), (std::array<int32_t, 11>{100, 90, 80, 70, 60, 50, 40, 30, 20, 10, 9}));
    for (int i = 0; i < 10; ++i)
        ExpectStoredDate(i, i);

    // A new best pushes the old tenth out to entry 10, which is never kept.
    EnterRankingResult(table, 1000, calendar);
    EXPECT_EQ(Scores(), (std::array<int32_t, 11>{1000, 100, 90, 80, 70, 60, 50, 40, 30, 20, 10}));
    ExpectStoredDate(0, 99);
    ExpectStoredDate(10, 9);
}

TEST_F(RankingTest, NegativeScoresSortBelowZero) {
    Fill({50, 0, 0, -5, -10, -20, -30, -40, -50, -60});
    EnterRankingResult(table, -7, calendar);
    EXPECT_EQ(Scores(), (std::array<int32_t, 11>{50, 0, 0, -5, -7, -10, -20, -30, -40, -50, -60}));

    RankingTable fresh;
    EnterRankingResult(fresh, -1, calendar);
    EXPECT_EQ(fresh.scores[0], 0);
    EXPECT_EQ(fresh.scores[10], -1);
}

}  // namespace
