// SPDX-License-Identifier: GPL-3.0-or-later
#include "chess/perft.h"

#include "chess/make_move.h"
#include "chess/move_gen.h"
#include "chess/position.h"
#include "chess/search.h"

namespace {

uint64_t count_leaves(int depth) {
    if (!generate_moves()) return 0;
    const int first = ply_first_move[search_ply];
    const int last = ply_first_move[search_ply + 1];
    uint64_t leaves = 0;
    for (int i = first; i < last; ++i) {
        if (!make_move(move_value(move_stack[i].move))) continue;
        leaves += depth > 1 ? count_leaves(depth - 1) : 1;
        take_back();
    }
    return leaves;
}

bool depth_fits(int depth) {
    return depth >= 0 && search_ply >= 0 && search_ply + depth < MAX_PLY - 1;
}

} // namespace

uint64_t perft(int depth) {
    if (!depth_fits(depth)) return 0;
    return depth == 0 ? 1 : count_leaves(depth);
}

uint64_t perft_divide(int depth, std::FILE* out) {
    if (!depth_fits(depth) || depth == 0) return perft(depth);
    if (!generate_moves()) return 0;
    const int first = ply_first_move[search_ply];
    const int last = ply_first_move[search_ply + 1];
    uint64_t total = 0;
    for (int i = first; i < last; ++i) {
        const Move m = move_stack[i].move;
        if (!make_move(m)) continue;
        const uint64_t leaves = depth > 1 ? count_leaves(depth - 1) : 1;
        take_back();
        std::fprintf(out, "%s: %llu\n", move_text(m), static_cast<unsigned long long>(leaves));
        total += leaves;
    }
    return total;
}
