#include "net/KivNetwork.h"
#include "net/socket_io.h"
#include "net/winsock_compat.h"

#include <cstdio>
#include <cstring>

// Fields are set here, not only by InitConnexion: the destructor closes sock, and a client
// destroyed before connecting must not close a descriptor it never owned.
KClient::KClient() : sock(KNET_NO_SOCKET), inputLength(0), onData(nullptr), onClose(nullptr) {
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

    WSADATA data;
    WSAStartup(0x0101, &data);
    sock = socket(AF_INET, SOCK_STREAM, 0);
    if (sock < 0) {
        sock = KNET_NO_SOCKET;
        std::fprintf(stderr, "Error creating socket");
        *status = 1;
        return false;
    }
    unsigned long nonBlocking = 1;
    ioctlsocket(sock, FIONBIO, &nonBlocking);

    // No text at all is a host that cannot be found, not a crash.
    if (!host) host = const_cast<char*>("");
    hostent* entry = gethostbyname(host);
    std::fprintf(stderr, "Attempting a connection with %s on port %d\n", host, port);

    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<unsigned short>(port));
    // Only an IPv4 answer fits the 4-byte address.
    if (entry && entry->h_addrtype == AF_INET && entry->h_length == 4 && entry->h_addr_list[0]) {
        std::memcpy(&address.sin_addr, entry->h_addr_list[0], 4);
    } else {
        std::fprintf(stderr, "host not found\n");
        *status = 2;
        in_addr_t value = inet_addr(host);
        if (value == INADDR_NONE) return false;
        address.sin_addr.s_addr = value;
    }

    if (connect(sock, reinterpret_cast<sockaddr*>(&address), 16) >= 0 ||
        WSAGetLastError() == WSAEWOULDBLOCK) {
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
    int r = net_append_input(sock, input, &inputLength);
    if (r < 0) {
        if (report && onClose) onClose(nullptr, nullptr);
        return;
    }
    if (onData) onData(input, &inputLength);
}

int KClient::Send(char* data, int length) {
    if (length < 0) return -1;
    return net_send(sock, data, static_cast<std::size_t>(length));
}

void KClient::CloseConnexion() {
    if (sock >= 0) closesocket(sock);
    sock = KNET_NO_SOCKET;
}
