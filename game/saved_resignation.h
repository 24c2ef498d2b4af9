// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A resigned game, saved and loaded again. The ".chs" file holds nothing but the moves, and
// older versions of the game refuse a file with anything else in it; but saving writes a PGN
// copy beside it (pgn_path_beside) whose result tells how the game ended. A decisive result on
// a position that is no mate can only be a resignation: the game ends no other way with a
// winner.

#include <vector>

#include "chess/game_end.h"
#include "game/recorded_move.h"

// The resignation that the PGN copy beside `chs_path` records for exactly `moves`:
// WHITE_RESIGNS for "0-1", BLACK_RESIGNS for "1-0"; GAME_GOES_ON when there is no copy, the copy
// holds another game (a copy left from an earlier save of the file), or its result is a draw or
// none. Whether the last position is a mate, which also gives a decisive result, is the
// caller's to judge. Uses the chess engine, whose position is left as it was.
GameEnd resignation_beside(const char* chs_path, const std::vector<RecordedMove>& moves);
