#pragma once
// State of network play that the AppState does not hold, shared by the netplay files. Private
// to netplay/.

#include "netplay/messages.h"

struct NetSession {
    // A whole-game block being gathered across passes (AppState::netPendingFlag set).
    unsigned char block[WHOLE_GAME_MAX_BLOCK + 3]; // any length the 16-bit field can say
    int blockGathered = 0;                         // bytes of it taken so far
    bool blockDiscarded = false; // an 'S' nobody asked for: its block is skipped, not loaded
    bool loadAwaited = false;    // the host accepted the peer's load: its 'S' is expected
    int blockColour = 0;         // colour the local player takes when the awaited block is loaded
    bool unaskedGameLogged = false; // an unasked game was logged on this connection
    bool peerQuestion = false;   // the request window shows the peer's question
    // The peer sent a byte no message starts with: its connection is closed after the pass.
    bool dropRequested = false;
    const char* dropInput = nullptr; // on the host: the input buffer of that connection
    int dropByte = 0;                // the offending byte, for the log
};

NetSession& netSession();

// The peer is gone (closed, failed, dropped) or the game turned local: a pending request, the
// peer's open question and a block being received are forgotten, with their messages.
void forgetPeer();
