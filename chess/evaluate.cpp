// SPDX-License-Identifier: GPL-3.0-or-later
#include "chess/evaluate.h"

#include <cstdint>

#include "chess/position.h"

const int piece_value[6] = {100, 300, 300, 500, 900, 0};

ENGINE_STATE int piece_material[2];
ENGINE_STATE int pawn_material[2];
ENGINE_STATE int white_pawn_row[10];
ENGINE_STATE int black_pawn_row[10];

// clang-format off
const int pawn_table[64] = {
     0,   0,   0,   0,   0,   0,   0,   0,
     5,  10,  15,  20,  20,  15,  10,   5,
     4,   8,  12,  16,  16,  12,   8,   4,
     3,   6,   9,  12,  12,   9,   6,   3,
     2,   4,   6,   8,   8,   6,   4,   2,
     1,   2,   3, -10, -10,   3,   2,   1,
     0,   0,   0, -40, -40,   0,   0,   0,
     0,   0,   0,   0,   0,   0,   0,   0,
};

const int knight_table[64] = {
   -10, -10, -10, -10, -10, -10, -10, -10,
   -10,   0,   0,   0,   0,   0,   0, -10,
   -10,   0,   5,   5,   5,   5,   0, -10,
   -10,   0,   5,  10,  10,   5,   0, -10,
   -10,   0,   5,  10,  10,   5,   0, -10,
   -10,   0,   5,   5,   5,   5,   0, -10,
   -10,   0,   0,   0,   0,   0,   0, -10,
   -10, -30, -10, -10, -10, -10, -30, -10,
};

const int bishop_table[64] = {
   -10, -10, -10, -10, -10, -10, -10, -10,
   -10,   0,   0,   0,   0,   0,   0, -10,
   -10,   0,   5,   5,   5,   5,   0, -10,
   -10,   0,   5,  10,  10,   5,   0, -10,
   -10,   0,   5,  10,  10,   5,   0, -10,
   -10,   0,   5,   5,   5,   5,   0, -10,
   -10,   0,   0,   0,   0,   0,   0, -10,
   -10, -10, -20, -10, -10, -20, -10, -10,
};

const int king_table[64] = {
   -40, -40, -40, -40, -40, -40, -40, -40,
   -40, -40, -40, -40, -40, -40, -40, -40,
   -40, -40, -40, -40, -40, -40, -40, -40,
   -40, -40, -40, -40, -40, -40, -40, -40,
   -40, -40, -40, -40, -40, -40, -40, -40,
   -40, -40, -40, -40, -40, -40, -40, -40,
   -20, -20, -20, -20, -20, -20, -20, -20,
     0,  20,  40, -20,   0, -20,  40,  20,
};

const int king_endgame_table[64] = {
     0,  10,  20,  30,  30,  20,  10,   0,
    10,  20,  30,  40,  40,  30,  20,  10,
    20,  30,  40,  50,  50,  40,  30,  20,
    30,  40,  50,  60,  60,  50,  40,  30,
    30,  40,  50,  60,  60,  50,  40,  30,
    20,  30,  40,  50,  50,  40,  30,  20,
    10,  20,  30,  40,  40,  30,  20,  10,
     0,  10,  20,  30,  30,  20,  10,   0,
};
// clang-format on

