// SPDX-License-Identifier: GPL-3.0-or-later
// The FEN reader: any bytes as a FEN text. A refused text leaves the position untouched. An
// accepted one must be a position the engine can play from: it prints back to a FEN that reads
// the same, every generated move made and taken back restores it, no legal move leaves the
// mover's king attacked, and a one-ply search and the end-of-game test run on it.

#include <cstdint>
#include <string>

#include "chess/fen.h"
#include "chess/game_end.h"
#include "chess/make_move.h"
#include "chess/move_gen.h"
#include "chess/perft.h"
#include "chess/position.h"
#include "chess/search.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    init_position();
    // A one-ply search with its captures: enough to run the evaluation and the search's move
    // ordering on every accepted position, short enough for millions of them.
    max_depth = 1;
    max_time_ms = 50;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size); // stops at a zero byte
    const std::string before = position_fen();
    if (!set_position_fen(text.c_str())) {
        if (position_fen() != before) __builtin_trap();
        return 0;
    }
    const std::string shown = position_fen();
    if (!set_position_fen(shown.c_str()) || position_fen() != shown) __builtin_trap();

    search_ply = 0;
    if (!generate_moves()) __builtin_trap(); // at ply 0 it cannot run out of room
    for (int i = ply_first_move[0]; i < ply_first_move[1]; ++i) {
        if (!make_move(move_stack[i].move)) continue;
        if (side_in_check(opponent)) __builtin_trap(); // the mover's king left attacked
        take_back();
        if (position_fen() != shown) __builtin_trap();
    }
    (void)perft(1);
    (void)game_end();
    think(0);
    search_ply = 0;
    if (position_fen() != shown) __builtin_trap();
    return 0;
}
