// SPDX-License-Identifier: GPL-3.0-or-later
#include "board/square_picking.h"

#include "board/board_scene.h"
#include "game/game_end_state.h"
#include "game/game_model.h"

void onBoardClick(KNodeGraph* node) {
    BoardScene* b = g_board;
    if (!b || !node) return;
    // A finished game says so rather than ignoring the click; the other clicks wait in
    // clickSquare (the menu, the opponent, the glide, the player's own request).
    if (!g_game->boardLocked && !g_game->questionShown && refuseMoveAfterEnd()) return;
    // The square clicked, directly or through the piece on it.
    SquareRecord* square = b->squareOfNode(node);
    PieceRecord* clickedPiece = square ? nullptr : b->pieceOfNode(node);
    if (clickedPiece) square = clickedPiece->square;
    if (!square) return;
    g_game->clickSquare(square->row * 8 + square->column, ClickSource::Player);
}
