#include "play/Rows.h"

#include "audio/Audio.h"
#include "play/Board.h"
#include "play/PlayState.h"

namespace {

constexpr int32_t kFirstColumn = 1;
constexpr int32_t kLastColumn = PlayState::kColumns - 2;

bool RowIsFull(const PlayState& play, int32_t row) {
    for (int32_t column = kFirstColumn; column <= kLastColumn; ++column) {
        if (play.board[BoardIndex(row, column)] <= 0)
            return false;
    }
    return true;
}

}  // namespace

void ClearFullRows(PlayState& play) {
    // Rows that move down have been looked at already and were not full, so
    // one pass from the top finds every full row.
    for (int32_t row = 0; row < kFloorRow; ++row) {
        if (!RowIsFull(play, row))
            continue;
        for (int32_t column = kFirstColumn; column <= kLastColumn; ++column) {
            if (row == 0) {
                play.board[BoardIndex(0, column)] = 0;
                continue;
            }
            // Row 0 is copied down but not emptied.
            for (int32_t k = row - 1; k >= 0; --k)
                play.board[BoardIndex(k + 1, column)] = play.board[BoardIndex(k, column)];
        }
        ++play.clearedLines;
        ++play.levelLines;
        ++play.rowsRemoved;
    }
}

void ScoreRows(PlayState& play, Audio& audio) {
    // Rows past the twentieth are not carried into the next level.
    if (play.levelLines >= kLinesPerLevel) {
        if (play.level < kTopLevel)
            ++play.level;
        play.levelLines = 0;
    }
    static constexpr uint32_t kPoints[5] = {0, 200, 400, 800, 1600};
    const int32_t rows = play.clearedLines;
    if (rows >= 1 && rows <= 4) {
        play.score += kPoints[rows] * static_cast<uint32_t>(play.level + 1);
        audio.effects().Play(rows == 4 ? kFourRowsEffect : kFewRowsEffect);
    }
    play.clearedLines = 0;
}

void RemoveAndScoreRows(PlayState& play, Audio& audio) {
    ClearFullRows(play);
    ScoreRows(play, audio);
}
