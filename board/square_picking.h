// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The board's half of a mouse click: the node clicked (a square, or a piece standing on one)
// becomes its square, which the game model plays as the local player's click
// (GameModel::clickSquare: select a piece of the side to move, choose a target the board allows,
// click the target again to play the move).

class KNodeGraph;

// Called by the mouse handler with a node tagged 1 (square) or 2 to 7 (piece). Ignored unless
// the player may click the board now (mayPlayerClickBoard: no menu or pause, the player's turn,
// a still board, no request of the player's waiting).
void onBoardClick(KNodeGraph* node);
