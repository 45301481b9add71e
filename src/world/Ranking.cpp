#include "world/Ranking.h"

#include <utility>

#include "platform/Clock.h"
#include "world/WorldState.h"

namespace {

// Swaps the fields a stored date keeps; the day of week and day of year are
// not stored and stay with their place.
void SwapStoredDate(platform::CalendarTime& a, platform::CalendarTime& b) {
    std::swap(a.second, b.second);
    std::swap(a.minute, b.minute);
    std::swap(a.hour, b.hour);
    std::swap(a.day, b.day);
    std::swap(a.month, b.month);
    std::swap(a.year, b.year);
    std::swap(a.daylight, b.daylight);
}

}  // namespace

void EnterRankingResult(RankingTable& table, int32_t score, platform::Calendar& calendar) {
    constexpr int kLast = RankingTable::kEntries - 1;
    table.lastTime = calendar.Now();
    table.dates[kLast] = calendar.LocalTime(table.lastTime);
    table.scores[kLast] = score;
    for (int pass = 0; pass < kLast; ++pass) {
        for (int j = kLast; j > pass; --j) {
            if (table.scores[j] > table.scores[j - 1]) {
                std::swap(table.scores[j], table.scores[j - 1]);
                SwapStoredDate(table.dates[j], table.dates[j - 1]);
            }
        }
    }
}
