// SPDX-License-Identifier: MIT
#include "net/socket_io.h"

#include "net/KivNetwork.h"
#include "net/winsock_compat.h"

#include <cstring>
#include <netinet/tcp.h>

int net_read(int sock, char* buffer, int size) {
    ssize_t n = recv(sock, buffer, static_cast<std::size_t>(size), 0);
    if (n > 0) return static_cast<int>(n);
    if (n == 0) {
        NetLog("WARNING: EOF on socket read (connection broken by peer)");
        return -1;
    }
    int error = WSAGetLastError();
    if (error == WSAEWOULDBLOCK || error == WSAEINTR) return 0;
    NetLog("SYSERR: perform_socket_read: about to lose connection");
    return -1;
}

int net_send(int sock, const char* data, std::size_t length) {
    // A peer that has gone must show up as an error here, not as a signal ending the process.
    ssize_t n = send(sock, data, length, MSG_NOSIGNAL);
    if (n > 0) return static_cast<int>(n);
    if (n == 0) return -1;
    int error = WSAGetLastError();
    if (error == WSAEWOULDBLOCK || error == WSAEINTR) {
        NetLog("(SYSERR) WSAerror dans KSocket::Send \n");
        return 0;
    }
    return -1;
}

namespace {

// One send without SIGPIPE and without a log line: bytes taken, 0 for "not now", -1 broken.
int sendQuietly(int sock, const char* data, std::size_t length) {
    if (sock < 0) return -1;
    ssize_t n = send(sock, data, length, MSG_NOSIGNAL);
    if (n > 0) return static_cast<int>(n);
    if (n == 0) return -1;
    int error = WSAGetLastError();
    return (error == WSAEWOULDBLOCK || error == WSAEINTR) ? 0 : -1;
}

} // namespace

int net_flush(int sock, char* queue, int* queued) {
    if (*queued <= 0) return 0;
    int n = sendQuietly(sock, queue, static_cast<std::size_t>(*queued));
    if (n <= 0) return n;
    std::memmove(queue, queue + n, static_cast<std::size_t>(*queued - n));
    *queued -= n;
    return n;
}

int net_send_queued(int sock, char* queue, int* queued, const char* data, std::size_t length) {
    if (length == 0) return -1; // as a send of nothing: the socket layer's 0 counts as failure
    if (*queued > 0 && net_flush(sock, queue, queued) < 0) return -1;
    std::size_t taken = 0;
    if (*queued == 0) {
        int n = net_send(sock, data, length);
        if (n < 0) return -1;
        taken = static_cast<std::size_t>(n);
    }
    std::size_t rest = length - taken;
    if (rest == 0) return static_cast<int>(taken);
    if (rest > static_cast<std::size_t>(KNET_OUTPUT_SIZE - *queued)) {
        NetLog("WARNING: send queue full: about to close connection\n");
        return NET_OUTPUT_OVERFLOW;
    }
    std::memcpy(queue + *queued, data + taken, rest);
    *queued += static_cast<int>(rest);
    return static_cast<int>(taken);
}

int net_append_input(int sock, char* input, int* inputLength) {
    int length = *inputLength;
    // A negative count can only come from a faulty callback; reading with it would write
    // before or past the buffer, so it ends the connection like a full buffer does.
    int free = (length < 0) ? 0 : KNET_INPUT_MAX - length;
    if (free <= 0) {
        NetLog("WARNING: process_input: about to close connection: input overflow");
        return -1;
    }
    int r = net_read(sock, input + length, free);
    if (r > 0) *inputLength = length + r;
    return r;
}

void net_watch_peer(int sock) {
    if (sock < 0) return;
    int on = 1;
    int idle = KNET_KEEPALIVE_IDLE;
    int interval = KNET_KEEPALIVE_INTERVAL;
    // Probes alone would give up only after idle + count x interval; the user time-out below
    // ends it sooner, and also covers sent data that is never acknowledged, which keep-alive
    // does not (it probes an idle connection only).
    int count = (KNET_DEAD_PEER_SECONDS - KNET_KEEPALIVE_IDLE) / KNET_KEEPALIVE_INTERVAL + 1;
    unsigned int userTimeoutMs = KNET_DEAD_PEER_SECONDS * 1000u;
    setsockopt(sock, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    setsockopt(sock, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    setsockopt(sock, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    setsockopt(sock, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
    setsockopt(sock, IPPROTO_TCP, TCP_USER_TIMEOUT, &userTimeoutMs, sizeof userTimeoutMs);
    setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}
