#include "chess/move_gen.h"

#include "chess/position.h"

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

inline void piece_moves(Cursor& c, int sq, int piece, bool captures_only) {
    const int origin = square_to_mailbox[sq];
    const int count = piece_offsets[piece];
    const bool slides = piece_slides[piece];
    for (int d = 0; d < count; ++d) {
        const int offset = piece_offset[piece][d];
        int m = origin;
        for (;;) {
            m += offset;
            const int n = mailbox120[m];
            if (n < 0) break;
            if (square_color[n] != EMPTY) {
                if (square_color[n] == opponent) append(c, sq, n, MF_CAPTURE);
                break;
            }
            if (!captures_only) append(c, sq, n, 0);
            if (!slides) break;
        }
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
