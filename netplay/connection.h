// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Hosting and joining a network game: the two roles (a KServer listening for one peer, or a
// KClient connected to a host), their per-frame steps and the callbacks through which the
// network library reports a new peer, input, a closed peer and a failed connection. All of it
// runs on the frame loop's thread; the library calls back only from inside the two steps.

class KPort;
class KSocket;

// Become the host: any client is closed first; a server is created on AppState::netPort unless
// one exists. "Waiting for client.." shows while nobody is connected. A port that cannot be
// bound leaves the game local, with a message on screen.
void HostGame();

// Connect to `host` (an IPv4 or IPv6 address, "localhost" or a name, looked up beside the frame
// loop) on `port`; any server is destroyed first. True when the attempt started: the countdown
// "Waiting for server : 10 sec" runs until the host's first message. False, with a message on
// screen, when it could not start.
bool JoinGame(const char* host, int port);

// Connects to one address (numeric, or "localhost") on port and starts the 10-second wait for
// the host's game. With moreToTry, a failure to start is only logged (another address comes
// next); else it is told on screen. True when the attempt started.
bool connectToHost(const char* host, int port, bool moreToTry);

// Once per frame, in this order, after the animations: the host's pass over its port, then the
// joining side's connection wait and read.
void ServerStep();
void ClientStep();

// Callbacks given to the network library.
int OnNewClient(KPort* port, KSocket* connection);
void OnServerInput(char* input, int* inputLength);
void OnConnectionClosed(const char* name, int* value);
void OnClientInput(char* input, int* inputLength);
void OnClientFailed(const char* name, int* value);

// Plugs hosting, the answer to the request window and sending chat lines into the interface's
// hooks (g_ui->screens). Called once at start-up, after the Interface is built.
void installNetworkPlay();

// The local game's tear-down: the client closed and deleted, the server destroyed, and
// everything that waited on the peer (a pending request, a block being received) forgotten.
void leaveNetworkGame();

// This side accepted the peer's load and waits for the game it sends.
bool wholeGameExpected();
