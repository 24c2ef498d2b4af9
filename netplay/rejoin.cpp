// SPDX-License-Identifier: GPL-3.0-or-later
#include "netplay/rejoin.h"

#include <arpa/inet.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "anim/anim_manager.h"
#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "net/KivNetwork.h"
#include "netplay/connection.h"
#include "netplay/net_session.h"
#include "platform/win32.h"
#include "ui/interface.h"
#include "ui/net_lines.h"
#include "ui/text_overlay.h"

namespace {

struct JoinTarget {
    char host[256] = ""; // as the player gave it
    int port = 0;
    KHostLookup lookup;                   // the name's addresses
    bool lookingUp = false;               // the answer is awaited
    char address[KNET_ADDRESS_TEXT] = ""; // the address joined (or being joined)
    int next = 0;                         // the next of the name's addresses to try
    // The way back to a lost game.
    bool back = false;
    float secondsLeft = 0.0f;
    float attemptSeconds = 0.0f; // since the attempt under way started
    float pauseSeconds = 0.0f;   // before the next attempt
    bool attempting = false;
    bool givingUp = false; // the failure reported now is the end of the way back
    unsigned int stamp = 0;
    int shownSeconds = -1; // the countdown's last value written
} g_target;

// An address the connection can take as it is, which never waits for the resolver:
// "localhost", a text of digits, dots and blanks (the connect screen's line, taken as it always
// was: the connection reads an IPv4 address in it or finds nothing), or an IPv6 address, bare
// or in brackets, with a scope or not, as inet_pton reads it. Anything else is a name, looked up
// beside the frame loop; a colon alone does not make an address ("host:4000:x").
bool takenAsIs(const char* host) {
    if (std::strcmp(host, "localhost") == 0) return true;
    bool digitsAndDots = true;
    for (const char* c = host; *c; ++c)
        digitsAndDots = digitsAndDots &&
                        (std::isdigit(static_cast<unsigned char>(*c)) || *c == '.' || *c == ' ');
    if (digitsAndDots) return true;
    std::string bare = host;
    if (bare.size() >= 2 && bare.front() == '[' && bare.back() == ']')
        bare = bare.substr(1, bare.size() - 2);
    bare = bare.substr(0, bare.find('%')); // the scope of a link-local address ("fe80::1%eth0")
    in6_addr v6{};
    return inet_pton(AF_INET6, bare.c_str(), &v6) == 1;
}

void setInfoLine(const char* text) {
    TextOverlay* o = g_ui ? g_ui->overlay : nullptr;
    if (o && o->infoText) o->infoText->SetTexte(text);
}

// Tries the name's addresses from `next` on until one attempt starts. False when none is left.
bool tryNextAddress() {
    JoinTarget& t = g_target;
    while (t.next < t.lookup.count) {
        std::snprintf(t.address, sizeof t.address, "%s", t.lookup.addresses[t.next++]);
        if (connectToHost(t.address, t.port, t.next < t.lookup.count)) return true;
    }
    return false;
}

// The game goes on against the computer, as when a connection fails for good.
void giveUp() {
    g_target.back = false;
    hideNetLines();
    netSession().connectIdle = 1;
    g_game->inputSuspended = 0;
    g_target.givingUp = true;
    OnClientFailed(nullptr, nullptr);
    g_target.givingUp = false;
}

void startAttempt() {
    JoinTarget& t = g_target;
    if (!netSession().client) netSession().client = new KClient();
    int status = 1;
    netSession().client->InitConnexion(t.address, t.port, OnClientInput, OnClientFailed, &status);
    t.attempting = status == 0;
    t.attemptSeconds = 0.0f;
    t.pauseSeconds = RETRY_SECONDS;
    // The host's game ends the wait as it ends the first one (connectIdle back to 1).
    if (t.attempting) netSession().connectIdle = 0;
}

// One frame of the way back.
void comebackStep() {
    JoinTarget& t = g_target;
    const float dt = GetTimePassed(&t.stamp);
    t.secondsLeft -= dt;
    // 1. The host's game arrived: the game goes on.
    if (t.attempting && netSession().connectIdle) {
        t.back = false;
        t.attempting = false;
        hideNetLines();
        Log("\nSYSTEM : back in the game with %s\n", t.address);
        showInfo(true, true, "Game resumed");
        return;
    }
    if (t.secondsLeft <= 0.0f) {
        Log("\nSYSTEM : %s did not come back : game against the computer\n", t.address);
        giveUp();
        return;
    }
    // 2. The countdown, written only when it changes.
    const int seconds = int(t.secondsLeft);
    KWakeWithin(t.secondsLeft - float(seconds));
    if (seconds != t.shownSeconds) {
        t.shownSeconds = seconds;
        char text[48];
        std::snprintf(text, sizeof text, "Host lost : joining again %d sec", seconds);
        setInfoLine(text);
    }
    // 3. An attempt under way reads what comes; a failed or silent one is closed, and after a
    // pause the next one starts.
    if (t.attempting) {
        t.attemptSeconds += dt;
        // The board's lock is lifted while the host's game is read: the receive handler
        // holds everything back while input is suspended. The game, when it comes, starts a
        // new game, which unlocks the board for good (seen next frame).
        g_game->inputSuspended = 0;
        netSession().client->Listen(false);
        if (netSession().connectIdle) return;
        g_game->inputSuspended = 1;
        KWakeWithin(ATTEMPT_SECONDS - t.attemptSeconds);
        if (netSession().client->linkState >= 0 && t.attemptSeconds < ATTEMPT_SECONDS) return;
        netSession().client->CloseConnexion();
        t.attempting = false;
        netSession().connectIdle = 1;
        return;
    }
    t.pauseSeconds -= dt;
    KWakeWithin(t.pauseSeconds);
    if (t.pauseSeconds <= 0.0f) startAttempt();
}

} // namespace

