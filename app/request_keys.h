#pragma once
// The R, S and B keys: a request for a new game ('R'), a swap of colours ('W') or a take-back
// ('B'). In a local game the player confirms it in the request window; in a network game it
// goes to the peer, who answers.

void askRequest(int code);

// Sends bytes to the network peer: the host's newest connection, or the client's socket.
// False when there is no peer to send to.
bool sendToPeer(const char* data, int length);
