// Completion callbacks of camera flights that hand over to other subsystems.

#include "anim/anim_manager.h"
#include "app/app_state.h"
#include "app/globals.h"
#include "app/input.h"
#include "board/board_scene.h"
#include "game/game_record.h"

void MenuReadyCallback() {
    showMenuAfterIntro();
}

void ComputerTurnCallback() {
    if (!g_app || !g_board || !g_record) return;
    if (g_app->server || g_app->client) return; // a network game: the peer moves
    if (g_board->sideToMove != g_board->humanColour) g_record->ComputerMove();
}
