// SPDX-License-Identifier: MIT
#include "net/KivNetwork.h"
#include "net/socket_io.h"
#include "net/winsock_compat.h"

#include <cstdio>
#include <cstring>

namespace {

// Copies at most 40 characters of text into host, always terminated.
void setHost(char* host, const char* text) {
    std::snprintf(host, 41, "%.40s", text);
}

// A descriptor of its own for a copy, so that each object closes only what it owns.
int duplicateHandle(int sock) {
    return sock >= 0 ? dup(sock) : KNET_NO_SOCKET;
}

} // namespace

KSocket::KSocket(int listenSocket, int /*numericHost*/)
    : sock(KNET_NO_SOCKET), name("player"), inputLength(0), status(1), next(nullptr),
      outputLength(0), outputOverflow(false) {
    host[0] = '\0';
    std::memset(input, 0, sizeof input);

    sockaddr_storage peer{};
    socklen_t peerLength = sizeof peer;
    int s = accept(listenSocket, reinterpret_cast<sockaddr*>(&peer), &peerLength);
    if (s < 0) {
        // Nothing to own: the port drops such an object without closing anything.
        status = -3;
        return;
    }
    unsigned long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    net_watch_peer(s);

    // The numeric address, never a reverse look-up: on a network without one the resolver
    // would hold the owner's frame loop for its whole time-out. An IPv4 peer of the dual-stack
    // port is shown as IPv4 ("127.0.0.1", not "::ffff:127.0.0.1").
    char text[INET6_ADDRSTRLEN] = "";
    if (peer.ss_family == AF_INET6) {
        const in6_addr& a = reinterpret_cast<sockaddr_in6&>(peer).sin6_addr;
        if (IN6_IS_ADDR_V4MAPPED(&a))
            inet_ntop(AF_INET, a.s6_addr + 12, text, sizeof text);
        else
            inet_ntop(AF_INET6, &a, text, sizeof text);
    } else {
        inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in&>(peer).sin_addr, text, sizeof text);
    }
    setHost(host, text);
    NetLog("New connection from [%s]\n", host);
    sock = s;
    input[0] = '\0';
    inputLength = 0;
}

KSocket::KSocket(const KSocket& other)
    : sock(duplicateHandle(other.sock)), name(other.name), inputLength(other.inputLength),
      status(other.status), next(nullptr), outputLength(other.outputLength),
      outputOverflow(other.outputOverflow) {
    std::memcpy(host, other.host, sizeof host);
    std::memcpy(input, other.input, sizeof input);
    std::memcpy(output, other.output, static_cast<std::size_t>(outputLength));
}

KSocket& KSocket::operator=(const KSocket& other) {
    if (this == &other) return *this;
    if (sock >= 0) closesocket(sock);
    sock = duplicateHandle(other.sock);
    std::memcpy(host, other.host, sizeof host);
    name = other.name;
    std::memcpy(input, other.input, sizeof input);
    inputLength = other.inputLength;
    status = other.status;
    std::memcpy(output, other.output, static_cast<std::size_t>(other.outputLength));
    outputLength = other.outputLength;
    outputOverflow = other.outputOverflow;
    // next stays: list membership belongs to the port, not to the connection's value.
    return *this;
}

KSocket::~KSocket() {
    if (sock >= 0) closesocket(sock);
}

int KSocket::Send(char* data, unsigned long length) {
    if (outputOverflow) return -1; // already condemned: nothing more goes out
    int r = net_send_queued(sock, output, &outputLength, data, length);
    if (r == NET_OUTPUT_OVERFLOW) {
        // Closing here could pull the connection from under a pass walking the list: the port
        // closes it at its next step.
        outputOverflow = true;
        return -1;
    }
    return r;
}

int KSocket::FlushOutput() {
    return net_flush(sock, output, &outputLength);
}

int KSocket::ReceveData() {
    return net_append_input(sock, input, &inputLength);
}

int KSocket::ReadSocket(unsigned int socket, char* buffer, int size) {
    return net_read(static_cast<int>(socket), buffer, size);
}

KBufferList& KBufferList::operator=(const KBufferList& other) {
    data = other.data;
    length = other.length;
    next = other.next;
    return *this;
}
