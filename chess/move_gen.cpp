// SPDX-License-Identifier: GPL-3.0-or-later
#include "chess/move_gen.h"

#include "chess/position.h"
#include "chess/rays.h"

namespace {

constexpr int CAPTURE_BASE = 1000000; // every capture and promotion sorts above history

// Write cursor of one generator call: the next free move_stack index and whether a move had
// to be dropped for want of room.
struct Cursor {
    int next;
    bool full;
};

inline void append(Cursor& c, int from, int to, int flags) {
    const bool promotes = (flags & MF_PAWN) && (side_to_move == WHITE ? to <= 7 : to >= 56);
    if (promotes) {
        if (c.next + 4 > MOVE_STACK_SIZE) {
            c.full = true;
            return;
        }
        for (int piece = KNIGHT; piece <= QUEEN; ++piece) {
            ScoredMove& s = move_stack[c.next++];
            s.move = Move{int8_t(from), int8_t(to), uint8_t(piece), uint8_t(flags | MF_PROMOTE)};
            s.score = CAPTURE_BASE + piece * 10;
        }
        return;
    }
    if (c.next >= MOVE_STACK_SIZE) {
        c.full = true;
        return;
    }
    ScoredMove& s = move_stack[c.next++];
    s.move = Move{int8_t(from), int8_t(to), 0, uint8_t(flags)};
    // Most valuable victim first, least valuable attacker first among equals. En-passant
    // captures land on an empty square and so take the history score like quiet moves.
    if (square_color[to] != EMPTY)
        s.score = CAPTURE_BASE + square_piece[to] * 10 - square_piece[from];
    else
        s.score = history_score[from][to];
}

inline void pawn_moves(Cursor& c, int sq, bool captures_only) {
    const int column = column_of(sq);
    if (side_to_move == WHITE) {
        if (column != 0 && square_color[sq - 9] == BLACK)
            append(c, sq, sq - 9, MF_PAWN | MF_CAPTURE);
        if (column != 7 && square_color[sq - 7] == BLACK)
            append(c, sq, sq - 7, MF_PAWN | MF_CAPTURE);
        if (captures_only) {
            // Only the push that promotes is a quiescence move.
            if (sq <= 15 && square_color[sq - 8] == EMPTY) append(c, sq, sq - 8, MF_PAWN);
        } else if (square_color[sq - 8] == EMPTY) {
            append(c, sq, sq - 8, MF_PAWN);
            if (sq >= 48 && square_color[sq - 16] == EMPTY)
                append(c, sq, sq - 16, MF_PAWN | MF_DOUBLE_PUSH);
        }
    } else {
        if (column != 0 && square_color[sq + 7] == WHITE)
            append(c, sq, sq + 7, MF_PAWN | MF_CAPTURE);
        if (column != 7 && square_color[sq + 9] == WHITE)
            append(c, sq, sq + 9, MF_PAWN | MF_CAPTURE);
        if (captures_only) {
            if (sq >= 48 && square_color[sq + 8] == EMPTY) append(c, sq, sq + 8, MF_PAWN);
        } else if (square_color[sq + 8] == EMPTY) {
            append(c, sq, sq + 8, MF_PAWN);
            if (sq <= 15 && square_color[sq + 16] == EMPTY)
                append(c, sq, sq + 16, MF_PAWN | MF_DOUBLE_PUSH);
        }
    }
}

// One step to each target of a list (knight or king), in direction order.
inline void step_moves(Cursor& c, int sq, const int8_t* targets, bool captures_only) {
    for (; *targets >= 0; ++targets) {
        const int n = *targets;
        if (square_color[n] == EMPTY) {
            if (!captures_only) append(c, sq, n, 0);
        } else if (square_color[n] == opponent) {
            append(c, sq, n, MF_CAPTURE);
        }
    }
}

// Each ray in direction order: its empty squares, then a capture of the piece ending it.
inline void slide_moves(Cursor& c, int sq, const int* dirs, int count, bool captures_only) {
    if (captures_only) {
        const uint64_t occupied = occupied_by[WHITE] | occupied_by[BLACK];
        for (int d = 0; d < count; ++d) {
            const int n = first_on_ray(dirs[d], sq, occupied);
            if (n >= 0 && square_color[n] == opponent) append(c, sq, n, MF_CAPTURE);
        }
        return;
    }
    for (int d = 0; d < count; ++d) {
        for (const int8_t* ray = rays.ray[dirs[d]][sq]; *ray >= 0; ++ray) {
            const int n = *ray;
            if (square_color[n] != EMPTY) {
                if (square_color[n] == opponent) append(c, sq, n, MF_CAPTURE);
                break;
            }
            append(c, sq, n, 0);
        }
    }
}

inline void piece_moves(Cursor& c, int sq, int piece, bool captures_only) {
    static constexpr int ALL_RAYS[8] = {0, 1, 2, 3, 4, 5, 6, 7};
    switch (piece) {
    case KNIGHT:
        step_moves(c, sq, rays.knight[sq], captures_only);
        break;
    case BISHOP:
        slide_moves(c, sq, BISHOP_RAYS, 4, captures_only);
        break;
    case ROOK:
        slide_moves(c, sq, ROOK_RAYS, 4, captures_only);
        break;
    case QUEEN:
        slide_moves(c, sq, ALL_RAYS, 8, captures_only);
        break;
    default:
        step_moves(c, sq, rays.king[sq], captures_only);
        break;
    }
}

// An en-passant target is tried from both neighbouring files; a target on file a or h from
// one side only.
inline void en_passant_moves(Cursor& c) {
    const int e = ep_square;
    if (e < 0) return;
    const int column = column_of(e);
    const int flags = MF_CAPTURE | MF_EN_PASSANT | MF_PAWN;
    if (side_to_move == WHITE) {
        if (column != 0 && square_color[e + 7] == WHITE && square_piece[e + 7] == PAWN)
            append(c, e + 7, e, flags);
        if (column != 7 && square_color[e + 9] == WHITE && square_piece[e + 9] == PAWN)
            append(c, e + 9, e, flags);
    } else {
        if (column != 0 && square_color[e - 9] == BLACK && square_piece[e - 9] == PAWN)
            append(c, e - 9, e, flags);
        if (column != 7 && square_color[e - 7] == BLACK && square_piece[e - 7] == PAWN)
            append(c, e - 7, e, flags);
    }
}

// Castling is generated on the rights alone; make_move checks the squares between and the
// attacks.
inline void castle_moves(Cursor& c) {
    if (side_to_move == WHITE) {
        if (castle_rights & CASTLE_WHITE_KING) append(c, 60, 62, MF_CASTLE);
        if (castle_rights & CASTLE_WHITE_QUEEN) append(c, 60, 58, MF_CASTLE);
    } else {
        if (castle_rights & CASTLE_BLACK_KING) append(c, 4, 6, MF_CASTLE);
        if (castle_rights & CASTLE_BLACK_QUEEN) append(c, 4, 2, MF_CASTLE);
    }
}

int generate(bool captures_only) {
    // ply_first_move[search_ply + 1] must exist.
    if (search_ply < 0 || search_ply >= MAX_PLY - 1) return 0;
    const int first = ply_first_move[search_ply];
    Cursor c{first, false};
    // Own pieces in ascending square order, the same order as a walk over all 64 squares.
    for (uint64_t own = occupied_by[side_to_move]; own != 0; own &= own - 1) {
        const int sq = std::countr_zero(own);
        const int piece = square_piece[sq];
        if (piece == PAWN)
            pawn_moves(c, sq, captures_only);
        else
            piece_moves(c, sq, piece, captures_only);
    }
    if (!captures_only) castle_moves(c);
    en_passant_moves(c);
    if (c.full) {
        ply_first_move[search_ply + 1] = first;
        return 0;
    }
    ply_first_move[search_ply + 1] = c.next;
    return 1;
}

} // namespace

int generate_moves() {
    return generate(false);
}

int generate_captures() {
    return generate(true);
}

void push_move(int from, int to, int flags) {
    Cursor c{ply_first_move[search_ply + 1], false};
    append(c, from, to, flags);
    ply_first_move[search_ply + 1] = c.next;
}
