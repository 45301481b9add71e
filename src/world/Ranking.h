#pragma once
// The ranking table's entry of a finished game's result.

#include <cstdint>

struct RankingTable;

namespace platform {
class Calendar;
}

// Dates entry 10 with the calendar's time now, puts the score there and lets
// it rise past every strictly lower score. Equal scores keep the older entry
// above; a score below all ten stays in entry 10, which is never shown or
// stored.
void EnterRankingResult(RankingTable& table, int32_t score, platform::Calendar& calendar);
