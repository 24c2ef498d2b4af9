#include "app/request_keys.h"

#include "app/app_state.h"
#include "app/globals.h"
#include "net/KivNetwork.h"
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

KSocket* hostConnection() {
    KServer* server = g_app->server;
    if (!server || !server->port) return nullptr;
    return server->port->sockets;
}

} // namespace

bool sendToPeer(const char* data, int length) {
    char buffer[64];
    if (length <= 0 || length > int(sizeof buffer)) return false;
    for (int i = 0; i < length; ++i)
        buffer[i] = data[i];
    if (KSocket* peer = hostConnection()) return peer->Send(buffer, (unsigned long)length) > 0;
    if (g_app->client) return g_app->client->Send(buffer, length) > 0;
    return false;
}

void askRequest(int code) {
    if (!g_app->server && !g_app->client) {
        showRequest(true, requestTitle(code), "are you sure ?");
        g_app->questionCode = code;
        return;
    }
    // A host with nobody connected yet has no one to ask.
    if (g_app->server && !hostConnection()) return;
    showInfo(true, false, "Waiting for request answer");
    g_app->requestPending = 1;
    g_app->pendingRequest = code;
    const char byte = char(code);
    sendToPeer(&byte, 1);
}
