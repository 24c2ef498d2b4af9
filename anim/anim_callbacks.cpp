// The completion callback of the camera's turn towards the side to move.

#include "anim/anim_manager.h"
#include "app/app_state.h"
#include "app/globals.h"
#include "board/board_moves.h"
#include "board/board_scene.h"
#include "game/game_record.h"

void ComputerTurnCallback() {
    if (!g_app || !g_board || !g_record) return;
    if (g_app->server || g_app->client) return; // a network game: the peer moves
    // A flight cut short by the menu or the pause hands this on; their closing answers instead.
    if (g_app->menuOpen || g_app->cameraView) return;
    if (computerToMove()) g_record->ComputerMove();
}
