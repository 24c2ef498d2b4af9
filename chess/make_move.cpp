// SPDX-License-Identifier: GPL-3.0-or-later
#include "chess/make_move.h"

#include <cstring>
#include <initializer_list>

ENGINE_STATE UndoRecord undo_stack[UNDO_STACK_SIZE] = {};

namespace {

// Writes one square and keeps the occupancy sets in step with it.
inline void put(int sq, int color, int piece) {
    const uint64_t bit = uint64_t(1) << sq;
    occupied_by[square_color[sq]] &= ~bit;
    occupied_by[color] |= bit;
    pieces_of[square_piece[sq]] &= ~bit;
    pieces_of[piece] |= bit;
    square_color[sq] = color;
    square_piece[sq] = piece;
}

inline void clear(int sq) {
    put(sq, EMPTY, EMPTY);
}

// The squares a castling king passes: they must be empty (the b-file square too) and, except
// the b-file square, not attacked. Returns false when the castling is refused.
inline bool castle_path_clear(int must_be_empty_a, int must_be_empty_b, int must_be_empty_c,
                              int safe_a, int safe_b) {
    if (square_color[must_be_empty_a] != EMPTY || square_color[must_be_empty_b] != EMPTY)
        return false;
    if (must_be_empty_c >= 0 && square_color[must_be_empty_c] != EMPTY) return false;
    return !is_attacked(safe_a, opponent) && !is_attacked(safe_b, opponent);
}

} // namespace

int make_move(uint32_t value) {
    if (history_ply < 0 || history_ply >= UNDO_STACK_SIZE) return 0;
    const Move m = to_move(value);
    const int from = m.from;
    const int to = m.to;
    if (from < 0 || from > 63 || to < 0 || to > 63) return 0;

    // 1. Castling: not out of check, not past pieces, not through or onto attacked squares.
    if (m.flags & MF_CASTLE) {
        if (side_in_check(side_to_move)) return 0;
        int rook_from = -1;
        int rook_to = -1;
        switch (to) {
        case 62:
            if (!castle_path_clear(61, 62, -1, 61, 62)) return 0;
            rook_from = 63, rook_to = 61;
            break;
        case 58:
            if (!castle_path_clear(57, 58, 59, 58, 59)) return 0;
            rook_from = 56, rook_to = 59;
            break;
        case 6:
            if (!castle_path_clear(5, 6, -1, 5, 6)) return 0;
            rook_from = 7, rook_to = 5;
            break;
        case 2:
            if (!castle_path_clear(1, 2, 3, 2, 3)) return 0;
            rook_from = 0, rook_to = 3;
            break;
        default:
            break; // not a castling target: the king moves alone
        }
        if (rook_from >= 0) {
            put(rook_to, square_color[rook_from], square_piece[rook_from]);
            clear(rook_from);
        }
    }

    // 2-3. Undo record, then one ply deeper.
    UndoRecord& u = undo_stack[history_ply];
    u.move = m;
    u.captured = square_piece[to];
    u.saved_castle_rights = castle_rights;
    u.saved_ep_square = ep_square;
    u.saved_fifty_counter = fifty_counter;
    ++search_ply;
    ++history_ply;

    // 4-6. Rights, en-passant target, fifty-move counter.
    castle_rights &= castle_keep_mask[from] & castle_keep_mask[to];
    if (m.flags & MF_DOUBLE_PUSH)
        ep_square = side_to_move == WHITE ? to + 8 : to - 8;
    else
        ep_square = -1;
    if (m.flags & (MF_CAPTURE | MF_PAWN))
        fifty_counter = 0;
    else
        ++fifty_counter;

    // 7-8. Move the piece; an en-passant capture removes the pawn behind the target.
    const int piece = (m.flags & MF_PROMOTE) ? m.promote : square_piece[from];
    put(to, side_to_move, piece);
    clear(from);
    if (m.flags & MF_EN_PASSANT) clear(side_to_move == WHITE ? to + 8 : to - 8);

    // 9-10. Hand over the move; a move that leaves the mover's king attacked is undone.
    side_to_move ^= 1;
    opponent ^= 1;
    if (side_in_check(opponent)) {
        take_back();
        return 0;
    }
    return 1;
}

