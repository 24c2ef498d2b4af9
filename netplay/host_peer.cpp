// SPDX-License-Identifier: GPL-3.0-or-later
#include "netplay/host_peer.h"

#include <cstdio>
#include <cstring>

#include "app/app_state.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "net/KivNetwork.h"
#include "netplay/connection.h"
#include "netplay/host_addresses.h"
#include "netplay/messages.h"
#include "netplay/net_session.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"

namespace {

constexpr int ADDRESS_SIZE = sizeof(KSocket::host); // a connection's numeric address text

struct Newcomer {
    KSocket* connection; // in the port's list while it is here
    float arrived;       // the seat's clock when it was accepted
    bool spoke;          // sent something before it was given the game
};

// How often one address connects: a bucket of CONNECT_BURST connections, refilled by one every
// CONNECT_REFILL_SECONDS. A refused address starts deep below zero.
struct ConnectRate {
    char address[ADDRESS_SIZE]; // "" for an unused entry
    float tokens;               // connections it may make now
    float at;                   // the seat's clock when tokens was last brought up to date
};

struct HostSeat {
    KSocket* peer = nullptr;
    char seat[ADDRESS_SIZE] = "";           // the address that plays or played last; "" nobody yet
    Newcomer newcomers[NEWCOMERS_MAX] = {}; // in arrival order, oldest first
    int count = 0;
    KSocket* asked = nullptr; // the newcomer the question window asks about
    ConnectRate rates[ADDRESSES_REMEMBERED] = {};
    float now = 0.0f;         // the seat's clock: seconds since the first tick
    unsigned int stamp = 0;   // for GetTimePassed
    bool ticking = false;     // stamp holds a time
    float waitNoteAt = -1.0f; // when "Waiting for client.." shows again; < 0: not due
} g_seat;

KPort* hostPort() {
    KServer* server = g_app ? netSession().server : nullptr;
    return server ? server->port : nullptr;
}

void tick() {
    HostSeat& s = g_seat;
    const float passed = GetTimePassed(&s.stamp);
    if (s.ticking) s.now += passed;
    s.ticking = true;
}

bool inList(const KSocket* connection) {
    KPort* port = hostPort();
    for (KSocket* c = port ? port->sockets : nullptr; c; c = c->next)
        if (c == connection) return true;
    return false;
}

bool fromAddress(const KSocket* connection, const char* address) {
    return address[0] && std::strcmp(connection->host, address) == 0;
}

int newcomerIndex(const KSocket* connection) {
    for (int i = 0; i < g_seat.count; ++i)
        if (g_seat.newcomers[i].connection == connection) return i;
    return -1;
}

// Keeps the others in arrival order.
void removeNewcomer(int i) {
    HostSeat& s = g_seat;
    for (int k = i + 1; k < s.count; ++k)
        s.newcomers[k - 1] = s.newcomers[k];
    --s.count;
}

// The question about a newcomer is no longer to be answered (it left, or the seat was taken).
void withdrawQuestion() {
    if (!g_seat.asked) return;
    g_seat.asked = nullptr;
    if (g_ui && g_game->questionShown && g_game->questionCode == TAKE_SEAT_QUESTION)
        showRequest(false, nullptr, nullptr);
}

// Closes a waiting newcomer. The library lets its callbacks close any connection.
void dropNewcomer(KPort* port, int i, const char* why) {
    KSocket* connection = g_seat.newcomers[i].connection;
    if (connection == g_seat.asked) withdrawQuestion();
    removeNewcomer(i);
    Log("\nSYSTEM : a connection from %s %s : closed\n", connection->host, why);
    if (port) port->close_socket(connection);
}

// The address's entry, brought up to date; a new one (replacing the one idle longest when the
// table is full) starts with a full bucket.
ConnectRate& rateOf(const char* address) {
    HostSeat& s = g_seat;
    ConnectRate* entry = nullptr;
    for (ConnectRate& r : s.rates) {
        if (r.address[0] && std::strcmp(r.address, address) == 0) {
            entry = &r;
            break;
        }
        if (!entry || (entry->address[0] && (!r.address[0] || r.at < entry->at))) entry = &r;
    }
    if (!entry->address[0] || std::strcmp(entry->address, address) != 0) {
        std::snprintf(entry->address, sizeof entry->address, "%s", address);
        entry->tokens = CONNECT_BURST;
    } else {
        entry->tokens += (s.now - entry->at) / CONNECT_REFILL_SECONDS;
        if (entry->tokens > CONNECT_BURST) entry->tokens = CONNECT_BURST;
    }
    entry->at = s.now;
    return *entry;
}

// Takes one connection from the address's bucket; false when it is empty.
bool mayConnect(const char* address) {
    ConnectRate& r = rateOf(address);
    if (r.tokens < 1.0f) return false;
    r.tokens -= 1.0f;
    return true;
}

// The connection plays from now on: it gets the whole game. Whatever the peer before it was
// doing (a request, a block) is over, and so is a question about someone else.
void startPlaying(KSocket* connection) {
    HostSeat& s = g_seat;
    withdrawQuestion();
    s.peer = connection;
    std::snprintf(s.seat, sizeof s.seat, "%s", connection->host);
    s.waitNoteAt = -1.0f;
    forgetPeer();
    SendWholeGame();
    showInfo(true, true, "New client");
    hostAddressesShown(false);
}

// A new arrival waits: an address keeps NEWCOMERS_PER_ADDRESS at most (its newest are the
// likeliest to be alive), and a full list lets its oldest go, never one from the seat's
// address: the player's own way back.
void addNewcomer(KPort* port, KSocket* connection) {
    HostSeat& s = g_seat;
    int sameAddress = 0, oldestSame = -1, oldestOther = -1;
    for (int i = 0; i < s.count; ++i) {
        const KSocket* c = s.newcomers[i].connection;
        if (fromAddress(c, connection->host) && sameAddress++ == 0) oldestSame = i;
        if (oldestOther < 0 && !fromAddress(c, s.seat)) oldestOther = i;
    }
    if (sameAddress >= NEWCOMERS_PER_ADDRESS)
        dropNewcomer(port, oldestSame, "made room for a newer one from its address");
    else if (s.count == NEWCOMERS_MAX)
        dropNewcomer(port, oldestOther >= 0 ? oldestOther : 0, "made room in a full list");
    s.newcomers[s.count++] = {connection, s.now, false};
    Log("\nSYSTEM : a connection from %s waits while the game goes on\n", connection->host);
}

// The player's own address: its oldest newcomer takes the seat, at once when nobody plays,
// after STRAY_SECONDS beside a connection that still looks alive (the old one goes quietly).
void seatAddressComesBack(KPort* port) {
    HostSeat& s = g_seat;
    for (int i = 0; i < s.count; ++i) {
        const Newcomer n = s.newcomers[i];
        if (!fromAddress(n.connection, s.seat)) continue;
        if (s.peer && s.now - n.arrived < STRAY_SECONDS) return;
        KSocket* old = s.peer;
        removeNewcomer(i);
        Log("\nSYSTEM : %s takes the game over\n", n.connection->host);
        startPlaying(n.connection); // before the close, so that the old one counts as replaced
        if (old) port->close_socket(old);
        return;
    }
}

// Nobody plays: the host is asked about the oldest newcomer that stayed, silent, for
// STRAY_SECONDS; one question at a time, and none over another question.
void askAboutStranger() {
    HostSeat& s = g_seat;
    if (!g_ui) return;
    // A question closed without an answer is asked again.
    if (!g_game->questionShown || g_game->questionCode != TAKE_SEAT_QUESTION) s.asked = nullptr;
    if (s.peer || s.asked || g_game->questionShown) return;
    for (int i = 0; i < s.count; ++i) {
        KSocket* c = s.newcomers[i].connection;
        if (s.now - s.newcomers[i].arrived < STRAY_SECONDS) continue;
        char line[ADDRESS_SIZE + 16];
        std::snprintf(line, sizeof line, "A player from %s", c->host);
        showRequest(true, line, "wants to take over : accept ?");
        if (!g_game->questionShown) return;
        g_game->questionCode = TAKE_SEAT_QUESTION;
        s.asked = c;
        Log("\nSYSTEM : %s wants to take over : the host is asked\n", c->host);
        return;
    }
}

} // namespace

