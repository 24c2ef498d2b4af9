// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The move line: over the board, Enter opens a line at the bottom of the window ("Move : _")
// where the player types a move in algebraic notation ("e4", "Nf3", "exd5", "O-O", "e8=Q") or by
// its squares ("e2e4"), and Enter plays it. While the line is open it takes every key, as the
// chat does, so the file letters do not reach the game's own keys; Escape closes it.
//
// The move is played through the board's click handling, the same three clicks as with the mouse
// (piece, target, target again): the board's rules, the engine's check, the sounds and, in a
// network game, the clicks sent to the other player all follow as for a move made by hand. A
// move that is not legal, not unique or not the player's to make is refused with the reason on
// the info line, and the text stays on the line to be corrected. A move typed while a piece
// still glides is played as soon as the board is still; the menu or the pause view opened
// meanwhile drops it.

// Start-up, after the text overlay's layout: the line and its panel, hidden.
void buildMoveLine();

// Enter over the board (from the game's keys): opens the line. False when it cannot open now
// (no game, the menu, the pause view or the request window in the way).
bool openMoveLine();

// From the text-entry routing, before the chat: true when the line took the key (every key while
// it is open).
bool moveLineKey(int code);

// Once per frame: closed when the board goes out of view, laid out for the window's size, a
// move waiting for a glide played. Allocates nothing.
void moveLineStep();

// The line as it stands (tests, screenshots): whether it is open, and what is typed.
bool moveLineOpen();
const char* moveLineTyped();
