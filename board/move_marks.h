// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Marks on the squares, beside the select and target markers: the two squares of the last move
// (whoever played it), a dot on each square the local player's selected piece may go to and a
// ring where it would take a piece, and the two squares of the move the engine suggests, shown
// for a few seconds. They are copies of "caseLastMove", "caseMoveDot", "caseMoveRing" and
// "caseSuggest" of ".\M3D\Case.m3d", made at start-up and hung under the squares they mark, so
// they hide with the board and picking through them reaches the square.
//
// The frame step reads the game's state (the record, the selection, the settings) and moves the
// marks only when that state changed; it never allocates.

#include <cstdint>

struct PieceRecord;

// The squares `piece` may move to, as bits by square index, exactly those the three clicks
// accept: the board's own rules (tryMove without executing), and in a game against the computer
// also the engine's legal moves, since the engine refuses the moves it finds illegal. `captures`
// gets the moves that take a piece (en passant included), `quiet` the others. Both empty for a
// null or captured piece.
void legalTargets(PieceRecord* piece, uint64_t& quiet, uint64_t& captures);

// Start-up, after the board's loaders: the copies of the mark objects. A missing object is
// logged and its marks stay off.
void buildMoveMarks();

// Once per frame: the last-move marks follow the record's last move, the hints follow the local
// player's selection while it is their turn (settings: moveHints, lastMoveMarks), and the
// suggestion fades out and goes when its time is up or a move is played.
void moveMarksStep();

// Shows the suggestion on squares `from` and `to` (0..63) for `seconds`, fading over the last
// half second; replaces any suggestion shown.
void showSuggestedMove(int from, int to, float seconds);

// The squares that carry each kind of mark now, read from the scene nodes (bits by index).
struct ShownMarks {
    uint64_t lastMove = 0;
    uint64_t quiet = 0;
    uint64_t captures = 0;
    uint64_t suggested = 0;
};
ShownMarks shownMoveMarks();
