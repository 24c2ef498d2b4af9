// SPDX-License-Identifier: GPL-3.0-or-later
// The local player's answer to the request window in a game against the computer: the request
// was the player's own (R, S or B key, or a move from an earlier position of a replay) and is
// carried out here, with nothing sent. A network
// game installs its own answer (ScreenHooks::answerRequest), which replaces this one.
#include "app/app_state.h"
#include "app/input.h"
#include "board/board_scene.h"
#include "game/game_end_state.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/replay.h"
#include "game/unfinished_game.h"
#include "ui/text_overlay.h"

void answerLocalRequest(bool accepted) {
    if (g_app && g_game->questionCode == DROP_LATER_MOVES_QUESTION) {
        answerDropLaterMoves(accepted);
        return;
    }
    if (g_app && g_game->questionCode == RESIGN_QUESTION) {
        answerResignQuestion(accepted);
        return;
    }
    if (!accepted || !g_app) return;
    switch (g_game->questionCode) {
    case 'R':
        startNewGame(g_board ? g_game->humanColour : 0);
        forgetUnfinishedGame();
        break;
    case 'W':
        beforeBoardReplaced();
        g_game->swapColours();
        break;
    case 'B':
        beforeBoardReplaced();
        if (g_game) g_game->record.TakeBack();
        keepUnfinishedGame(); // the game as it stands now, a move shorter
        break;
    default: // a load is carried out by the side that asked for it
        break;
    }
}
