// SPDX-License-Identifier: MIT
// The few Windows sockets names the library is written with, over POSIX sockets. Private to the
// library. Differences that matter: descriptors start at 0, so "no socket" is -1; a POSIX
// fd_set holds only descriptors below FD_SETSIZE, so the select pass polls (net_select); send
// must never raise SIGPIPE.
#pragma once

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

using SOCKET = int;
using WORD = unsigned short;

constexpr SOCKET INVALID_SOCKET = -1;
constexpr int SOCKET_ERROR = -1;
constexpr int WSAEINTR = 10004;
constexpr int WSAEWOULDBLOCK = 10035;

struct WSADATA {
    WORD wVersion;
};

// POSIX sockets need no start-up.
inline int WSAStartup(WORD version, WSADATA* data) {
    if (data) data->wVersion = version;
    return 0;
}

inline int closesocket(SOCKET s) {
    return close(s);
}

// Only FIONBIO is used: 1 makes the socket non-blocking.
inline int ioctlsocket(SOCKET s, unsigned long command, unsigned long* value) {
    int on = (value && *value) ? 1 : 0;
    return ioctl(s, command, &on);
}

// The last error with the codes the library tests mapped to their Windows values; any other
// errno is returned as it is (the library only distinguishes "try again" from the rest).
inline int WSAGetLastError() {
    if (errno == EWOULDBLOCK || errno == EAGAIN || errno == EINPROGRESS) return WSAEWOULDBLOCK;
    if (errno == EINTR) return WSAEINTR;
    return errno;
}

// Descriptor close that keeps errno: callers read WSAGetLastError after cleaning up.
inline void closeKeepErrno(SOCKET s) {
    int saved = errno;
    closesocket(s);
    errno = saved;
}
