// SPDX-License-Identifier: GPL-3.0-or-later
#include "chess/rays.h"

namespace {

// Row and column steps of the frame offsets: -11 -10 -9 -1 1 9 10 11 for rays and kings,
// -21 -19 -12 -8 8 12 19 21 for knights (an offset is 10 x row step + column step).
constexpr int RAY_STEP[8][2] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1},
                                {0, 1},   {1, -1}, {1, 0},  {1, 1}};
constexpr int KNIGHT_STEP[8][2] = {{-2, -1}, {-2, 1}, {-1, -2}, {-1, 2},
                                   {1, -2},  {1, 2},  {2, -1},  {2, 1}};

constexpr bool on_board(int row, int column) {
    return row >= 0 && row < 8 && column >= 0 && column < 8;
}

constexpr RayTables build_rays() {
    RayTables t{};
    for (int sq = 0; sq < 64; ++sq) {
        const int row = sq / 8;
        const int column = sq % 8;
        for (int dir = 0; dir < RAY_DIRECTIONS; ++dir) {
            int n = 0;
            int r = row + RAY_STEP[dir][0];
            int c = column + RAY_STEP[dir][1];
            for (; on_board(r, c); r += RAY_STEP[dir][0], c += RAY_STEP[dir][1]) {
                t.ray[dir][sq][n++] = int8_t(r * 8 + c);
                t.ray_bits[dir][sq] |= uint64_t(1) << (r * 8 + c);
            }
            for (; n < 8; ++n)
                t.ray[dir][sq][n] = -1;
        }
        int k = 0;
        int g = 0;
        for (int d = 0; d < 8; ++d) {
            const int kr = row + KNIGHT_STEP[d][0];
            const int kc = column + KNIGHT_STEP[d][1];
            if (on_board(kr, kc)) {
                t.knight[sq][k++] = int8_t(kr * 8 + kc);
                t.knight_bits[sq] |= uint64_t(1) << (kr * 8 + kc);
            }
            const int gr = row + RAY_STEP[d][0];
            const int gc = column + RAY_STEP[d][1];
            if (on_board(gr, gc)) {
                t.king[sq][g++] = int8_t(gr * 8 + gc);
                t.king_bits[sq] |= uint64_t(1) << (gr * 8 + gc);
            }
        }
        for (; k < 9; ++k)
            t.knight[sq][k] = -1;
        for (; g < 9; ++g)
            t.king[sq][g] = -1;
    }
    return t;
}

} // namespace

// Computed by the compiler, so the tables are ready before any code runs.
constinit const RayTables rays = build_rays();
