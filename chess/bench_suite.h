// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fixed benchmark: think at a given depth, without output, over a list of positions from
// openings, middlegames, endgames and tactics. The sum of the node counts (the bench
// signature) changes with any change of search, ordering or evaluation.

#include <cstdint>

extern const char* const bench_positions[];
extern const int bench_position_count;

struct BenchEntry {
    int64_t nodes;   // node_count of the think call
    int64_t time_ms; // wall time of the think call
    int64_t cpu_ms;  // processor time of the think call
    uint32_t best;   // move chosen (pv_table[0][0])
};

// Runs think(0) at `depth` on every bench position, filling `entries` (bench_position_count
// of them) when it is not null. Sets max_depth to `depth`, max_time_ms to the game's budget
// and max_nodes to no limit, and leaves the last bench position set up. Returns the bench
// signature, or -1 if a position cannot be set up.
int64_t run_bench(int depth, BenchEntry* entries);