namespace {

// Bit count without the POPCNT instruction, which the baseline x86-64 target lacks and whose
// library fallback costs a call.
inline int count_bits(uint64_t x) {
    x = x - ((x >> 1) & 0x5555555555555555ULL);
    x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
    return int((x * 0x0101010101010101ULL) >> 56);
}

// King safety is weighed by the enemy's remaining pieces over a full set (3100).
constexpr int FULL_PIECE_MATERIAL = 3100;

inline int rook_file_bonus(int own_pawn_row, int own_none, int other_pawn_row, int other_none) {
    if (own_pawn_row != own_none) return 0;
    return other_pawn_row == other_none ? 15 : 10;
}

int white_shelter(int f) {
    int r;
    switch (white_pawn_row[f]) {
    case 6:
        r = 0;
        break; // unmoved
    case 5:
        r = -10;
        break; // one step forward
    case 0:
        r = -25;
        break; // no pawn
    default:
        r = -20;
        break;
    }
    switch (black_pawn_row[f]) {
    case 7:
        r -= 15;
        break; // no enemy pawn: open to attack
    case 5:
        r -= 10;
        break;
    case 4:
        r -= 5;
        break;
    default:
        break;
    }
    return r;
}

int black_shelter(int f) {
    int r;
    switch (black_pawn_row[f]) {
    case 1:
        r = 0;
        break;
    case 2:
        r = -10;
        break;
    case 7:
        r = -25;
        break;
    default:
        r = -20;
        break;
    }
    switch (white_pawn_row[f]) {
    case 0:
        r -= 15;
        break;
    case 2:
        r -= 10;
        break;
    case 3:
        r -= 5;
        break;
    default:
        break;
    }
    return r;
}

// Shelter of a king on the wings, or the open-file penalty of a king on file d or e.
template <int (*shelter)(int)> int king_cover(int column) {
    if (column < 3) return shelter(1) + shelter(2) + shelter(3) / 2;
    if (column > 4) return shelter(8) + shelter(7) + shelter(6) / 2;
    int r = 0;
    for (int f = column; f <= column + 2; ++f)
        if (white_pawn_row[f] == 0 && black_pawn_row[f] == 7) r -= 10;
    return r;
}

} // namespace

int eval_white_pawn(int sq) {
    const int f = column_of(sq) + 1;
    const int row = row_of(sq);
    int r = pawn_table[sq];
    if (white_pawn_row[f] > row) // another White pawn behind it: doubled
        r -= 10;
    if (white_pawn_row[f - 1] == 0 && white_pawn_row[f + 1] == 0)
        r -= 20; // isolated
    else if (white_pawn_row[f - 1] < row && white_pawn_row[f + 1] < row)
        r -= 8; // backward
    if (black_pawn_row[f - 1] >= row && black_pawn_row[f] >= row && black_pawn_row[f + 1] >= row)
        r += (7 - row) * 20; // passed
    return r;
}

int eval_black_pawn(int sq) {
    const int f = column_of(sq) + 1;
    const int row = row_of(sq);
    int r = pawn_table[flip_square(sq)];
    if (black_pawn_row[f] < row) r -= 10;
    if (black_pawn_row[f - 1] == 7 && black_pawn_row[f + 1] == 7)
        r -= 20;
    else if (black_pawn_row[f - 1] > row && black_pawn_row[f + 1] > row)
        r -= 8;
    if (white_pawn_row[f - 1] <= row && white_pawn_row[f] <= row && white_pawn_row[f + 1] <= row)
        r += row * 20;
    return r;
}

int eval_white_king(int sq) {
    const int r = king_table[sq] + king_cover<white_shelter>(column_of(sq));
    return r * piece_material[BLACK] / FULL_PIECE_MATERIAL;
}

int eval_black_king(int sq) {
    const int r = king_table[flip_square(sq)] + king_cover<black_shelter>(column_of(sq));
    return r * piece_material[WHITE] / FULL_PIECE_MATERIAL;
}

