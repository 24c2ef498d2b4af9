// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The captured pieces kept in view: each player's catch stands on the table beside the board, on
// that player's right hand (White's catch along the h-file edge, Black's along the a-file edge),
// on the table outside the frame, at 0.6 size, in the order taken: lines of up to 8 along the
// edge, the first nearer the frame, starting at the end farther from the camera (where the view
// shows the table beside the board; the lines turn round when the camera goes to the other side).
// They are copies of the pieces' models (a promoted pawn taken shows as a queen), untagged so
// picking ignores them, under the board's group so they hide with it.
//
// The row always shows exactly the pieces off the board's records, ordered as the game record
// took them (up to the position shown, so a replay step, a take-back, a load or a new game shows
// its own); a piece off the board that the record did not take goes last.

#include <cstdint>

// Start-up, after the board's loaders: the copies, hidden.
void buildCapturedRow();

// Once per frame: the row follows the board when what is off it changed. Allocates nothing.
void capturedRowStep();

// The pieces of `colour` shown in the row now, as indexes into the game model's pieces, in the
// row's order; returns how many (at most 16). Read from the scene nodes.
int shownCapturedPieces(int colour, int out[16]);

// Material on the board's records, White's minus Black's: pawn 1, knight and bishop 3, rook 5,
// queen 9 (a promoted pawn counts as a queen).
int materialBalance();
