// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/recorded_move.h"

namespace {

// Start identifiers: back ranks in the order rook, knight, bishop, queen, king, bishop, knight,
// rook; pawns by file.
const int BACK_KIND[8] = {7, 6, 5, 3, 4, 5, 6, 7};
const int BACK_INDEX[8] = {0, 0, 0, 0, 0, 1, 1, 1};

int lastRow(int colour) {
    return colour == 0 ? 0 : 7;
}

} // namespace

bool recorded_move_in_range(RecordedMove m) {
    if (m & ~0x01777777) return false; // a bit outside the fields, or a negative value
    int kind = rm_kind(m), index = rm_index(m);
    switch (kind) {
    case 2:
        return true; // indexes 0-7
    case 3:
    case 4:
        return index == 0;
    case 5:
    case 6:
    case 7:
        return index <= 1;
    default:
        return false;
    }
}

void start_square_ids(PieceId ids[64]) {
    for (int s = 0; s < 64; ++s)
        ids[s] = NO_PIECE;
    for (int c = 0; c < 8; ++c) {
        ids[c] = make_piece_id(1, BACK_KIND[c], BACK_INDEX[c]);
        ids[8 + c] = make_piece_id(1, 2, c);
        ids[48 + c] = make_piece_id(0, 2, c);
        ids[56 + c] = make_piece_id(0, BACK_KIND[c], BACK_INDEX[c]);
    }
}

bool apply_recorded_move(RecordedMove m, PieceId ids[64], PromotedPawns* promoted,
                         GrowArray<PieceId>* captured, bool check) {
    int fr = rm_from_row(m), fc = rm_from_column(m), tr = rm_to_row(m), tc = rm_to_column(m);
    int from = fr * 8 + fc, to = tr * 8 + tc, colour = rm_colour(m), kind = rm_kind(m);
    PieceId id = rm_piece_id(m);
    if (check) {
        if (!recorded_move_in_range(m) || from == to || ids[from] != id) return false;
        if (ids[to] != NO_PIECE && id_colour(ids[to]) == colour) return false;
    }
    uint16_t pawnBit = uint16_t(1u << (colour * 8 + rm_index(m)));
    bool realPawn = kind == 2 && !(promoted && (*promoted & pawnBit));
    if (ids[to] != NO_PIECE) {
        if (captured) captured->push(ids[to]);
    } else if (realPawn && fc != tc) {
        // A pawn's diagonal step onto an empty square is en passant: the pawn beside it goes.
        int beside = fr * 8 + tc;
        if (ids[beside] != NO_PIECE && id_kind(ids[beside]) == 2 &&
            id_colour(ids[beside]) != colour) {
            if (captured) captured->push(ids[beside]);
            ids[beside] = NO_PIECE;
        }
    }
    if (kind == 4 && fc == 4 && fr == tr && (tc == 2 || tc == 6)) {
        // Castling: only the king's move is recorded; its rook goes along.
        int corner = fr * 8 + (tc == 2 ? 0 : 7), rookTo = fr * 8 + (tc == 2 ? 3 : 5);
        if (ids[corner] == make_piece_id(colour, 7, tc == 2 ? 0 : 1) && ids[rookTo] == NO_PIECE) {
            ids[rookTo] = ids[corner];
            ids[corner] = NO_PIECE;
        }
    }
    ids[from] = NO_PIECE;
    ids[to] = id;
    if (realPawn && tr == lastRow(colour) && promoted) *promoted |= pawnBit;
    return true;
}

bool check_recorded_moves(const RecordedMove* moves, int count, PieceId ids[64],
                          PromotedPawns* promoted) {
    start_square_ids(ids);
    *promoted = 0;
    for (int i = 0; i < count; ++i)
        if (!apply_recorded_move(moves[i], ids, promoted, nullptr, true)) return false;
    return true;
}
