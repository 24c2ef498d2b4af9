// SPDX-License-Identifier: GPL-3.0-or-later
#include "board/two_click_moves.h"

#include "board/square_picking.h"
#include "game/board_records.h"
#include "game/game_model.h"
#include "game/settings.h"

void mouseClickOnBoard(KNodeGraph* node) {
    const SquareRecord* targetBefore = g_game ? g_game->chosenTarget : nullptr;
    onBoardClick(node);
    if (!g_game || !gameSettings().twoClickMoves) return;
    // Only a click that chose a target leaves a new one: a confirming click clears the target,
    // and an ignored click leaves the one before.
    const SquareRecord* chosen = g_game->chosenTarget;
    if (chosen && chosen != targetBefore) onBoardClick(chosen->node);
}
