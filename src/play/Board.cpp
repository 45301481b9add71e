#include "play/Board.h"

#include <string_view>

namespace {

// One orientation as four box rows of 'X' (filled) and '.' (empty), top row first.
constexpr ShapeBox Box(std::string_view rows, int32_t code) {
    ShapeBox box{};
    int32_t i = 0;
    for (char ch : rows) {
        if (ch == '/')
            continue;
        box[i++] = ch == 'X' ? code : 0;
    }
    return box;
}

constexpr ShapeTableType MakeShapeTable() {
    // Per kind: rotations 0..3.
    constexpr std::string_view kRows[8][4] = {
        // 0: Z
        {"..../XX../.XX./....", ".X../XX../X.../....", "..../XX../.XX./....",
         ".X../XX../X.../...."},
        // 1: S
        {"..../.XX./XX../....", "X.../XX../.X../....", "..../.XX./XX../....",
         "X.../XX../.X../...."},
        // 2: T
        {"..../.X../XXX./....", "..../.X../.XX./.X..", "..../..../XXX./.X..",
         "..../.X../XX../.X.."},
        // 3: L
        {"..../..X./XXX./....", "..../.X../.X../.XX.", "..../..../XXX./X...",
         "..../XX../.X../.X.."},
        // 4: J
        {"..../X.../XXX./....", "..../.XX./.X../.X..", "..../..../XXX./..X.",
         "..../.X../.X../XX.."},
        // 5: O
        {"..../.XX./.XX./....", "..../.XX./.XX./....", "..../.XX./.XX./....",
         "..../.XX./.XX./...."},
        // 6: I
        {".X../.X../.X../.X..", "..../..../XXXX/....", ".X../.X../.X../.X..",
         "..../..../XXXX/...."},
        // 7: single block
        {"..../..../.X../....", "..../..../.X../....", "..../..../.X../....",
         "..../..../.X../...."},
    };
    ShapeTableType table{};
    for (int32_t kind = 0; kind < 8; ++kind)
        for (int32_t rotation = 0; rotation < 4; ++rotation)
            table[kind + 1][rotation] = Box(kRows[kind][rotation], kind + 1);
    return table;
}

}  // namespace

constexpr ShapeTableType ShapeTable = MakeShapeTable();

void BuildBoard(PlayState& play) {
    for (int32_t& cell : play.board)
        cell = 0;
    for (int32_t row = 0; row <= kFloorRow; ++row) {
        play.board[BoardIndex(row, 0)] = kWallCode;
        play.board[BoardIndex(row, PlayState::kColumns - 1)] = kWallCode;
    }
    for (int32_t column = 1; column < PlayState::kColumns - 1; ++column)
        play.board[BoardIndex(kFloorRow, column)] = kWallCode;
}

void UpdateCellCoordinates(PlayState& play) {
    const int32_t column0 = play.pieceX / kCellPixels;
    const int32_t row0 = play.pieceY / kCellPixels;
    for (int32_t i = 0; i < PlayState::kBoxCells; ++i) {
        play.cellColumn[i] = column0 + i % 4;
        play.cellRow[i] = row0 + i / 4;
    }
}

bool OverlapsBoard(const PlayState& play, int32_t kind, int32_t rotation) {
    // A filled cell in box column 12 (a flat I piece at the right wall) is
    // looked up as column 0 of the next row, a wall, so the turn is refused.
    const ShapeBox& shape = ShapeTable[kind + 1][rotation];
    bool overlaps = false;
    for (int32_t i = 0; i < PlayState::kBoxCells; ++i) {
        if (shape[i] != 0 && play.board[BoardIndex(play.cellRow[i], play.cellColumn[i])] != 0)
            overlaps = true;
    }
    return overlaps;
}

void ComputeContacts(PlayState& play) {
    const ShapeBox& shape = ShapeTable[play.queue[0] + 1][play.rotation];
    const int32_t column0 = play.pieceX / kCellPixels;
    const int32_t row0 = play.pieceY / kCellPixels;
    auto filled = [&shape](int32_t r, int32_t c) { return shape[4 * r + c] != 0; };
    auto occupied = [&play](int32_t row, int32_t column) {
        return play.board[BoardIndex(row, column)] > 0;
    };

    int32_t left = 0;
    int32_t right = 0;
    int32_t below = 0;
    for (int32_t r = 0; r < 4; ++r) {
        for (int32_t c = 0; c < 4; ++c) {
            if (!filled(r, c))
                continue;
            const int32_t row = row0 + r;
            const int32_t column = column0 + c;
            // Only outer faces count: a neighbour inside the piece is skipped.
            if ((c == 0 || !filled(r, c - 1)) && occupied(row, column - 1))
                left = 1;
            if ((c == 3 || !filled(r, c + 1)) && occupied(row, column + 1))
                right = 1;
            if ((r == 3 || !filled(r + 1, c)) && occupied(row + 1, column))
                below = 1;
        }
    }
    play.leftBlocked = left;
    play.rightBlocked = right;
    play.landed = below;
}
