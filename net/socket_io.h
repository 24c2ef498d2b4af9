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

// Appends to a connection's input buffer (input, *inputLength) what one read brings, keeping
// the last byte of the buffer unfilled. Returns as net_read; a full buffer, or a count a
// callback left outside 0..2047, is an overflow: logged, nothing read, -1.
int net_append_input(int sock, char* input, int* inputLength);