int evaluate() {
    // Every term below is a sum, a maximum or a minimum over pieces, so the pieces are taken
    // kind by kind from the occupancy sets rather than square by square; the result is that
    // of two walks over the 64 squares.
    const uint64_t white = occupied_by[WHITE];
    const uint64_t black = occupied_by[BLACK];

    // 1-2. Material and the rearmost pawn of each file.
    for (int f = 0; f < 10; ++f) {
        white_pawn_row[f] = 0;
        black_pawn_row[f] = 7;
    }
    const uint64_t white_pawns = pieces_of[PAWN] & white;
    const uint64_t black_pawns = pieces_of[PAWN] & black;
    // Ascending squares have non-decreasing rows: White keeps the last row of each file,
    // Black the first.
    for (uint64_t bits = white_pawns; bits != 0; bits &= bits - 1) {
        const int sq = std::countr_zero(bits);
        white_pawn_row[column_of(sq) + 1] = row_of(sq);
    }
    for (uint64_t bits = black_pawns; bits != 0; bits &= bits - 1) {
        const int sq = std::countr_zero(bits);
        int& rearmost = black_pawn_row[column_of(sq) + 1];
        if (rearmost > row_of(sq)) rearmost = row_of(sq);
    }
    pawn_material[WHITE] = 100 * count_bits(white_pawns);
    pawn_material[BLACK] = 100 * count_bits(black_pawns);
    for (int color = WHITE; color <= BLACK; ++color) {
        const uint64_t own = occupied_by[color];
        int m = 0;
        for (int piece = KNIGHT; piece <= QUEEN; ++piece)
            m += piece_value[piece] * count_bits(pieces_of[piece] & own);
        piece_material[color] = m;
    }

    // 3-4. Material plus the terms of each piece; queens count material only.
    int score[2] = {piece_material[WHITE] + pawn_material[WHITE],
                    piece_material[BLACK] + pawn_material[BLACK]};
    for (uint64_t bits = white_pawns; bits != 0; bits &= bits - 1)
        score[WHITE] += eval_white_pawn(std::countr_zero(bits));
    for (uint64_t bits = black_pawns; bits != 0; bits &= bits - 1)
        score[BLACK] += eval_black_pawn(std::countr_zero(bits));

    for (uint64_t bits = pieces_of[KNIGHT] & white; bits != 0; bits &= bits - 1)
        score[WHITE] += knight_table[std::countr_zero(bits)];
    for (uint64_t bits = pieces_of[KNIGHT] & black; bits != 0; bits &= bits - 1)
        score[BLACK] += knight_table[flip_square(std::countr_zero(bits))];
    for (uint64_t bits = pieces_of[BISHOP] & white; bits != 0; bits &= bits - 1)
        score[WHITE] += bishop_table[std::countr_zero(bits)];
    for (uint64_t bits = pieces_of[BISHOP] & black; bits != 0; bits &= bits - 1)
        score[BLACK] += bishop_table[flip_square(std::countr_zero(bits))];

    // Rooks: a file without own pawns (15 if without any pawn), and the enemy's second row.
    for (uint64_t bits = pieces_of[ROOK] & white; bits != 0; bits &= bits - 1) {
        const int sq = std::countr_zero(bits);
        const int f = column_of(sq) + 1;
        score[WHITE] += rook_file_bonus(white_pawn_row[f], 0, black_pawn_row[f], 7);
        if (row_of(sq) == 1) score[WHITE] += 20;
    }
    for (uint64_t bits = pieces_of[ROOK] & black; bits != 0; bits &= bits - 1) {
        const int sq = std::countr_zero(bits);
        const int f = column_of(sq) + 1;
        score[BLACK] += rook_file_bonus(black_pawn_row[f], 7, white_pawn_row[f], 0);
        if (row_of(sq) == 6) score[BLACK] += 20;
    }

    // Kings: centralise once the enemy's pieces are down to ENDGAME_MATERIAL, else shelter.
    for (uint64_t bits = pieces_of[KING] & white; bits != 0; bits &= bits - 1) {
        const int sq = std::countr_zero(bits);
        score[WHITE] += piece_material[BLACK] <= ENDGAME_MATERIAL ? king_endgame_table[sq]
                                                                  : eval_white_king(sq);
    }
    for (uint64_t bits = pieces_of[KING] & black; bits != 0; bits &= bits - 1) {
        const int sq = std::countr_zero(bits);
        score[BLACK] += piece_material[WHITE] <= ENDGAME_MATERIAL
                            ? king_endgame_table[flip_square(sq)]
                            : eval_black_king(sq);
    }

    // 5. From the side to move's point of view.
    return score[side_to_move] - score[opponent];
}
