// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Static evaluation of the one position, recounted from the square arrays on every call
// (no incremental counters, no caches): material, square tables, pawn structure, rooks on
// open files and on the seventh row, and king shelter that fades with the enemy's pieces.

#include "chess/position.h"

extern const int piece_value[6]; // by piece code: 100 300 300 500 900 0

// Working arrays rebuilt by every evaluate call and read by the per-piece terms below.
extern ENGINE_STATE int piece_material[2]; // by colour: value of the pieces other than pawns
extern ENGINE_STATE int pawn_material[2];  // by colour: 100 per pawn
// By file index (column + 1; entries 0 and 9 stay empty so the a- and h-files have
// pawnless neighbours): row of the rearmost pawn, 0 (White) or 7 (Black) when none.
extern ENGINE_STATE int white_pawn_row[10];
extern ENGINE_STATE int black_pawn_row[10];

// Square tables from White's side; Black reads the mirrored square (flip_square).
extern const int pawn_table[64];
extern const int knight_table[64];
extern const int bishop_table[64];
extern const int king_table[64];
extern const int king_endgame_table[64];

// Non-pawn material at or below which the other side's king centralises instead of hiding.
constexpr int ENDGAME_MATERIAL = 1200;

inline int flip_square(int sq) {
    return sq ^ 56;
} // same column, row 7 - row

// Score of the position for side_to_move: positive when it stands better.
int evaluate();

// Terms of one piece; they read the working arrays that evaluate has just filled.
int eval_white_pawn(int sq);
int eval_black_pawn(int sq);
int eval_white_king(int sq);
int eval_black_king(int sq);
