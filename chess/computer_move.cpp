// SPDX-License-Identifier: GPL-3.0-or-later
#include "chess/computer_move.h"

#include <cstdio>

#include "chess/engine_random.h"
#include "chess/make_move.h"
#include "chess/notation.h"
#include "chess/opening_book.h"
#include "chess/position.h"
#include "chess/search.h"

namespace {

constexpr int LEVEL_MARGINS[NEAR_BEST_LEVEL_MAX + 1] = {0, 50, 35, 20};

// One of `count` near-best moves, drawn with chances rising linearly from 1 for a move
// `margin` below the best to margin + 1 for the best.
uint32_t draw_near_best(const NearBestMove* moves, int count, int margin, int best_score) {
    int total = 0;
    for (int i = 0; i < count; ++i)
        total += margin + 1 - (best_score - moves[i].score);
    int draw = engine_random_below(total);
    for (int i = 0; i < count; ++i) {
        const int weight = margin + 1 - (best_score - moves[i].score);
        if (draw < weight) return moves[i].move;
        draw -= weight;
    }
    return moves[count - 1].move;
}

} // namespace

int level_margin(int level) {
    return level >= 1 && level <= NEAR_BEST_LEVEL_MAX ? LEVEL_MARGINS[level] : 0;
}

int moves_near_best(int margin, int best_score, NearBestMove* out, int room) {
    // 1. The root's legal moves (generated again at ply 0, as think left the position).
    Move legal[MAX_LEGAL_MOVES];
    const int count = legal_moves(legal);
    // 2. Each below the root at the depth think gave its moves: one less than max_depth, one
    // more when the root is in check (the search's check extension).
    const int depth = max_depth - 1 + (side_in_check(side_to_move) ? 1 : 0);
    const int floor = best_score - margin;
    // 3. A window from just below floor to just above best_score: a score inside it is exact,
    // and one at its lower edge means "worse than the margin". The line's own bonus stays off.
    follow_pv = 0;
    int found = 0;
    for (int i = 0; i < count && found < room; ++i) {
        if (!make_move(legal[i])) continue;
        const int x = -search(-(best_score + 1), -(floor - 1), depth);
        take_back();
        if (stop_search) return 0;
        if (x >= floor)
            out[found++] = NearBestMove{move_value(legal[i]), x < best_score ? x : best_score};
    }
    return found;
}

uint32_t computer_move(int level, bool use_book, int output) {
    // 1. The book, while the game is in it.
    if (use_book) {
        const uint32_t book = pick_book_move();
        if (book != 0) {
            if (output != 0) {
                std::printf("book %s\n", move_text(book));
                std::fflush(stdout);
            }
            return book;
        }
    }
    // 2. The search.
    think(output);
    const uint32_t best = pv_table[0][0];
    const int margin = level_margin(level);
    const int best_score = pv_score;
    if (best == 0 || margin == 0 || stop_search || best_score > MATE_BOUND ||
        best_score < -MATE_BOUND)
        return best;
    // 3. A weaker level's choice among the moves near the best.
    NearBestMove near[MAX_LEGAL_MOVES];
    const int count = moves_near_best(margin, best_score, near, MAX_LEGAL_MOVES);
    if (count == 0) return best;
    const uint32_t chosen = draw_near_best(near, count, margin, best_score);
    if (output != 0) {
        int score = best_score;
        for (int i = 0; i < count; ++i)
            if (near[i].move == chosen) score = near[i].score;
        std::printf("level %d pick %s %d (best %d within %d)\n", level, move_text(chosen), score,
                    best_score, margin);
        std::fflush(stdout);
    }
    return chosen;
}
