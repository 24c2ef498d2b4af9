// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The identity of the 32 pieces of the 3D board and the packed moves of the game record, which
// are also the lines of a ".chs" saved game and the entries of a game sent to the peer; their
// checks and their replay on square identifiers. Nothing here touches the board or the engine.

#include <cstdint>

#include "game/game_array.h"

// One of the 32 pieces of the 3D board: kind * 32 + colour * 16 + index. Kinds are the board's
// (2 pawn, 3 queen, 4 king, 5 bishop, 6 knight, 7 rook); a promoted pawn keeps its pawn identity.
using PieceId = int32_t;

// A move in one 32-bit value, one field per 4-bit group: target column (bits 0-2), target row
// (4-6), origin column (8-10), origin row (12-14), kind (16-18), index (20-22), colour (bit 24).
// Rows and columns as the engine numbers squares: square = row * 8 + column, row 0 = rank 8.
using RecordedMove = int32_t;

constexpr PieceId NO_PIECE = -1;

inline PieceId make_piece_id(int colour, int kind, int index) {
    return kind * 32 + colour * 16 + index;
}
inline int id_kind(PieceId id) {
    return (id >> 5) & 7;
}
inline int id_colour(PieceId id) {
    return (id >> 4) & 1;
}
inline int id_index(PieceId id) {
    return id & 7;
}

inline RecordedMove make_recorded_move(int fr, int fc, int tr, int tc, int colour, int kind,
                                       int index) {
    return (tc & 7) | (tr & 7) << 4 | (fc & 7) << 8 | (fr & 7) << 12 | (kind & 7) << 16 |
           (index & 7) << 20 | (colour & 1) << 24;
}
inline int rm_to_column(RecordedMove m) {
    return m & 7;
}
inline int rm_to_row(RecordedMove m) {
    return (m >> 4) & 7;
}
inline int rm_from_column(RecordedMove m) {
    return (m >> 8) & 7;
}
inline int rm_from_row(RecordedMove m) {
    return (m >> 12) & 7;
}
inline int rm_kind(RecordedMove m) {
    return (m >> 16) & 7;
}
inline int rm_index(RecordedMove m) {
    return (m >> 20) & 7;
}
inline int rm_colour(RecordedMove m) {
    return (m >> 24) & 1;
}
inline PieceId rm_piece_id(RecordedMove m) {
    return make_piece_id(rm_colour(m), rm_kind(m), rm_index(m));
}

// True when every field of the value is in range: no bit outside the fields, kind 2 to 7, and
// an index the kind has (pawns 0-7, queen and king 0, the others 0-1).
bool recorded_move_in_range(RecordedMove m);

// The identifiers of the start position (64 squares, NO_PIECE where empty).
void start_square_ids(PieceId ids[64]);

// Which pawns have been promoted: bit colour * 8 + index.
using PromotedPawns = uint16_t;

// Plays one recorded move on square identifiers: a taken piece (also a pawn taken en passant) is
// appended to `captured` (when not null), a castling king's rook goes to its new square, a pawn
// reaching the last row is marked in `promoted`, the origin is emptied and the target given the
// mover's identifier. With `check` the value is tested first and false comes back, nothing
// changed, when it is out of range, its origin does not hold the piece it names, or its target
// holds a piece of the mover's colour.
bool apply_recorded_move(RecordedMove m, PieceId ids[64], PromotedPawns* promoted,
                         GrowArray<PieceId>* captured, bool check);

// Checks and replays `count` moves from the start position onto `ids` and `promoted` (no captured
// list). False at the first damaged value. Used on files and on games received from the peer.
bool check_recorded_moves(const RecordedMove* moves, int count, PieceId ids[64],
                          PromotedPawns* promoted);
