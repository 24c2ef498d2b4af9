// SPDX-License-Identifier: MIT
// The read and send rules shared by accepted connections (KSocket) and the client (KClient).
// Private to the library.
#pragma once

#include <cstddef>

// One recv of at most size bytes into buffer. Returns the bytes read, 0 when nothing is there
// now (would block, interrupted), -1 when the connection is to be closed (peer closed or any
// other error), logging why.
int net_read(int sock, char* buffer, int size);

// One send of length bytes without SIGPIPE. Returns the bytes taken, 0 when the socket cannot
// take any now (logged), -1 when the connection is to be closed (also when send returns 0).
int net_send(int sock, const char* data, std::size_t length);

// Result of a queued send whose rest did not fit into the output queue.
constexpr int NET_OUTPUT_OVERFLOW = -2;

// Sends length bytes on sock after the bytes waiting in a connection's output queue (queue,
// *queued, KNET_OUTPUT_SIZE bytes): the queue is flushed first; then, if it is empty, the data
// is sent and what the socket does not take is queued; otherwise all of it is queued behind.
// Returns the bytes of data the socket took now, -1 when the connection is to be closed, and
// NET_OUTPUT_OVERFLOW (logged, nothing queued) when the rest does not fit.
int net_send_queued(int sock, char* queue, int* queued, const char* data, std::size_t length);

// Sends as much of the output queue as the socket takes now, keeping the rest in order at the
// front. Returns the bytes sent (0 when none could be; nothing logged), -1 when the connection
// is to be closed.
int net_flush(int sock, char* queue, int* queued);

// Appends to a connection's input buffer (input, *inputLength) what one read brings, keeping
// the last byte of the buffer unfilled. Returns as net_read; a full buffer, or a count a
// callback left outside 0..2047, is an overflow: logged, nothing read, -1.
int net_append_input(int sock, char* input, int* inputLength);

// Turns on what notices a peer gone without a word (a cable pulled, a machine asleep, a router
// restarted): keep-alive probes after KNET_KEEPALIVE_IDLE seconds of silence, then every
// KNET_KEEPALIVE_INTERVAL seconds, and a limit of KNET_DEAD_PEER_SECONDS on how long anything
// (probe or data) may stay unanswered. The connection then fails and the next read says so.
// Also leaves Nagle's delay off: the game's messages are a few bytes each and wait for nothing.
void net_watch_peer(int sock);