void take_back() {
    if (history_ply <= 0) return;
    side_to_move ^= 1;
    opponent ^= 1;
    --search_ply;
    --history_ply;

    const UndoRecord& u = undo_stack[history_ply];
    const Move m = u.move;
    const int from = m.from;
    const int to = m.to;
    castle_rights = u.saved_castle_rights;
    ep_square = u.saved_ep_square;
    fifty_counter = u.saved_fifty_counter;

    const int piece = (m.flags & MF_PROMOTE) ? PAWN : square_piece[to];
    put(from, side_to_move, piece);
    if (u.captured == EMPTY)
        clear(to);
    else
        put(to, opponent, u.captured);

    if (m.flags & MF_CASTLE) {
        int rook_home = -1;
        int rook_castled = -1;
        switch (to) {
        case 62:
            rook_home = 63, rook_castled = 61;
            break;
        case 58:
            rook_home = 56, rook_castled = 59;
            break;
        case 6:
            rook_home = 7, rook_castled = 5;
            break;
        case 2:
            rook_home = 0, rook_castled = 3;
            break;
        default:
            break;
        }
        if (rook_home >= 0) {
            put(rook_home, side_to_move, ROOK);
            clear(rook_castled);
        }
    }
    if (m.flags & MF_EN_PASSANT) put(side_to_move == WHITE ? to + 8 : to - 8, opponent, PAWN);
}

int en_passant_option(int ep, int side) {
    if (ep < 0) return -1;
    const int behind = side == WHITE ? ep + 8 : ep - 8; // the square of the pawn that jumped
    for (int beside : {behind - 1, behind + 1}) {
        if (beside < 0 || beside > 63 || row_of(beside) != row_of(behind)) continue;
        if (square_color[beside] == side && square_piece[beside] == PAWN) return ep;
    }
    return -1;
}

int repetition_count() {
    if (fifty_counter <= 3) return 0;
    // 1. Walk back over the reversible tail (the last fifty_counter records: no capture, no
    // pawn move, so each only moved one piece, or king and rook when castling), taking the
    // moves back on a copy of the placement and counting the squares where it differs from
    // the current one.
    uint8_t earlier[64];
    for (int sq = 0; sq < 64; ++sq)
        earlier[sq] = uint8_t(square_color[sq] * 8 + square_piece[sq]);
    auto differs = [&earlier](int sq) {
        return earlier[sq] != uint8_t(square_color[sq] * 8 + square_piece[sq]) ? 1 : 0;
    };
    const int ep_now = en_passant_option(ep_square, side_to_move);
    int different = 0;
    int repeats = 0;
    const int first = history_ply - fifty_counter < 0 ? 0 : history_ply - fifty_counter;
    for (int i = history_ply - 1; i >= first; --i) {
        const UndoRecord& u = undo_stack[i];
        // 2. Castling rights only shrink as a game goes on: once the rights before a move
        // differ from today's, no earlier position can be the same. A castling move always
        // takes rights away, so the walk never has to take back a rook.
        if (u.saved_castle_rights != castle_rights || (u.move.flags & MF_CASTLE)) break;
        const int from = u.move.from;
        const int to = u.move.to;
        different -= differs(from) + differs(to);
        earlier[from] = earlier[to];
        earlier[to] = uint8_t(EMPTY * 8 + EMPTY);
        different += differs(from) + differs(to);
        // 3. The position before record i is the same when the same side was to move (an
        // even number of moves back), every square holds the same piece of the same colour,
        // and the same en-passant capture was open.
        if (different == 0 && ((history_ply - i) & 1) == 0 &&
            en_passant_option(u.saved_ep_square, side_to_move) == ep_now)
            ++repeats;
    }
    return repeats;
}

void forget_oldest_moves(int count) {
    if (count > history_ply) count = history_ply;
    count &= ~1; // whole moves: the side to move at the stack's start stays the same
    if (count <= 0) return;
    std::memmove(undo_stack, undo_stack + count, sizeof(UndoRecord) * size_t(history_ply - count));
    history_ply -= count;
    start_move_number += count / 2;
}