KSocket* playingPeer() {
    return g_seat.peer;
}

int hostPeerArrived(KPort* port, KSocket* connection) {
    HostSeat& s = g_seat;
    tick();
    if (!mayConnect(connection->host)) {
        Log("\nSYSTEM : %s connects too often : closed\n", connection->host);
        if (port) port->close_socket(connection);
        return 0;
    }
    if (!s.peer && (!s.seat[0] || fromAddress(connection, s.seat)))
        startPlaying(connection);
    else
        addNewcomer(port, connection);
    return 0;
}

bool hostInputFromPeer(const char* input) {
    HostSeat& s = g_seat;
    if (s.peer && input == s.peer->input) return true;
    for (int i = 0; i < s.count; ++i)
        if (input == s.newcomers[i].connection->input) s.newcomers[i].spoke = true;
    return false;
}

bool hostPeerClosed() {
    HostSeat& s = g_seat;
    tick();
    for (int i = s.count - 1; i >= 0; --i) {
        if (inList(s.newcomers[i].connection)) continue;
        if (s.newcomers[i].connection == s.asked) withdrawQuestion();
        removeNewcomer(i);
    }
    if (!s.peer || inList(s.peer)) return false;
    s.peer = nullptr;
    s.waitNoteAt = s.now + WAIT_NOTE_SECONDS;
    return true;
}

