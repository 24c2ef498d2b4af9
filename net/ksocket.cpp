#include "net/KivNetwork.h"
#include "net/socket_io.h"
#include "net/winsock_compat.h"

#include <cstring>

namespace {

// Copies at most 40 characters of text into host, always terminated.
void setHost(char* host, const char* text) {
    std::strncpy(host, text, 40);
    host[40] = '\0';
}

// A descriptor of its own for a copy, so that each object closes only what it owns.
int duplicateHandle(int sock) {
    return sock >= 0 ? dup(sock) : KNET_NO_SOCKET;
}

} // namespace

KSocket::KSocket(int listenSocket, int numericHost)
    : sock(KNET_NO_SOCKET), name("player"), inputLength(0), status(1), next(nullptr) {
    host[0] = '\0';
    std::memset(input, 0, sizeof input);

    sockaddr_in peer{};
    socklen_t peerLength = 16;
    int s = accept(listenSocket, reinterpret_cast<sockaddr*>(&peer), &peerLength);
    if (s < 0) {
        // Nothing to own: the port drops such an object without closing anything.
        status = -3;
        return;
    }
    unsigned long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);

    if (numericHost) {
        setHost(host, inet_ntoa(peer.sin_addr));
    } else {
        // gethostbyaddr and inet_ntoa return static storage: copy before anything else runs.
        hostent* entry = gethostbyaddr(&peer.sin_addr, 4, AF_INET);
        if (entry && entry->h_name) {
            setHost(host, entry->h_name);
        } else {
            status = -2;
            setHost(host, inet_ntoa(peer.sin_addr));
        }
    }
    NetLog("New connection from [%s]\n", host);
    sock = s;
    input[0] = '\0';
    inputLength = 0;
}

KSocket::KSocket(const KSocket& other)
    : sock(duplicateHandle(other.sock)), name(other.name), inputLength(other.inputLength),
      status(other.status), next(nullptr) {
    std::memcpy(host, other.host, sizeof host);
    std::memcpy(input, other.input, sizeof input);
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
    // next stays: list membership belongs to the port, not to the connection's value.
    return *this;
}

KSocket::~KSocket() {
    if (sock >= 0) closesocket(sock);
}

int KSocket::Send(char* data, unsigned long length) {
    return net_send(sock, data, length);
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
