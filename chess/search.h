// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The engine's choice of move: iterative deepening over a fail-hard alpha-beta search with a
// capture-only quiescence search. Ordering: the previous iteration's principal variation,
// then the generation scores (promotions, captures by victim and attacker), then the history
// scores the search raises. Progress lines go to standard output.

#include <atomic>
#include <cstdint>

#include "chess/position.h"

constexpr int MATE_SCORE = 10000; // a side mated at ply p scores -MATE_SCORE + p
constexpr int MATE_BOUND = 9000;  // scores beyond +-MATE_BOUND are forced mates

// Row p: best line from ply p; [p][p] best move.
extern ENGINE_STATE uint32_t pv_table[MAX_PLY][MAX_PLY];
extern ENGINE_STATE int pv_length[MAX_PLY]; // one past the last valid entry of each row
extern ENGINE_STATE int follow_pv;          // set while searching the previous PV
extern ENGINE_STATE int64_t node_count;     // search and quiescence nodes of this think
// think stops on reaching it (INT64_MAX: no limit).
extern ENGINE_STATE int64_t max_nodes;
extern ENGINE_STATE int max_depth;         // deepest iteration (the game sets 4)
extern ENGINE_STATE int max_time_ms;       // time budget (the game sets 33554432)
extern ENGINE_STATE int64_t start_time_ms; // clock at the start of think
extern ENGINE_STATE int64_t stop_time_ms;  // start_time_ms + max_time_ms
extern ENGINE_STATE int stop_search;       // set when the budget is spent
extern ENGINE_STATE int pv_score;          // score of pv_table[0]'s line when written
// Raised by another thread to end the search early (a "stop" from a chess interface). The
// search reads it with the clock, every 1024 nodes; think does not clear it. Process-wide: it
// stops every thread's search.
extern std::atomic<bool> stop_requested;
// This thread's own stop flag, read with stop_requested, or null: a search thread points it at
// a flag of its own, so that stopping that search leaves the other threads' searches alone.
extern ENGINE_STATE const std::atomic<bool>* stop_signal;
// A deadline another thread may set or move while the search runs, on the clock_ms scale (a
// time budget that starts only when a chess interface says so); the search reads it with the
// clock. INT64_MAX means none; think does not reset it.
extern std::atomic<int64_t> stop_deadline_ms;

// Called by think after each completed iteration with its depth and score (pv_table[0] and
// pv_length[0] hold its line, node_count the nodes so far). Returning false ends the think
// there, as a spent budget would.
using IterationReport = bool (*)(int depth, int score);

// Milliseconds of a steady clock, in 64 bits so that neither the reading nor start + budget
// can wrap.
int64_t clock_ms();

// Searches the current position to max_depth. Output 0 prints nothing, 1 the table
// ("ply      nodes  score  pv"), 2 one compact line per iteration. On return pv_table[0][0]
// holds the chosen move, or 0 when the root has no legal move; the position is as before.
// Clears the history scores and the principal variation first. `report`, when not null, is
// called after each completed iteration (see IterationReport).
void think(int output, IterationReport report = nullptr);

// Score for side_to_move within [alpha, beta]. Called by think; also usable on its own after
// clearing the state think clears.
int search(int alpha, int beta, int depth);
int quiesce(int alpha, int beta);

// The move as coordinate text ("e2e4", "e7e8q") in a buffer of the calling thread that its
// next call overwrites.
const char* move_text(uint32_t move);
inline const char* move_text(Move move) {
    return move_text(move_value(move));
}
