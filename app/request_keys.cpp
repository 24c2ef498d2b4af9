// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/request_keys.h"

#include "game/game_model.h"
#include "net/KivNetwork.h"
#include "netplay/host_peer.h"
#include "netplay/net_session.h"
#include "ui/text_overlay.h"

namespace {

const char* requestTitle(int code) {
    switch (code) {
    case 'R':
        return "Asking a new game";
    case 'W':
        return "Asking swap colors";
    default:
        return "Asking take back a move";
    }
}

// The host's playing peer; other connections (strays, a player coming back) wait beside it.
KSocket* hostConnection() {
    return netSession().server ? playingPeer() : nullptr;
}

} // namespace

bool hostHasPlayingPeer() {
    return hostConnection() != nullptr;
}

bool sendToPeer(const char* data, int length) {
    if (!data || length <= 0) return false;
    // The library's Send takes a writable pointer but only reads the bytes. What the socket
    // cannot take at once is queued and sent in order on the following passes.
    char* bytes = const_cast<char*>(data);
    if (KSocket* peer = hostConnection()) return peer->Send(bytes, (unsigned long)length) >= 0;
    if (netSession().client) return netSession().client->Send(bytes, length) >= 0;
    return false;
}

void askRequest(int code) {
    if (localGame()) {
        showRequest(true, requestTitle(code), "are you sure ?");
        g_game->questionCode = code;
        return;
    }
    // A host with nobody connected yet has no one to ask.
    if (netSession().server && !hostConnection()) return;
    showInfo(true, false, "Waiting for request answer");
    g_game->requestPending = 1;
    g_game->pendingRequest = code;
    const char byte = char(code);
    sendToPeer(&byte, 1);
}
