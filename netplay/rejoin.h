// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The joining side's way to its host: a name is looked up beside the frame loop and each of
// its addresses is tried in turn; and when the connection to a game under way is lost, the
// same address is joined again, for up to REJOIN_SECONDS, with a countdown on the info line.
// The host sends the whole game to whoever joins, so the game goes on where it was, with the
// same colours. Escape gives up: the game goes on against the computer.

constexpr float REJOIN_SECONDS = 60.0f; // how long the joining side tries to come back
constexpr float ATTEMPT_SECONDS = 6.0f; // one attempt's wait for the host's game
constexpr float RETRY_SECONDS = 1.0f;   // pause between two attempts

// Joins host (an address, "localhost" or a name) on port: an address is connected at once
// (connectToHost); a name is looked up first, "Looking up host.." showing meanwhile. False,
// with a message, when nothing could be started.
bool joinHost(const char* host, int port);

// Once per frame, first in the joining side's step. True when it took the whole step (a name
// being looked up, or the way back to a lost game); false lets the usual step run.
bool rejoinStep();

// The connection failed: true when it was a game under way and the way back begins (the caller
// then keeps the client); false when the failure is to be reported as always.
bool startRejoin();

// True while the way back runs (the board is locked; Escape gives up).
bool rejoining();

// Escape while the way back runs: it stops and the game goes on against the computer. True
// when the key was taken.
bool rejoinKey(int key);

// Forgets the target and any way back (hosting, a new join, a local game).
void rejoinReset();
