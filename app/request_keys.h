// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The R, S and B keys: a request for a new game ('R'), a swap of colours ('W') or a take-back
// ('B'). In a local game the player confirms it in the request window; in a network game it
// goes to the peer, who answers.

void askRequest(int code);

// Sends one whole message to the network peer: the host's connection, or the client's socket.
// True when the library took all of it (sent, or queued to follow in order); false when there is
// no peer or its connection is failing.
bool sendToPeer(const char* data, int length);
// Hosting, the playing peer is there to answer a request; false with nobody playing, a
// connection waiting beside the seat (a stranger, a player not yet let in) included.
bool hostHasPlayingPeer();
