// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game's end of its network connection as the soak harness sees it from the outside: which
// socket it is, whether it is connected, what it still holds unread or unsent, and waits that
// let the kernel finish handing bytes over, so that two games stepping in turns see the same
// bytes at the same steps whatever the machine's load.

#include <cstdint>

namespace soak {

// The game's connection socket (the host's peer, or the joining side's client), -1 for none.
int gameSocket();
// The game is connected to its peer: the host has one, the joining side's connection is up.
bool gameConnected();
// Bytes received but not yet consumed by the game: its input buffer and the kernel's queue.
int unreadBytes();
// Bytes the kernel has seen acknowledged on the game's connection (0 for none).
uint64_t bytesAcknowledged();
// Bytes sent on the game's connection and not yet acknowledged: on a loaded machine loopback
// may still hold them on their way, out of the peer's queue.
int unacknowledgedBytes();
// The port the host's game listens on, 0 when it does not.
int listeningPort();

// After a step: until everything the game handed to its socket has reached the peer's kernel
// (acknowledged on loopback) and a connection it started is set up or refused. Bounded by a
// couple of seconds of real time.
void settleOutgoing();
// Before a step, when the peer said it closed the connection: until this side's socket sees the
// end of the stream.
void awaitPeerClose();
// A free TCP port on loopback for the host to listen on.
int freePort();

} // namespace soak
