// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The board's own records: which piece stands on which square, with each piece's identity
// (kind, index, colour) and whether a pawn is promoted. The game model holds them
// (game/game_model.h); the 3D board fills in the scene handles (`node`, `graveyard`, `ownMesh`),
// which the model keeps but never follows.
//
// Squares: index = row * 8 + column, row 0 is Black's back rank, column 0 the a-file.

#include <cstdint>

class KNodeGraph;
class KMesh;
struct PieceRecord;

// The board's piece kinds (not the engine's piece codes).
constexpr int KIND_PAWN = 2;
constexpr int KIND_QUEEN = 3;
constexpr int KIND_KING = 4;
constexpr int KIND_BISHOP = 5;
constexpr int KIND_KNIGHT = 6;
constexpr int KIND_ROOK = 7;

struct SquareRecord {
    KNodeGraph* node = nullptr; // the square's scene node
    float x = 0, y = 0, z = 0;  // position under the board group: (column, 0, row)
    int32_t row = 0;
    int32_t column = 0;
    PieceRecord* piece = nullptr; // piece standing here, or null
};

struct PieceRecord {
    KNodeGraph* node = nullptr;     // the piece's scene node
    SquareRecord* square = nullptr; // square it stands on, null once captured
    int32_t kind = 0;               // KIND_*: its identity, kept by a promoted pawn
    int32_t index = 0;              // which of the like pieces of its colour
    int32_t colour = 0;             // 0 White, 1 Black
    int32_t row = -1;               // copies of the square's row and column, -1 when captured
    int32_t column = -1;
    KNodeGraph* graveyard = nullptr; // group node under which a captured piece is parked
    uint8_t promoted = 0;            // a pawn that reached the last row: moves as a queen
    KMesh* ownMesh = nullptr;        // the model's own mesh, restored when a promotion ends
};

// The kind a piece moves as: a promoted pawn moves as a queen.
inline int movingKind(const PieceRecord* p) {
    return p->promoted ? KIND_QUEEN : p->kind;
}
