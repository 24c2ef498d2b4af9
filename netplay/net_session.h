// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The network session: the connection objects and the state of network play between passes.
// Kept by netplay/; read by app/ and by tests. Below netplay/, "is this a network game?" is
// asked through the game model (GameModel::networkGame, game/game_model.h).

#include <cstdint>

#include "netplay/messages.h"

class KServer;
class KClient;

struct NetSession {
    KServer* server = nullptr;     // non-null while this machine hosts a network game
    KClient* client = nullptr;     // non-null while connected as a client
    int32_t netPendingValue = 0;   // kept by the network receive handlers between calls
    uint8_t netPendingFlag = 0;    // a whole-game block is being gathered
    uint8_t connectIdle = 1;       // 0 while a client waits for the server's answer
    float connectWaitSeconds = 0;  // seconds waited so far for that answer
    uint32_t connectWaitStamp = 0; // stamp advanced by GetTimePassed for that wait
    // A whole-game block being gathered across passes (netPendingFlag set).
    unsigned char block[WHOLE_GAME_MAX_BLOCK + 3]; // any length the 16-bit field can say
    int blockGathered = 0;                         // bytes of it taken so far
    bool blockDiscarded = false; // an 'S' nobody asked for: its block is skipped, not loaded
    bool loadAwaited = false;    // the host accepted the peer's load: its 'S' is expected
    int blockColour = 0;         // colour the local player takes when the awaited block is loaded
    bool unaskedGameLogged = false; // an unasked game was logged on this connection
    bool peerQuestion = false;      // the request window shows the peer's question
    // The peer sent a byte no message starts with: its connection is closed after the pass.
    bool dropRequested = false;
    const char* dropInput = nullptr; // on the host: the input buffer of that connection
    int dropByte = 0;                // the offending byte, for the log
};

NetSession& netSession();

// A KServer or a KClient exists: this is a network game (the game model's networkGame hook).
bool sessionOpen();
// A client waits for the server's answer (the game model's waitingForHost hook).
bool sessionWaitsForHost();
// A whole-game block is being gathered, or the host's game is awaited after an accepted load
// (the game model's wholeGameExpected hook).
bool sessionAwaitsWholeGame();

// The peer is gone (closed, failed, dropped) or the game turned local: a pending request, the
// peer's open question and a block being received are forgotten, with their messages.
void forgetPeer();
