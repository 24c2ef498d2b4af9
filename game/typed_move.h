// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A move typed by the player on the move line, read against the engine's position (the game's
// position, in network games too): standard algebraic notation ("e4", "Nf3", "exd5", "O-O",
// "e8=Q") or the squares ("e2e4"). Forgiving where it is safe: check marks, "0-0", a piece
// letter typed in lower case where no file has that letter ("nf3"), and a pawn reaching the last
// row without its piece (the board makes it a queen). When the text names no move, or more than
// one, the reason is given in words for the info line.

#include <cstdint>

enum class TypedMoveResult {
    Move,           // `move` is the legal move named
    Empty,          // nothing typed
    NotAMove,       // the text is not a move at all
    Illegal,        // no legal move of the side to move fits
    Ambiguous,      // several do
    Underpromotion, // a promotion to another piece than a queen, which the board cannot show
};

struct TypedMove {
    TypedMoveResult result = TypedMoveResult::Empty;
    uint32_t move = 0; // engine move when result is Move
    char why[64] = ""; // what the info line says otherwise ("Ambiguous : Nbd2 or Nfd2")
};

// Reads `text` on the engine's current position; the position is left as it was.
TypedMove read_typed_move(const char* text);