void hostPeerStep() {
    KPort* port = hostPort();
    if (!port) return;
    HostSeat& s = g_seat;
    tick();
    // Newest first, so that removing one never skips another.
    for (int i = s.count - 1; i >= 0; --i)
        if (s.newcomers[i].spoke) dropNewcomer(port, i, "spoke before joining");
    seatAddressComesBack(port);
    askAboutStranger();
    // At rest the loop sleeps: it wakes when a newcomer's wait is over, or the note is due.
    for (int i = 0; i < s.count; ++i)
        if (s.now - s.newcomers[i].arrived < STRAY_SECONDS)
            KWakeWithin(s.newcomers[i].arrived + STRAY_SECONDS - s.now);
    if (s.waitNoteAt >= 0.0f && !s.peer && s.now >= s.waitNoteAt) {
        // The player may come back: the host says it waits, and where it can be found.
        s.waitNoteAt = -1.0f;
        showInfo(true, false, "Waiting for client..");
        hostAddressesShown(true);
    }
    if (s.waitNoteAt >= 0.0f && !s.peer) KWakeWithin(s.waitNoteAt - s.now);
}

void hostSeatAnswered(bool accepted) {
    HostSeat& s = g_seat;
    KSocket* connection = s.asked;
    s.asked = nullptr; // the window closes with this answer
    const int i = newcomerIndex(connection);
    KPort* port = hostPort();
    if (!connection || i < 0 || !port || s.peer) return;
    if (!accepted) {
        // The host said no to the address: none of its connections is asked about again.
        char refused[ADDRESS_SIZE];
        std::snprintf(refused, sizeof refused, "%s", connection->host);
        rateOf(refused).tokens = 1.0f - REFUSED_SECONDS / CONNECT_REFILL_SECONDS;
        for (int k = s.count - 1; k >= 0; --k)
            if (fromAddress(s.newcomers[k].connection, refused))
                dropNewcomer(port, k, "was refused by the host");
        return;
    }
    removeNewcomer(i);
    Log("\nSYSTEM : %s takes the game over with the host's yes\n", connection->host);
    startPlaying(connection);
}

void hostPeerReset() {
    withdrawQuestion();
    g_seat = HostSeat();
}
