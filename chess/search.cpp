// SPDX-License-Identifier: GPL-3.0-or-later
#include "chess/search.h"

#include <chrono>
#include <cstdio>
#include <cstring>

#include "chess/evaluate.h"
#include "chess/make_move.h"
#include "chess/move_gen.h"

ENGINE_STATE uint32_t pv_table[MAX_PLY][MAX_PLY];
ENGINE_STATE int pv_length[MAX_PLY];
ENGINE_STATE int follow_pv;
ENGINE_STATE int64_t node_count;
ENGINE_STATE int64_t max_nodes = INT64_MAX;
ENGINE_STATE int max_depth = 4;
ENGINE_STATE int max_time_ms = 33554432;
ENGINE_STATE int64_t start_time_ms;
ENGINE_STATE int64_t stop_time_ms;
ENGINE_STATE int stop_search;
ENGINE_STATE int pv_score;
std::atomic<bool> stop_requested{false};
std::atomic<int64_t> stop_deadline_ms{INT64_MAX};
ENGINE_STATE const std::atomic<bool>* stop_signal = nullptr;

namespace {

constexpr int PV_BONUS = 10000000; // puts the previous line's move ahead of every score

// The search goes no deeper than the ply tables, and stops while the undo stack still has a
// record free, so that a game of any playable length leaves room to answer.
constexpr int DEEPEST_PLY = MAX_PLY - 1;
constexpr int LAST_UNDO_RECORD = UNDO_STACK_SIZE - 1;

inline bool at_search_limit() {
    return search_ply >= DEEPEST_PLY || history_ply >= LAST_UNDO_RECORD;
}

// Counts the node and raises stop_search at the node budget; every 1024 nodes also reads the
// clock, the outside deadline and the stop requests. The search then unwinds without writing
// anything further.
inline bool count_node_and_check_time() {
    ++node_count;
    if (node_count >= max_nodes) {
        stop_search = 1;
    } else if ((node_count & 1023) == 0) {
        const int64_t now = clock_ms();
        if (now >= stop_time_ms || now >= stop_deadline_ms.load(std::memory_order_relaxed) ||
            stop_requested.load(std::memory_order_relaxed) ||
            (stop_signal != nullptr && stop_signal->load(std::memory_order_relaxed)))
            stop_search = 1;
    }
    return stop_search != 0;
}

// The previous iteration's move at this ply, if generated here, is tried first; while none
// is found the search has left the principal variation.
void apply_pv_bonus(int first, int last) {
    follow_pv = 0;
    const uint32_t pv_move = pv_table[0][search_ply];
    for (int i = first; i < last; ++i) {
        if (move_value(move_stack[i].move) == pv_move) {
            follow_pv = 1;
            move_stack[i].score += PV_BONUS;
            return;
        }
    }
}

// Brings the best-scored of entries i..last-1 to i. The earliest of equal scores wins, and
// entry i stays when no score exceeds -1.
inline void select_next(int i, int last) {
    int best_score = -1;
    int best = i;
    for (int j = i; j < last; ++j) {
        if (move_stack[j].score > best_score) {
            best_score = move_stack[j].score;
            best = j;
        }
    }
    if (best != i) {
        const ScoredMove t = move_stack[i];
        move_stack[i] = move_stack[best];
        move_stack[best] = t;
    }
}

// Makes `move` the best of this ply: row search_ply of the PV is the move followed by the
// child's line.
inline void update_pv(uint32_t move) {
    const int ply = search_ply;
    pv_table[ply][ply] = move;
    for (int j = ply + 1; j < pv_length[ply + 1]; ++j)
        pv_table[ply][j] = pv_table[ply + 1][j];
    pv_length[ply] = pv_length[ply + 1];
}

} // namespace

