#include "menu/RankingWindow.h"

#include <cstdio>
#include <string_view>

#include "menu/MenuDrawing.h"
#include "world/WorldState.h"

namespace ranking_window {
namespace {

constexpr int32_t kAdvance = 16;
constexpr int32_t kGlyphWidth = 32;
constexpr int32_t kGlyphHeight = 64;
constexpr int32_t kHeadingX = 592;
constexpr int32_t kHeadingY = 24;
constexpr int32_t kRowX = 376;
constexpr int32_t kFirstRowY = 72;
constexpr int32_t kRowSpacing = 56;

// A date field as its cell shows it: the value when it lies in its calendar
// range, else 0, so that a damaged record never widens the line.
int32_t InRangeOrZero(int64_t value, int64_t low, int64_t high) {
    return value >= low && value <= high ? static_cast<int32_t>(value) : 0;
}

}  // namespace

int32_t FormatRankingLine(const RankingTable& table, int32_t row, char16_t (&line)[kLineCells]) {
    // The year and month are shifted in 64 bits: a date read from the
    // settings file may hold any int32, and the sum must not overflow.
    const platform::CalendarTime& date = table.dates[row];
    const int32_t year = InRangeOrZero(int64_t{date.year} + 1900, 0, 9999);
    const int32_t month = InRangeOrZero(int64_t{date.month} + 1, 1, 12);
    const int32_t day = InRangeOrZero(date.day, 0, 31);
    const int32_t hour = InRangeOrZero(date.hour, 0, 23);
    const int32_t minute = InRangeOrZero(date.minute, 0, 59);
    const int32_t second = InRangeOrZero(date.second, 0, 60);  // 60: a leap second
    char text[kLineCells] = {};
    const int written =
        std::snprintf(text, sizeof text, "%2d %4d/%2d/%2d %2d:%2d:%2d %10d", row + 1, year, month,
                      day, hour, minute, second, table.scores[row]);
    int32_t length = written < 0 ? 0 : written;
    if (length > kLineCells - 1)
        length = kLineCells - 1;  // snprintf cut it there
    for (int32_t i = 0; i < kLineCells; ++i)
        line[i] = i < length ? static_cast<char16_t>(static_cast<unsigned char>(text[i])) : 0;
    return length;
}

void DrawRankingWindow(Graphics& sprites, const RankingTable& table) {
    menu_drawing::DrawText(sprites, u"RANKING", kLineCells, kHeadingX, kHeadingY, kAdvance,
                           kGlyphWidth, kGlyphHeight);
    for (int32_t r = 0; r < kRows; ++r) {
        char16_t line[kLineCells];
        const int32_t length = FormatRankingLine(table, r, line);
        menu_drawing::DrawText(sprites, std::u16string_view(line, static_cast<size_t>(length)),
                               kLineCells, kRowX, kFirstRowY + kRowSpacing * r, kAdvance,
                               kGlyphWidth, kGlyphHeight);
    }
}

}  // namespace ranking_window
