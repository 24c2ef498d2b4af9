// The completion callback of the camera's turn towards the side to move.

#include "anim/anim_manager.h"
#include "app/app_state.h"
#include "app/globals.h"
#include "board/board_moves.h"
#include "board/board_scene.h"
#include "game/game_record.h"

void ComputerTurnCallback() {
    if (!g_app || !g_board) return;
    // A flight cut short by the menu or the pause hands this on; their closing answers instead.
    if (g_app->menuOpen || g_app->cameraView) return;
    if (computerToMove()) g_record->ComputerMove(); // never in a network game: the peer moves
}