bool joinHost(const char* host, int port) {
    JoinTarget& t = g_target;
    rejoinReset();
    std::snprintf(t.host, sizeof t.host, "%s", host ? host : "");
    t.port = port;
    if (takenAsIs(t.host)) {
        std::snprintf(t.address, sizeof t.address, "%.63s", t.host);
        return connectToHost(t.host, port, false);
    }
    // A name: the resolver may wait for seconds, never in a frame.
    t.lookup.Start(t.host);
    t.lookingUp = true;
    Log("\nSYSTEM : looking up %s\n", t.host);
    showInfo(true, false, "Looking up host..");
    return true;
}

bool rejoinStep() {
    JoinTarget& t = g_target;
    if (t.lookingUp) {
        const int r = t.lookup.Poll();
        KWakeWithin(0); // the look-up runs beside the game: asked again next frame
        if (r == 0) return true;
        t.lookingUp = false;
        t.next = 0;
        if (r < 0 || !tryNextAddress()) {
            if (r < 0) {
                Log("SYSTEM : Attempting a connection with adress %s on port %d.. ..host not "
                    "found !\n",
                    t.host, t.port);
                showInfo(true, false, "Host not found");
            }
            g_game->inputSuspended = 0;
        }
        return true;
    }
    if (t.back) {
        comebackStep();
        return true;
    }
    // The first wait: an address that failed gives way to the name's next one.
    if (!netSession().connectIdle && netSession().client && netSession().client->linkState < 0 &&
        t.next < t.lookup.count) {
        Log("SYSTEM : %s did not answer\n", t.address);
        tryNextAddress();
    }
    return false;
}

bool startRejoin() {
    JoinTarget& t = g_target;
    // Only a game under way comes back: the connection had been made and the game was on.
    if (t.givingUp || !netSession().client || netSession().client->linkState != 1 ||
        !g_game->gameStarted || !t.address[0])
        return false;
    netSession().client->CloseConnexion();
    forgetPeer();
    t.back = true;
    t.attempting = false;
    t.secondsLeft = REJOIN_SECONDS;
    t.pauseSeconds = 0.0f;
    t.shownSeconds = -1;
    GetTimePassed(&t.stamp);
    // The board waits: moves made now would reach nobody.
    g_game->inputSuspended = 1;
    g_game->clearSelection();
    Log("\nSYSTEM : connection with %s lost : joining again\n", t.address);
    showInfo(true, false, "Host lost : joining again");
    const char* lines[] = {"Escape : stop and play the computer"};
    showNetLines(lines, 1);
    return true;
}

bool rejoining() {
    return g_target.back;
}

bool rejoinKey(int key) {
    if (!g_target.back || key != VK_ESCAPE) return false;
    Log("\nSYSTEM : joining again given up\n");
    giveUp();
    return true;
}

void rejoinReset() {
    JoinTarget& t = g_target;
    if (t.back) hideNetLines();
    t.back = false;
    t.attempting = false;
    t.lookingUp = false;
    t.next = 0;
    t.lookup.Start("");
}
