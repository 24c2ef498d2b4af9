#include "app/may_act.h"

#include "anim/anim_manager.h"
#include "app/app_state.h"
#include "app/input.h"
#include "board/board_moves.h"
#include "board/board_scene.h"
#include "game/game_end_state.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "netplay/connection.h"
#include "netplay/net_session.h"
#include "ui/interface.h"

namespace {

bool questionShown() {
    return g_ui && g_game->questionShown;
}

// A game is on screen and the player may handle it: not the intro, not the connection wait,
// not before the first game, not under the menu or the pause view.
bool gameOnScreen() {
    const AppState* app = g_app;
    return app && g_game->gameStarted && !g_game->introRunning && !g_game->inputSuspended &&
           netSession().connectIdle && !g_game->boardLocked && !menuOrPauseShown();
}

} // namespace

bool networkGame() {
    return !localGame();
}

bool boardInMotion() {
    const BoardScene* b = g_board;
    return b && (g_game->pieceInMotion || g_game->castlingRook);
}

bool menuOrPauseShown() {
    return g_app && (g_game->menuOpen || g_game->cameraView);
}

bool wholeGameAwaited() {
    return g_app && (netSession().netPendingFlag || wholeGameExpected());
}

bool mayPlayerClickBoard() {
    return gameOnScreen() && g_board && !g_game->awaitingOpponent && !boardInMotion() &&
           !g_game->requestPending && !wholeGameAwaited() && !questionShown() && !gameFinished();
}

bool mayPlayerMoveCamera() {
    return gameOnScreen();
}

bool maySuggestMove() {
    return localGame() && mayPlayerClickBoard();
}

bool mayAskRequest() {
    const AppState* app = g_app;
    return app && g_game->gameStarted && !g_game->requestPending && !wholeGameAwaited() &&
           !questionShown();
}

bool mayAskRequestByKey() {
    return mayAskRequest() && !menuOrPauseShown();
}

bool mayToggleMenu() {
    return g_app && !g_game->cameraView && !questionShown();
}

bool mayTogglePause() {
    // Not while the camera still flies back from the menu: the pause would take it over and the
    // menu's closing would end in the pause tour.
    const bool flyingBack = g_board && NodeAnimOwes(g_board->camera, menuClosedCallback);
    return g_app && g_game->gameStarted && !g_game->menuOpen && !flyingBack && !questionShown();
}

bool mayUseCloseBox() {
    return g_app && !g_game->inputSuspended && !menuOrPauseShown();
}

bool mayTypeMove() {
    return gameOnScreen() && !questionShown();
}

bool mayStepReplay() {
    return localGame() && gameOnScreen() && !boardInMotion() && !questionShown() &&
           !wholeGameAwaited();
}

bool mayComputerMove() {
    return localGame() && g_app && g_game->gameStarted && !boardInMotion() && !menuOrPauseShown() &&
           !gameFinished() && computerToMove();
}

void computerTurnIfDue() {
    if (mayComputerMove() && g_game) g_game->record.ComputerMove();
}

bool mayReplayPeerClick() {
    const BoardScene* b = g_board;
    return networkGame() && b && g_game->sideToMove != g_game->humanColour && !boardInMotion() &&
           !wholeGameAwaited();
}
