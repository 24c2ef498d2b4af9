// SPDX-License-Identifier: GPL-3.0-or-later
// Who may act now: the predicates of GameModel that read the model's flags together with what
// the network session answers (the table at the top of game/game_model.h).

#include "game/game_model.h"

#include "game/game_end_state.h"

namespace {

// A game is on screen and the player may handle it: not the intro, not the connection wait,
// not before the first game, not under the menu or the pause view.
bool gameOnScreen(const GameModel& m) {
    const bool waitingForHost = m.hooks.waitingForHost && m.hooks.waitingForHost();
    return m.gameStarted && !m.introRunning && !m.inputSuspended && !waitingForHost &&
           !m.boardLocked && !m.menuOrPauseShown();
}

} // namespace

bool GameModel::boardInMotion() const {
    return pieceInMotion || castlingRook;
}

bool GameModel::menuOrPauseShown() const {
    return menuOpen || cameraView;
}

bool GameModel::wholeGameAwaited() const {
    return hooks.wholeGameExpected && hooks.wholeGameExpected();
}

bool GameModel::mayPlayerClickBoard() const {
    return gameOnScreen(*this) && !awaitingOpponent && !boardInMotion() && !requestPending &&
           !wholeGameAwaited() && !questionShown && !gameFinished();
}

bool GameModel::mayPlayerMoveCamera() const {
    return gameOnScreen(*this);
}

bool GameModel::maySuggestMove() const {
    return !networkGame() && mayPlayerClickBoard();
}

bool GameModel::mayAskRequest() const {
    return gameStarted && !requestPending && !wholeGameAwaited() && !questionShown;
}

bool GameModel::mayAskRequestByKey() const {
    return mayAskRequest() && !menuOrPauseShown();
}

bool GameModel::mayToggleMenu() const {
    return !cameraView && !questionShown;
}

bool GameModel::mayTogglePause(bool cameraFlyingBackFromMenu) const {
    return gameStarted && !menuOpen && !cameraFlyingBackFromMenu && !questionShown;
}

bool GameModel::mayUseCloseBox() const {
    return !inputSuspended && !menuOrPauseShown();
}

bool GameModel::mayTypeMove() const {
    return gameOnScreen(*this) && !questionShown;
}

bool GameModel::mayStepReplay() const {
    return !networkGame() && gameOnScreen(*this) && !boardInMotion() && !questionShown &&
           !wholeGameAwaited();
}

bool GameModel::mayComputerMove() {
    return localGame() && gameStarted && !boardInMotion() && !menuOrPauseShown() &&
           !gameFinished() && computerToMove();
}

void GameModel::computerTurnIfDue() {
    if (mayComputerMove()) record.ComputerMove();
}

bool GameModel::mayReplayPeerClick() const {
    return networkGame() && sideToMove != humanColour && !boardInMotion() && !wholeGameAwaited();
}
