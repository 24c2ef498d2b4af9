#include "netplay/host_peer.h"

#include "app/app_state.h"
#include "app/globals.h"
#include "engine/KivEngine.h"
#include "net/KivNetwork.h"
#include "netplay/connection.h"
#include "netplay/host_addresses.h"
#include "netplay/messages.h"
#include "netplay/net_session.h"
#include "ui/text_overlay.h"

namespace {

struct Newcomer {
    KSocket* connection; // in the port's list while it is here
    float seconds;       // how long it has waited
    bool spoke;          // sent something before it was given the game
};

struct HostPeers {
    KSocket* peer = nullptr;
    Newcomer newcomers[NEWCOMERS_MAX] = {};
    int count = 0;
    unsigned int stamp = 0;     // the step's clock
    float waitNoteIn = -1.0f;   // seconds until "Waiting for client.." shows again; < 0: not due
    unsigned int noteStamp = 0; // the clock of that wait
} g_host;

KPort* hostPort() {
    KServer* server = g_app ? g_app->server : nullptr;
    return server ? server->port : nullptr;
}

bool inList(const KSocket* connection) {
    KPort* port = hostPort();
    for (KSocket* c = port ? port->sockets : nullptr; c; c = c->next)
        if (c == connection) return true;
    return false;
}

void removeNewcomer(int i) {
    g_host.newcomers[i] = g_host.newcomers[--g_host.count];
}

// The connection plays from now on: it gets the whole game. Whatever the peer before it was
// doing (a request, a block) is over.
void startPlaying(KSocket* connection) {
    g_host.peer = connection;
    g_host.waitNoteIn = -1.0f;
    forgetPeer();
    SendWholeGame();
    showInfo(true, true, "New client");
    hostAddressesShown(false);
}

} // namespace

KSocket* playingPeer() {
    return g_host.peer;
}

int hostPeerArrived(KPort* port, KSocket* connection) {
    if (!g_host.peer) {
        startPlaying(connection);
        return 0;
    }
    if (g_host.count == NEWCOMERS_MAX) {
        // A flood of connections: the oldest waiting one makes room (closing another
        // connection than the new one is allowed inside this callback).
        KSocket* oldest = g_host.newcomers[0].connection;
        removeNewcomer(0);
        port->close_socket(oldest);
    }
    if (g_host.count == 0) GetTimePassed(&g_host.stamp);
    g_host.newcomers[g_host.count++] = {connection, 0.0f, false};
    Log("\nSYSTEM : a connection from %s waits while the game goes on\n", connection->host);
    return 0;
}

bool hostInputFromPeer(const char* input) {
    if (g_host.peer && input == g_host.peer->input) return true;
    for (int i = 0; i < g_host.count; ++i)
        if (input == g_host.newcomers[i].connection->input) g_host.newcomers[i].spoke = true;
    return false;
}

bool hostPeerClosed() {
    for (int i = g_host.count - 1; i >= 0; --i)
        if (!inList(g_host.newcomers[i].connection)) removeNewcomer(i);
    if (!g_host.peer || inList(g_host.peer)) return false;
    g_host.peer = nullptr;
    g_host.waitNoteIn = WAIT_NOTE_SECONDS;
    GetTimePassed(&g_host.noteStamp);
    return true;
}

void hostPeerStep() {
    KPort* port = hostPort();
    if (!port) return;
    const float dt = g_host.count > 0 ? GetTimePassed(&g_host.stamp) : 0.0f;
    // Newest first, so that removing one never skips another.
    for (int i = g_host.count - 1; i >= 0; --i) {
        Newcomer& n = g_host.newcomers[i];
        n.seconds += dt;
        if (n.spoke) {
            Log("\nSYSTEM : a connection from %s spoke before joining : closed\n",
                n.connection->host);
            KSocket* stranger = n.connection;
            removeNewcomer(i);
            port->close_socket(stranger);
        }
    }
    // The oldest newcomer still there after STRAY_SECONDS (or at once, when nobody plays any
    // more) is the player: the old connection, if any, goes without a word.
    int oldest = -1;
    for (int i = 0; i < g_host.count; ++i)
        if (oldest < 0 || g_host.newcomers[i].seconds > g_host.newcomers[oldest].seconds)
            oldest = i;
    if (oldest >= 0) KWakeWithin(STRAY_SECONDS - g_host.newcomers[oldest].seconds);
    if (oldest >= 0 && (!g_host.peer || g_host.newcomers[oldest].seconds >= STRAY_SECONDS)) {
        KSocket* comer = g_host.newcomers[oldest].connection;
        KSocket* old = g_host.peer;
        removeNewcomer(oldest);
        Log("\nSYSTEM : %s takes the game over\n", comer->host);
        g_host.peer = comer; // before the close, so that the old one counts as replaced
        if (old) port->close_socket(old);
        startPlaying(comer);
    }
    if (g_host.waitNoteIn >= 0.0f && !g_host.peer) {
        g_host.waitNoteIn -= GetTimePassed(&g_host.noteStamp);
        KWakeWithin(g_host.waitNoteIn);
        if (g_host.waitNoteIn <= 0.0f) {
            // The player may come back: the host says it waits, and where it can be found.
            g_host.waitNoteIn = -1.0f;
            showInfo(true, false, "Waiting for client..");
            hostAddressesShown(true);
        }
    }
}

void hostPeerReset() {
    g_host = HostPeers();
}
