#pragma once
// The board and the piece shapes: the empty board of a new game, the board
// cells under the falling piece's box, the overlap test a turn must pass, and
// the contact test that says what touches the piece on its left, its right
// and below it.
//
// Cell codes: 0 empty, 1..7 a block left by four-cell kind 0..6, 8 a block
// left by the single block (kind 7), 9 wall or floor. Columns 0 and 11 of
// rows 0..28 are walls, row 28 is the floor, row 29 lies below it and stays 0.

#include <array>
#include <cstdint>

#include "play/PlayState.h"

// The orientations of every kind: entry kind + 1, rotation 0..3, box cell
// i = 4 * row + column of a 4 x 4 box. A filled cell holds the kind's code
// (kind + 1), an empty one 0. Entry 0 belongs to no piece and is all zeros.
// Rotation r + 1 is a quarter turn clockwise from rotation r.
using ShapeBox = std::array<int32_t, PlayState::kBoxCells>;
using ShapeTableType = std::array<std::array<ShapeBox, 4>, 9>;
extern const ShapeTableType ShapeTable;

constexpr int32_t kCellPixels = 24;  // one board cell on screen; the piece offsets move by it
constexpr int32_t kWallCode = 9;
constexpr int32_t kFloorRow = 28;

constexpr int32_t BoardIndex(int32_t row, int32_t column) {
    return PlayState::kColumns * row + column;
}

// Empties the board and puts up the two walls and the floor.
void BuildBoard(PlayState& play);

// Board column and row of each box cell, from pieceX and pieceY.
void UpdateCellCoordinates(PlayState& play);

// Whether the orientation, placed in the current box cells, covers any
// occupied cell (walls and floor included).
bool OverlapsBoard(const PlayState& play, int32_t kind, int32_t rotation);

// Sets leftBlocked, rightBlocked and landed from the occupied cells beside and
// below the falling piece's outer faces. Cells inside the piece's own outline
// are never looked at.
void ComputeContacts(PlayState& play);
