// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The red square under a king in check: the square of the side to move's king glows while that
// king is attacked on the board's records, whoever moved (local player, computer, peer) and
// however the position came (a move, a take-back, a load, a replay step). It is a copy of the
// last-move mark ("caseLastMove" of ".\M3D\Case.m3d") drawn in its own red material, hung under
// the king's square so it lies under the piece, hides with the board and lets picking through.

// Start-up, after the board's loaders and buildMoveMarks: the mark, hidden. A missing model is
// logged and the mark stays off.
void buildCheckMark();

// Once per frame: the mark follows the check. Allocates nothing.
void checkMarkStep();

// The square (0..63) the mark shows on now, or -1 when hidden (read from the scene node).
int shownCheckSquare();

// The square (0..63) of the side to move's king when it stands in check on the board's records,
// else -1: what the mark should show.
int checkedKingSquare();
