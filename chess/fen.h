// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Forsyth-Edwards Notation for the engine's position: how tests and the command-line tool set
// up a position, and how they show one.

#include <string>

// Replaces the position by the one the FEN text describes (the move-number fields may be
// left out). Returns 1 on success. Returns 0, leaving the position untouched, for malformed
// text and for positions the engine cannot play from: not exactly one king per colour, a pawn
// on the first or last rank, or the side not to move in check. Castling rights whose king or
// rook is not on its home square, and an en-passant target without the pawn that just
// jumped, are dropped. The undo stack is emptied and search_ply set to 0; history_score is
// left alone.
[[nodiscard]] int set_position_fen(const char* fen);

// The current position as FEN text; the full-move number counts on from the one last read.
std::string position_fen();
