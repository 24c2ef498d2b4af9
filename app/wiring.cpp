// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/wiring.h"

#include "anim/move_sounds.h"
#include "app/resign_key.h"
#include "board/board_moves.h"
#include "board/board_scene.h"
#include "board/move_marks.h"
#include "game/game_model.h"
#include "netplay/messages.h"
#include "netplay/net_session.h"
#include "ui/indicators.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"

namespace {

void showPlayerColour(int colour) {
    showPlayer(true, colour);
}

void showQuestion(const char* line1, const char* line2) {
    showRequest(true, line1, line2);
}

// The board's marks follow the selection; without a board (a world of the model alone) there
// is nothing to show.
void showSelected(SquareRecord* square) {
    if (g_board) g_board->showSelectMarker(square);
}

void showTarget(SquareRecord* square) {
    if (g_board) g_board->showTargetMarker(square);
}

} // namespace

void installGameHooks() {
    GameHooks& h = g_game->hooks;
    h.networkGame = sessionOpen;
    h.waitingForHost = sessionWaitsForHost;
    h.wholeGameExpected = sessionAwaitsWholeGame;
    h.suggestion = showSuggestedMove;
    h.moveStarted = startMoveGlide;
    h.pieceTaken = parkTakenPiece;
    h.selectShown = showSelected;
    h.targetShown = showTarget;
    h.turnShown = showTurn;
    h.playerColourShown = showPlayerColour;
    h.question = showQuestion;
    h.soundPlayed = playGameSound;
    h.moveSoundStarted = moveSoundStarted;
    h.moveSoundLanded = moveSoundLanded;
    h.squareClicked = SendSquareClick;
    if (g_ui) g_ui->screens.resign = resignFromMenu; // the wall's Resign entry
}
