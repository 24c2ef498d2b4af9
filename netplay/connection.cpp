// SPDX-License-Identifier: GPL-3.0-or-later
#include "netplay/connection.h"

#include <cmath>
#include <cstdio>

#include "anim/anim_manager.h"
#include "app/app_state.h"
#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "game/settings.h"
#include "net/KivNetwork.h"
#include "netplay/host_addresses.h"
#include "netplay/host_peer.h"
#include "netplay/messages.h"
#include "netplay/net_session.h"
#include "netplay/rejoin.h"
#include "netplay/requests.h"
#include "ui/interface.h"
#include "ui/net_lines.h"
#include "ui/text_overlay.h"

namespace {

constexpr float CONNECT_WAIT_SECONDS = 10.0f;
constexpr int SERVER_SECOND_ARGUMENT = 100; // passed to the port, which does not use it

// Leaving a connection leaves all of its state with it: a request still waiting for its answer,
// the peer's open question, a block being received.
void deleteClient() {
    if (!netSession().client) return;
    netSession().client->CloseConnexion();
    delete netSession().client;
    netSession().client = nullptr;
    // No answer can come any more: the wait (and its key lock) ends with the client.
    netSession().connectIdle = 1;
    forgetPeer();
}

void deleteServer() {
    if (!netSession().server) return;
    hostPeerReset();
    hostAddressesEnd(0);
    delete netSession().server->port;
    netSession().server->port = nullptr;
    delete netSession().server;
    netSession().server = nullptr;
    forgetPeer();
}

KSocket* peerConnection() {
    return netSession().server ? playingPeer() : nullptr;
}

// The peer sent a byte no message starts with: its connection goes, the local game goes on.
void tellDroppedPeer() {
    NetSession& net = netSession();
    Log("\nSYSTEM : unknown message type %d from the peer : connection closed\n", net.dropByte);
    showInfo(true, true, "Unknown message : connection closed");
}

} // namespace

NetSession& netSession() {
    static NetSession session;
    return session;
}

bool sessionOpen() {
    const NetSession& net = netSession();
    return net.server || net.client;
}

void HostGame() {
    deleteClient();
    rejoinReset();
    if (!netSession().server) {
        Log("\nSYSTEM : server created on port %d\n", netPort());
        auto* server = new KServer();
        if (!server->Init(netPort(), SERVER_SECOND_ARGUMENT, OnNewClient, OnServerInput,
                          OnConnectionClosed)) {
            // Another program (often another copy of this game) holds the port: the game the
            // player just started stays a local one.
            delete server;
            static char text[64];
            std::snprintf(text, sizeof text, "Cannot host : port %d in use", netPort());
            Log("SYSTEM : port %d could not be bound, not hosting\n", netPort());
            showInfo(true, false, text);
            return;
        }
        netSession().server = server;
        hostAddressesBegin(netPort());
    }
    // A peer already connected would otherwise keep the old game: it gets the new one. A
    // request of this side's still waiting was about the game replaced, and the peer may have
    // answered it before the new game reached it: that answer must not act on the new game.
    if (peerConnection()) {
        if (g_game->requestPending) showInfo(false, false, nullptr); // "Waiting for request answer"
        g_game->requestPending = 0;
        SendWholeGame();
        return;
    }
    showInfo(true, false, "Waiting for client..");
    hostAddressesShown(true);
}

bool JoinGame(const char* host, int port) {
    deleteServer();
    forgetPeer();
    // The host's game replaces this one: a piece and target chosen here would be one click from
    // a move the host never saw chosen.
    g_game->clearSelection();
    return joinHost(host, port);
}

bool connectToHost(const char* host, int port, bool moreToTry) {
    if (!netSession().client)
        netSession().client = new KClient();
    else
        netSession().client->CloseConnexion();
    if (!host) host = "";
    Log("\nSYSTEM : Attempting a connection with adress %s on port %d.. ", host, port);
    // The library takes a writable text; it is only read.
    char hostText[256];
    std::snprintf(hostText, sizeof hostText, "%s", host);
    int status = 1;
    netSession().client->InitConnexion(hostText, port, OnClientInput, OnClientFailed, &status);
    if (status == 0) {
        netSession().connectIdle = 0;
        netSession().connectWaitSeconds = 0;
        GetTimePassed(&netSession().connectWaitStamp);
        Log("..socket created -- waiting for reply\n");
        showInfo(true, false, "Waiting for server : 10 sec");
        return true;
    }
    // Another of the name's addresses is tried next: nothing to tell the player yet.
    if (moreToTry) {
        Log("..no connection\n");
        return false;
    }
    switch (status) {
    case 2:
        Log("..host not found !\n");
        showInfo(true, false, "Host not found");
        break;
    case 3:
        Log("..connection refused by host !\n");
        showInfo(true, false, "Connection refused");
        break;
    default:
        Log("..error creating socket !\n");
        showInfo(true, false, "Socket not created");
        break;
    }
    deleteClient();
    g_game->inputSuspended = 0;
    return false;
}

