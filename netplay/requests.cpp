// SPDX-License-Identifier: GPL-3.0-or-later
#include "netplay/requests.h"

#include "app/app_state.h"
#include "app/input.h"
#include "app/request_keys.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "netplay/host_peer.h"
#include "netplay/messages.h"
#include "netplay/net_session.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"

namespace {

// The second line of the question a peer's request letter asks.
const char* questionText(int code) {
    switch (code) {
    case 'L':
        return "loading a game";
    case 'R':
        return "a new game";
    case 'W':
        return "swap colors";
    default:
        return "turn back of one piece";
    }
}

} // namespace

void QuestionReceived(int side, int code) {
    // One question at a time: the peer waits for the answer to the one shown. A peer that sends
    // more anyway (a faulty or hostile program) would otherwise have the window drawn again for
    // every letter and the menu closed by each.
    if (g_ui && g_game->questionShown) return;
    showRequest(true, side == NET_HOST ? "Client propose" : "Server propose", questionText(code));
    g_game->questionCode = code;
    netSession().peerQuestion = true;
}

void AnswerRequest(bool accepted) {
    // The host's own question about who takes the seat: nothing goes to anyone.
    if (g_game->questionCode == TAKE_SEAT_QUESTION) {
        hostSeatAnswered(accepted);
        return;
    }
    NetSession& net = netSession();
    if (sessionOpen() && net.peerQuestion) {
        const char answer[2] = {'Q', accepted ? 'Y' : 'N'};
        sendToPeer(answer, 2);
        // The peer loads its file and sends it: that game is the one expected.
        if (accepted && g_game->questionCode == 'L') net.loadAwaited = true;
    }
    net.peerQuestion = false;
    // The actions are the same as for the local player's own confirmation (a load is carried
    // out by the side that asked).
    answerLocalRequest(accepted);
}

void AnswerReceived(bool accepted) {
    g_game->requestPending = 0;
    if (!accepted) {
        showInfo(true, true, "Request rejected");
        return;
    }
    switch (g_game->pendingRequest) {
    case 'R':
        showInfo(true, true, "Request accepted : new game");
        startNewGame(g_game->humanColour);
        break;
    case 'L':
        showInfo(true, true, "Request accepted : loading game");
        // A file that cannot be read leaves the game as it was; the peer gets that game.
        (void)g_game->record.LoadGame(g_game->fileName.c_str());
        beforeBoardReplaced();
        g_game->record.RestoreBoard();
        SendWholeGame();
        break;
    case 'W':
        showInfo(true, true, "Request accepted : swap colors");
        beforeBoardReplaced();
        g_game->swapColours();
        break;
    case 'B':
        showInfo(true, true, "Request accepted : back one piece");
        beforeBoardReplaced();
        g_game->record.UndoLastMove();
        g_game->record.RestoreBoard();
        break;
    default:
        break;
    }
}

void forgetPeer() {
    AppState* app = g_app;
    NetSession& net = netSession();
    if (!app) return;
    g_game->requestPending = 0;
    if (netSession().netPendingFlag) showInfo(false, false, nullptr); // "Receiving data game"
    netSession().netPendingFlag = 0;
    net.blockGathered = 0;
    net.blockDiscarded = false;
    net.loadAwaited = false;
    net.unaskedGameLogged = false;
    // A question nobody can hear the answer to any more: answering it would change this
    // board alone.
    if (net.peerQuestion && g_ui && g_game->questionShown) showRequest(false, nullptr, nullptr);
    net.peerQuestion = false;
}
