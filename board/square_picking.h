#pragma once
// The board's half of a mouse click: select a piece of the side to move, choose a target the
// board allows, click the target again to play the move. The selection lives in the AppState
// (selectedPiece, chosenTarget); each step is reported to the network peer when connected.

class KNodeGraph;

// Called by the mouse handler with a node tagged 1 (square) or 2 to 7 (piece). Ignored unless
// the player may click the board now (mayPlayerClickBoard: no menu or pause, the player's turn,
// a still board, no request of the player's waiting).
void onBoardClick(KNodeGraph* node);

// The selection forgotten and both marks hidden (a move played, a new or changed game, the
// peer's cleared selection).
void clearBoardSelection();

// Who hears of each selection step (row and column of the square, 40 and 40 for a cleared
// selection) in a network game: network play registers its sender at start-up.
void setSquareClickReporter(void (*report)(int row, int column));