void ServerStep() {
    AppState* app = g_app;
    if (!app || !netSession().server) return;
    netSession().server->Listen();
    hostPeerStep();
    hostAddressesStep();
    NetSession& net = netSession();
    if (!net.dropRequested) return;
    net.dropRequested = false;
    KPort* port = netSession().server ? netSession().server->port : nullptr;
    for (KSocket* c = port ? port->sockets : nullptr; c; c = c->next)
        if (c->input == net.dropInput) {
            port->close_socket(c); // says "Connection aborted with player"
            break;
        }
    net.dropInput = nullptr;
    tellDroppedPeer();
}

void ClientStep() {
    AppState* app = g_app;
    if (!app) return;
    netLinesStep();
    if (rejoinStep()) return;
    // 1. The wait for the host's first message, counted down on the info line.
    if (!netSession().connectIdle) {
        netSession().connectWaitSeconds += GetTimePassed(&netSession().connectWaitStamp);
        const float left = CONNECT_WAIT_SECONDS - netSession().connectWaitSeconds;
        KWakeWithin(left - std::floor(left)); // the countdown's next second, or its end
        if (netSession().connectWaitSeconds <= CONNECT_WAIT_SECONDS) {
            TextOverlay* o = g_ui ? g_ui->overlay : nullptr;
            if (o && o->infoText) {
                char text[48];
                std::snprintf(text, sizeof text, "Waiting for server : %d sec",
                              int(CONNECT_WAIT_SECONDS - netSession().connectWaitSeconds));
                o->infoText->SetTexte(text);
            }
        } else {
            showInfo(false, false, nullptr);
            g_game->inputSuspended = 0;
            netSession().connectIdle = 1;
        }
    }
    // 2. Failures count only once the wait is over (a connection still being set up then
    // counts as failed). The callbacks may delete the client.
    if (netSession().client) netSession().client->Listen(netSession().connectIdle != 0);
    NetSession& net = netSession();
    if (!net.dropRequested) return;
    net.dropRequested = false;
    deleteClient();
    forgetPeer();
    g_game->inputSuspended = 0;
    tellDroppedPeer();
}

int OnNewClient(KPort* port, KSocket* connection) {
    // One peer plays; a newcomer beside it is a stray or the player come back (host_peer.h).
    return hostPeerArrived(port, connection);
}

void OnServerInput(char* input, int* inputLength) {
    if (g_board && hostInputFromPeer(input)) ReceiveMessages(NET_HOST, input, inputLength);
}

void OnConnectionClosed(const char* name, int* /*value*/) {
    // A stray, or the peer a returning player replaced: the game goes on unaware.
    if (!hostPeerClosed()) return;
    forgetPeer();
    static char text[96];
    std::snprintf(text, sizeof text, "Connection aborted with%s", name ? name : "");
    showInfo(true, true, text);
}

void OnClientInput(char* input, int* inputLength) {
    if (g_board) ReceiveMessages(NET_JOIN, input, inputLength);
}

void OnClientFailed(const char* /*name*/, int* /*value*/) {
    // A game under way tries to come back to its host first (rejoin.h).
    if (startRejoin()) return;
    forgetPeer();
    showInfo(true, true, "Connection failed");
    deleteClient();
    // The game goes on against the computer, which follows it: on the host's turn it answers
    // now (a glide under way, or the menu's closing, hands it the turn when they end).
    g_game->computerTurnIfDue();
}

bool wholeGameExpected() {
    return netSession().loadAwaited;
}

bool sessionWaitsForHost() {
    return !netSession().connectIdle;
}

bool sessionAwaitsWholeGame() {
    return netSession().netPendingFlag || wholeGameExpected();
}

void leaveNetworkGame() {
    rejoinReset();
    deleteClient();
    deleteServer();
    forgetPeer();
}

void installNetworkPlay() {
    if (!g_ui) return;
    g_ui->screens.hostGame = HostGame;
    g_ui->screens.answerRequest = AnswerRequest;
    g_ui->screens.sendChatLine = SendChatLine;
}
