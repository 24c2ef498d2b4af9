// SPDX-License-Identifier: GPL-3.0-or-later
#include "chess/position.h"

#include <cstring>

#include "chess/rays.h"

ENGINE_STATE int square_color[64];
ENGINE_STATE int square_piece[64];
ENGINE_STATE int side_to_move = WHITE;
ENGINE_STATE int opponent = BLACK;
ENGINE_STATE int castle_rights = 0;
ENGINE_STATE int ep_square = -1;
ENGINE_STATE int fifty_counter = 0;
ENGINE_STATE int search_ply = 0;
ENGINE_STATE int history_ply = 0;
ENGINE_STATE ScoredMove move_stack[MOVE_STACK_SIZE] = {};
ENGINE_STATE int ply_first_move[MAX_PLY];
ENGINE_STATE int history_score[64][64];
ENGINE_STATE int start_move_number = 1;

ENGINE_STATE uint64_t occupied_by[7];
ENGINE_STATE uint64_t pieces_of[7];

// clang-format off
const int mailbox120[120] = {
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1,  0,  1,  2,  3,  4,  5,  6,  7, -1,
    -1,  8,  9, 10, 11, 12, 13, 14, 15, -1,
    -1, 16, 17, 18, 19, 20, 21, 22, 23, -1,
    -1, 24, 25, 26, 27, 28, 29, 30, 31, -1,
    -1, 32, 33, 34, 35, 36, 37, 38, 39, -1,
    -1, 40, 41, 42, 43, 44, 45, 46, 47, -1,
    -1, 48, 49, 50, 51, 52, 53, 54, 55, -1,
    -1, 56, 57, 58, 59, 60, 61, 62, 63, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
};

const int square_to_mailbox[64] = {
    21, 22, 23, 24, 25, 26, 27, 28,
    31, 32, 33, 34, 35, 36, 37, 38,
    41, 42, 43, 44, 45, 46, 47, 48,
    51, 52, 53, 54, 55, 56, 57, 58,
    61, 62, 63, 64, 65, 66, 67, 68,
    71, 72, 73, 74, 75, 76, 77, 78,
    81, 82, 83, 84, 85, 86, 87, 88,
    91, 92, 93, 94, 95, 96, 97, 98,
};

const int piece_offsets[6] = {0, 8, 4, 4, 8, 8};
const bool piece_slides[6] = {false, false, true, true, true, false};
const int piece_offset[6][8] = {
    {0, 0, 0, 0, 0, 0, 0, 0},
    {-21, -19, -12, -8, 8, 12, 19, 21},
    {-11, -9, 9, 11, 0, 0, 0, 0},
    {-10, -1, 1, 10, 0, 0, 0, 0},
    {-11, -10, -9, -1, 1, 9, 10, 11},
    {-11, -10, -9, -1, 1, 9, 10, 11},
};

// Moving from or to a square and-s the rights with its mask: a king or rook leaving home,
// or a rook captured at home, ends the castling it was needed for.
const int castle_keep_mask[64] = {
     7, 15, 15, 15,  3, 15, 15, 11,
    15, 15, 15, 15, 15, 15, 15, 15,
    15, 15, 15, 15, 15, 15, 15, 15,
    15, 15, 15, 15, 15, 15, 15, 15,
    15, 15, 15, 15, 15, 15, 15, 15,
    15, 15, 15, 15, 15, 15, 15, 15,
    15, 15, 15, 15, 15, 15, 15, 15,
    13, 15, 15, 15, 12, 15, 15, 14,
};

const int start_color[64] = {
    1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1,
    6, 6, 6, 6, 6, 6, 6, 6,
    6, 6, 6, 6, 6, 6, 6, 6,
    6, 6, 6, 6, 6, 6, 6, 6,
    6, 6, 6, 6, 6, 6, 6, 6,
    0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
};

const int start_piece[64] = {
    3, 1, 2, 4, 5, 2, 1, 3,
    0, 0, 0, 0, 0, 0, 0, 0,
    6, 6, 6, 6, 6, 6, 6, 6,
    6, 6, 6, 6, 6, 6, 6, 6,
    6, 6, 6, 6, 6, 6, 6, 6,
    6, 6, 6, 6, 6, 6, 6, 6,
    0, 0, 0, 0, 0, 0, 0, 0,
    3, 1, 2, 4, 5, 2, 1, 3,
};
// clang-format on

void init_position() {
    std::memcpy(square_color, start_color, sizeof square_color);
    std::memcpy(square_piece, start_piece, sizeof square_piece);
    side_to_move = WHITE;
    opponent = BLACK;
    castle_rights = 15;
    ep_square = -1;
    fifty_counter = 0;
    search_ply = 0;
    history_ply = 0;
    ply_first_move[0] = 0;
    start_move_number = 1;
    sync_position();
}

void sync_position() {
    for (int i = 0; i < 7; ++i)
        occupied_by[i] = pieces_of[i] = 0;
    for (int sq = 0; sq < 64; ++sq) {
        occupied_by[square_color[sq]] |= uint64_t(1) << sq;
        pieces_of[square_piece[sq]] |= uint64_t(1) << sq;
    }
}

// Looks outwards from the target instead of walking every piece of the attacker: a piece
// attacks the target exactly when the target, looking back along the same (symmetric)
// direction set, reaches it first. Results are those of the piece-by-piece walk.
int is_attacked(int target, int by) {
    const int column = column_of(target);
    if (by == WHITE) {
        // A White pawn on i attacks i - 9 (not from file a) and i - 7 (not from file h).
        if (column != 7 && target + 9 < 64 && square_piece[target + 9] == PAWN &&
            square_color[target + 9] == WHITE)
            return 1;
        if (column != 0 && target + 7 < 64 && square_piece[target + 7] == PAWN &&
            square_color[target + 7] == WHITE)
            return 1;
    } else {
        if (column != 0 && target - 9 >= 0 && square_piece[target - 9] == PAWN &&
            square_color[target - 9] == BLACK)
            return 1;
        if (column != 7 && target - 7 >= 0 && square_piece[target - 7] == PAWN &&
            square_color[target - 7] == BLACK)
            return 1;
    }

    const uint64_t own = occupied_by[by];
    if (rays.knight_bits[target] & pieces_of[KNIGHT] & own) return 1;
    if (rays.king_bits[target] & pieces_of[KING] & own) return 1;
    const uint64_t occupied = occupied_by[WHITE] | occupied_by[BLACK];
    const uint64_t diagonal = (pieces_of[BISHOP] | pieces_of[QUEEN]) & own;
    if (diagonal != 0) {
        for (const int dir : BISHOP_RAYS) {
            const int n = first_on_ray(dir, target, occupied);
            if (n >= 0 && ((diagonal >> n) & 1)) return 1;
        }
    }
    const uint64_t straight = (pieces_of[ROOK] | pieces_of[QUEEN]) & own;
    if (straight != 0) {
        for (const int dir : ROOK_RAYS) {
            const int n = first_on_ray(dir, target, occupied);
            if (n >= 0 && ((straight >> n) & 1)) return 1;
        }
    }
    return 0;
}

int side_in_check(int color) {
    // The lowest square holding a king of that colour, as a walk from square 0 would find.
    const uint64_t kings = pieces_of[KING] & occupied_by[color];
    if (kings == 0) return 1;
    return is_attacked(std::countr_zero(kings), color ^ 1);
}
