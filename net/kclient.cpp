// SPDX-License-Identifier: MIT
#include "net/KivNetwork.h"
#include "net/socket_io.h"
#include "net/winsock_compat.h"

#include <cstdio>
#include <cstring>
#include <netdb.h>
#include <poll.h>

namespace {

// The socket address of host:port, without ever asking the resolver (which may wait for
// seconds: a name is looked up beforehand with KHostLookup, beside the caller's loop). An IPv4
// address as the sockets layer has always read it (blanks end it), an IPv6 address (in brackets
// or not, with a scope for a link-local one) and "localhost"; anything else is not found.
bool hostAddress(const char* host, int port, sockaddr_storage& out, socklen_t& length) {
    const auto portBytes = htons(static_cast<unsigned short>(port));
    in_addr v4{};
    bool isV4 = inet_aton(host, &v4) != 0;
    if (!isV4 && std::strcmp(host, "localhost") == 0) {
        v4.s_addr = htonl(INADDR_LOOPBACK);
        isV4 = true;
    }
    if (isV4) {
        auto& a = reinterpret_cast<sockaddr_in&>(out);
        a.sin_family = AF_INET;
        a.sin_port = portBytes;
        a.sin_addr = v4;
        length = sizeof a;
        return true;
    }
    // IPv6, bare or in brackets: AI_NUMERICHOST makes getaddrinfo a pure parse (it reads the
    // scope too, which inet_pton does not).
    char text[KNET_ADDRESS_TEXT];
    std::snprintf(text, sizeof text, "%s", host);
    const size_t n = std::strlen(text);
    char* bare = text;
    if (n >= 2 && text[0] == '[' && text[n - 1] == ']') {
        text[n - 1] = '\0';
        bare = text + 1;
    }
    if (!std::strchr(bare, ':')) return false;
    addrinfo hints{};
    hints.ai_family = AF_INET6;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST;
    addrinfo* found = nullptr;
    if (getaddrinfo(bare, nullptr, &hints, &found) != 0 || !found) return false;
    std::memcpy(&out, found->ai_addr, found->ai_addrlen);
    length = found->ai_addrlen;
    freeaddrinfo(found);
    reinterpret_cast<sockaddr_in6&>(out).sin6_port = portBytes;
    return true;
}

// Where a non-blocking connection stands: 1 established, 0 still under way, -1 failed (the
// socket's pending error, which is logged). Linux reads on a connection under way say "try
// again" where Windows fails, so the read alone cannot tell. Writability cannot either: a full
// send buffer makes an established connection unwritable.
int connectionState(int sock) {
    pollfd p{sock, POLLOUT, 0};
    if (poll(&p, 1, 0) > 0 && (p.revents & (POLLERR | POLLHUP))) {
        int error = 0;
        socklen_t size = sizeof error;
        if (getsockopt(sock, SOL_SOCKET, SO_ERROR, &error, &size) < 0) error = errno;
        NetLog("SYSERR: connection not established: %s\n",
               error ? std::strerror(error) : "connection closed");
        return -1;
    }
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    return getpeername(sock, reinterpret_cast<sockaddr*>(&peer), &length) == 0 ? 1 : 0;
}

} // namespace

// Fields are set here, not only by InitConnexion: the destructor closes sock, and a client
// destroyed before connecting must not close a descriptor it never owned.
KClient::KClient()
    : sock(KNET_NO_SOCKET), inputLength(0), onData(nullptr), onClose(nullptr), outputLength(0),
      linkState(0) {
    std::memset(input, 0, sizeof input);
}

KClient::~KClient() {
    CloseConnexion();
}

KClient& KClient::operator=(const KClient& other) {
    if (this == &other) return *this;
    CloseConnexion();
    sock = other.sock >= 0 ? dup(other.sock) : KNET_NO_SOCKET;
    std::memcpy(input, other.input, sizeof input);
    inputLength = other.inputLength;
    onData = other.onData;
    onClose = other.onClose;
    std::memcpy(output, other.output, static_cast<std::size_t>(other.outputLength));
    outputLength = other.outputLength;
    linkState = other.linkState;
    return *this;
}

bool KClient::InitConnexion(char* host, int port, KInputFunc dataFunc, KCloseFunc closeFunc,
                            int* status) {
    // A caller that does not want the status still gets a sound call.
    int ignoredStatus = 0;
    if (!status) status = &ignoredStatus;
    // Reusing the object for a new attempt must not leak the previous descriptor.
    CloseConnexion();
    inputLength = 0;
    input[0] = 'x';
    onData = dataFunc;
    onClose = closeFunc;
    outputLength = 0;
    linkState = 0;

    WSADATA data;
    WSAStartup(0x0101, &data);

    // No text at all is a host that cannot be found, not a crash.
    if (!host) host = const_cast<char*>("");
    sockaddr_storage address{};
    socklen_t addressLength = 0;
    const bool found = hostAddress(host, port, address, addressLength);
    std::fprintf(stderr, "Attempting a connection with %s on port %d\n", host, port);
    if (!found) {
        std::fprintf(stderr, "host not found\n");
        *status = 2;
        return false;
    }
    sock = socket(address.ss_family, SOCK_STREAM, 0);
    if (sock < 0) {
        sock = KNET_NO_SOCKET;
        std::fprintf(stderr, "Error creating socket");
        *status = 1;
        return false;
    }
    unsigned long nonBlocking = 1;
    ioctlsocket(sock, FIONBIO, &nonBlocking);
    net_watch_peer(sock);

    if (connect(sock, reinterpret_cast<sockaddr*>(&address), addressLength) >= 0) {
        linkState = 1;
        *status = 0;
        return true;
    }
    if (WSAGetLastError() == WSAEWOULDBLOCK) {
        *status = 0;
        return true;
    }
    std::fprintf(stderr, "Connection refused by remote host.\n");
    *status = 3;
    return false;
}

void KClient::Listen(bool report) {
    // Either callback may delete this client (the game's failure callback does): after a
    // callback nothing of this object is touched.
    int r = -1;
    if (sock >= 0 && linkState == 0) linkState = static_cast<signed char>(connectionState(sock));
    // A connection not established counts as failed, as on Windows, where reading it fails.
    if (sock >= 0 && linkState == 1) {
        r = net_flush(sock, output, &outputLength) < 0
                ? -1
                : net_append_input(sock, input, &inputLength);
    }
    if (r < 0) {
        if (report && onClose) onClose(nullptr, nullptr);
        return;
    }
    if (onData) onData(input, &inputLength);
}

int KClient::Send(char* data, int length) {
    if (length < 0) return -1;
    int r = net_send_queued(sock, output, &outputLength, data, static_cast<std::size_t>(length));
    if (r == NET_OUTPUT_OVERFLOW) {
        // The owner learns it from its next Listen, which finds no socket.
        CloseConnexion();
        return -1;
    }
    return r;
}

void KClient::CloseConnexion() {
    if (sock >= 0) closesocket(sock);
    sock = KNET_NO_SOCKET;
    outputLength = 0; // nothing left to send it on
}
