#pragma once
// The ranking window's content: the heading and the ten best scores with the
// date and time each game ended, in large glyphs over the window frame.

#include <cstdint>

class Graphics;
struct RankingTable;

namespace ranking_window {

// Every line is this many glyph cells wide; cells past the text are blank.
constexpr int32_t kLineCells = 100;
constexpr int32_t kRows = 10;

// Row r (0..9) as the window shows it: " 1 2025/ 4/ 4  5: 6: 7       9372"
// (place, year, month, day, hour, minute, second, score). A date field
// outside its calendar range (year 0..9999, month 1..12, day 0..31, hour
// 0..23, minute 0..59, second 0..60) shows as 0, so a damaged record keeps
// the line inside the window; the table itself is not changed. A line is cut
// at kLineCells characters. Returns the line's length.
int32_t FormatRankingLine(const RankingTable& table, int32_t row, char16_t (&line)[kLineCells]);

// The heading "RANKING" and the ten lines, each a full line of 32 x 64
// glyphs 16 pixels apart.
void DrawRankingWindow(Graphics& sprites, const RankingTable& table);

}  // namespace ranking_window