int64_t clock_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int search(int alpha, int beta, int depth) {
    // 1-2.
    if (depth == 0) return quiesce(alpha, beta);
    if (count_node_and_check_time()) return 0;

    // 3-5. Empty line; repetitions below the root are draws; depth and stack limits.
    pv_length[search_ply] = search_ply;
    if (search_ply > 0 && repetition_count() > 0) return 0;
    if (at_search_limit()) return evaluate();

    // 6. Check extension.
    const int in_check = side_in_check(side_to_move);
    if (in_check) ++depth;

    // 7. Moves, or a leaf when the move stack has no room for them.
    if (!generate_moves()) return evaluate();
    const int first = ply_first_move[search_ply];
    const int last = ply_first_move[search_ply + 1];
    if (follow_pv) apply_pv_bonus(first, last);

    // 8. Best first, fail hard.
    bool legal_move = false;
    for (int i = first; i < last; ++i) {
        select_next(i, last);
        const uint32_t move = move_value(move_stack[i].move);
        if (!make_move(move)) continue;
        legal_move = true;
        const int x = -search(-beta, -alpha, depth - 1);
        take_back();
        if (stop_search) return 0;
        if (x > alpha) {
            const Move m = move_stack[i].move;
            history_score[m.from][m.to] += depth;
            if (x >= beta) return beta;
            alpha = x;
            update_pv(move);
            if (search_ply == 0) pv_score = x;
        }
    }

    // 9-10. Mate or stalemate; the fifty-move rule.
    if (!legal_move) return in_check ? -MATE_SCORE + search_ply : 0;
    if (fifty_counter >= 100) return 0;
    return alpha;
}

int quiesce(int alpha, int beta) {
    // 1-3.
    if (count_node_and_check_time()) return 0;
    pv_length[search_ply] = search_ply;
    if (at_search_limit()) return evaluate();

    // 4. Standing pat.
    const int x = evaluate();
    if (x >= beta) return beta;
    if (x > alpha) alpha = x;

    // 5-6. Captures and promotions only, best first, no history.
    if (!generate_captures()) return alpha;
    const int first = ply_first_move[search_ply];
    const int last = ply_first_move[search_ply + 1];
    if (follow_pv) apply_pv_bonus(first, last);
    for (int i = first; i < last; ++i) {
        select_next(i, last);
        const uint32_t move = move_value(move_stack[i].move);
        if (!make_move(move)) continue;
        const int y = -quiesce(-beta, -alpha);
        take_back();
        if (stop_search) return 0;
        if (y > alpha) {
            if (y >= beta) return beta;
            alpha = y;
            update_pv(move);
        }
    }
    return alpha;
}

void think(int output, IterationReport report) {
    // 1-3.
    stop_search = 0;
    start_time_ms = clock_ms();
    stop_time_ms = start_time_ms + (max_time_ms > 0 ? max_time_ms : 0);
    std::memset(pv_table, 0, sizeof pv_table);
    search_ply = 0;
    node_count = 0;
    pv_score = 0;
    std::memset(history_score, 0, sizeof history_score);

    // 4-5. Iterative deepening.
    if (output == 1) std::printf("ply      nodes  score  pv\n");
    for (int depth = 1; depth <= max_depth; ++depth) {
        follow_pv = 1;
        const int x = search(-MATE_SCORE, MATE_SCORE, depth);
        if (stop_search) {
            // The search unwound with every move taken back; the interrupted iteration's
            // line stays in pv_table.
            while (search_ply > 0 && history_ply > 0)
                take_back();
            return;
        }
        if (output == 1) {
            std::printf("%3d  %9lld  %5d ", depth, (long long)node_count, x);
        } else if (output == 2) {
            const long long centiseconds = (clock_ms() - start_time_ms) / 10;
            std::printf("%d %d %lld %lld", depth, x, centiseconds, (long long)node_count);
        }
        if (output != 0) {
            for (int j = 0; j < pv_length[0]; ++j)
                std::printf(" %s", move_text(pv_table[0][j]));
            std::printf("\n");
            std::fflush(stdout);
        }
        if (report != nullptr && !report(depth, x)) break;
        if (x > MATE_BOUND || x < -MATE_BOUND) break;
    }
}

const char* move_text(uint32_t value) {
    static thread_local char text[8];
    const Move m = to_move(value);
    const int from = m.from;
    const int to = m.to;
    const char from_file = char('a' + column_of(from));
    const char to_file = char('a' + column_of(to));
    const int from_rank = 8 - row_of(from);
    const int to_rank = 8 - row_of(to);
    if (m.flags & MF_PROMOTE) {
        char letter;
        switch (m.promote) {
        case KNIGHT:
            letter = 'n';
            break;
        case BISHOP:
            letter = 'b';
            break;
        case ROOK:
            letter = 'r';
            break;
        default:
            letter = 'q';
            break;
        }
        std::snprintf(text, sizeof text, "%c%d%c%d%c", from_file, from_rank, to_file, to_rank,
                      letter);
    } else {
        std::snprintf(text, sizeof text, "%c%d%c%d", from_file, from_rank, to_file, to_rank);
    }
    return text;
}
