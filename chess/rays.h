// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Precomputed walks of the 10 x 12 frame, square by square: the squares each piece reaches
// in one step or along each ray, in the frame's direction order, with the ray's squares also
// as a bit set so the first piece on a ray is found with one bit scan. Internal to the engine;
// the results equal walking mailbox120 with the offsets of position.h.

#include <cstdint>

// The eight directions in the order of the king's and queen's offsets:
// -11 -10 -9 -1 1 9 10 11. Directions 4 to 7 lead to higher square numbers.
constexpr int RAY_DIRECTIONS = 8;
constexpr int BISHOP_RAYS[4] = {0, 2, 5, 7}; // -11 -9 9 11
constexpr int ROOK_RAYS[4] = {1, 3, 4, 6};   // -10 -1 1 10

struct RayTables {
    int8_t ray[RAY_DIRECTIONS][64][8]; // squares along each ray, nearest first, -1 after
    uint64_t ray_bits[RAY_DIRECTIONS][64];
    int8_t knight[64][9]; // knight targets in offset order, -1 after
    int8_t king[64][9];   // king targets in offset order, -1 after
    uint64_t knight_bits[64];
    uint64_t king_bits[64];
};

extern const RayTables rays;

// The first occupied square on ray `dir` from `sq` given the occupied set, or -1.
inline int first_on_ray(int dir, int sq, uint64_t occupied) {
    const uint64_t hit = rays.ray_bits[dir][sq] & occupied;
    if (hit == 0) return -1;
    return dir >= 4 ? __builtin_ctzll(hit) : 63 - __builtin_clzll(hit);
}
