// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Move-path enumeration: the number of legal move sequences of a given length from the
// current position. Its counts, compared with published tables, check the generator together
// with make_move and take_back.

#include <cstdint>
#include <cstdio>

// Leaf count of the legal tree `depth` plies deep (1 for depth 0). Uses the move stack from
// search_ply on and leaves the position as it found it. Depth is capped by the ply tables
// (at most MAX_PLY - 2 below the current ply); returns 0 when it cannot run.
uint64_t perft(int depth);

// As perft, and writes one line "<move>: <count>" per legal root move to `out`.
uint64_t perft_divide(int depth, std::FILE* out);
