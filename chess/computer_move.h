// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The computer's move at a level: from the opening book while the game is in it, otherwise the
// search's, which the weakest levels loosen so that they play like people rather than at
// random.
//
// Levels 1 to 3 choose among the root moves that score within a small margin of the best at
// their own depth, the nearer the best the likelier: level 3 within 20 (a fifth of a pawn, in
// evaluation units), level 2 within 35, level 1 within 50. Even level 1 never plays a move its
// search finds half a pawn worse than the best, so never one that leaves a piece (300) hanging
// where its search sees it: the choice is between moves it finds about as good, which is where
// people differ. From level 4 up the margin is 0: the search's move, unchanged.
//
// Both the book and the choice draw from the engine's random source (chess/engine_random.h).

#include <cstdint>

constexpr int NEAR_BEST_LEVEL_MAX = 3; // the highest level that chooses among near-best moves

// The margin of `level`, in evaluation units: 50, 35, 20 for levels 1, 2, 3; 0 otherwise.
int level_margin(int level);

// The computer's move in the current position, or 0 when it has no legal move. With `use_book`
// and the position in the book: a book move (pick_book_move), with "book e7e5" printed when
// `output` is not 0. Otherwise think(output) at max_depth (set by the caller, normally the
// level), then at levels 1 to 3 the choice among the moves within the level's margin, printed
// as "level 2 pick d7d6 -12 (best -5 within 35)" when `output` is not 0. No choice is made
// when the best score is a forced mate either way, or the search was stopped (a stop request,
// the time budget): the search's move stands.
//
// Leaves the position as it found it; allocates nothing once the book is built.
uint32_t computer_move(int level, bool use_book, int output);

// After think, at the depth it searched (max_depth): the legal root moves whose score lies
// within `margin` of `best_score` (pv_score), with their scores, the search's own move among
// them; how many. Each move is searched again in a window just wide enough to tell. Returns 0
// when a stop request or the budget cut the searches short.
struct NearBestMove {
    uint32_t move;
    int score; // from best_score - margin to best_score
};
int moves_near_best(int margin, int best_score, NearBestMove* out, int room);
