// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pseudo-legal move generation into the move stack. Legality (own king left attacked,
// castling through check or past pieces) is settled by make_move.
//
// Both generators append the moves of side_to_move for the current search_ply: the moves of
// ply p are move_stack[ply_first_move[p]] up to, not including, move_stack[ply_first_move[p+1]].
// Order of generation: squares 0 to 63, per piece its directions in table order, then
// castling, then en passant. The scores order the search (chess/search.h).

// Appends all pseudo-legal moves. Returns 1, or 0 when the move stack has no room for them
// or search_ply is outside the ply tables; the ply's range is then left empty and nothing
// has been written past the stack. At ply 0 with the stack empty below it (as the game
// driver calls it) it cannot fail.
int generate_moves();

// Appends captures, promotion pushes and en-passant captures only (quiescence search).
// Same result as generate_moves.
int generate_captures();

// Appends one move (four, knight to queen, if a pawn reaches the last row) with its ordering
// score at the next ply's end. For use by the generators only: it assumes search_ply is valid.
void push_move(int from, int to, int flags);
