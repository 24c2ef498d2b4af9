// SPDX-License-Identifier: MIT
#include "net/KivNetwork.h"
#include "net/handle_set.h"
#include "net/winsock_compat.h"

#include <cstring>

namespace {

// Library-wide bind address: unset means all interfaces.
const char* DFLT_IP = nullptr;

in_addr bindAddress;

} // namespace

KPort::KPort()
    : listenSock(KNET_NO_SOCKET), second(0), timeout{0, 0}, funcNewClient(nullptr),
      externAction(nullptr), funcCloseClient(nullptr), sockets(nullptr), idleLogged(false) {
    setClear(readSet);
    setClear(writeSet);
    setClear(exceptSet);
}

KPort::KPort(unsigned int port, int secondArg) : KPort() {
    second = static_cast<unsigned short>(secondArg);
    listenSock = InitSocketServer(static_cast<unsigned short>(port), &second);
}

KPort::~KPort() {
    if (listenSock >= 0) closesocket(listenSock);
    // Silently: the owner is going away and must not be called back.
    while (sockets) {
        KSocket* next = sockets->next;
        delete sockets;
        sockets = next;
    }
}

KPort& KPort::operator=(const KPort& other) {
    if (this == &other) return *this;
    if (listenSock >= 0) closesocket(listenSock);
    while (sockets) {
        KSocket* next = sockets->next;
        delete sockets;
        sockets = next;
    }
    listenSock = other.listenSock >= 0 ? dup(other.listenSock) : KNET_NO_SOCKET;
    second = other.second;
    timeout = other.timeout;
    readSet = other.readSet;
    writeSet = other.writeSet;
    exceptSet = other.exceptSet;
    funcNewClient = other.funcNewClient;
    externAction = other.externAction;
    funcCloseClient = other.funcCloseClient;
    idleLogged = other.idleLogged;
    // Same order as the original list, each connection with a descriptor of its own.
    KSocket** tail = &sockets;
    for (const KSocket* c = other.sockets; c; c = c->next) {
        *tail = new KSocket(*c);
        tail = &(*tail)->next;
    }
    return *this;
}

void KPort::setFuncNewClient(KNewClientFunc func) {
    funcNewClient = func;
}
void KPort::setExternAction(KInputFunc func) {
    externAction = func;
}
void KPort::setFuncCloseClient(KCloseFunc func) {
    funcCloseClient = func;
}

int KPort::ParseIp(const char* text, in_addr* address) {
    in_addr_t value = inet_addr(text);
    // inet_addr's failure value is all ones, so 255.255.255.255 counts as invalid too.
    if (value == INADDR_NONE) return 0;
    address->s_addr = value;
    return 1;
}

in_addr* KPort::GetBindAddress() {
    bindAddress.s_addr = htonl(INADDR_ANY);
    if (DFLT_IP && !ParseIp(DFLT_IP, &bindAddress)) {
        NetLog("(SYSERR) DFLT_IP of %s appears to be an invalid IP address\n", DFLT_IP);
        bindAddress.s_addr = htonl(INADDR_ANY);
    }
    if (bindAddress.s_addr == htonl(INADDR_ANY))
        NetLog("(NET) Binding to all IP interfaces on this host.\n");
    else
        NetLog("(NET) Binding only to IP address %s\n", inet_ntoa(bindAddress));
    return &bindAddress;
}

namespace {

// A socket for every address of the machine on port: IPv6 with IPv4 mapped into it, so one
// socket takes both families; -1 where the system has no IPv6 (the caller falls back to IPv4).
int dualStackSocket(unsigned short port) {
    int s = socket(AF_INET6, SOCK_STREAM, 0);
    if (s < 0) return -1;
    int off = 0;
    int on = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_port = htons(port);
    address.sin6_addr = in6addr_any;
    if (setsockopt(s, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off) < 0 ||
        bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) < 0) {
        closeKeepErrno(s);
        return -1;
    }
    return s;
}

} // namespace

int KPort::InitSocketServer(unsigned short port, unsigned short* /*second*/) {
    WSADATA data;
    WSAStartup(0x0101, &data);
    in_addr* bindTo = GetBindAddress();
    // All interfaces: IPv6 and IPv4 on one socket where the system has IPv6.
    const bool everyAddress = bindTo->s_addr == htonl(INADDR_ANY);
    int s = everyAddress ? dualStackSocket(port) : -1;
    if (everyAddress && s < 0 && errno == EADDRINUSE) {
        NetLog("--> Error : bind !\n");
        return KNET_NO_SOCKET;
    }
    if (s < 0) {
        s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr = *bindTo;
        if (s >= 0) {
            // Windows lets a port be bound again while old connections linger in TIME_WAIT; on
            // Linux that needs SO_REUSEADDR, or hosting again right after a game fails for
            // minutes.
            int on = 1;
            setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        }
        if (s < 0 || bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) < 0) {
            // Failing here must not end the caller's process: the port is left without a
            // socket and the owner decides (KServer::Init reports it).
            NetLog("--> Error : bind !\n");
            if (s >= 0) closesocket(s);
            return KNET_NO_SOCKET;
        }
    }
    unsigned long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    if (listen(s, 5) < 0) {
        NetLog("--> Error : bind !\n");
        closesocket(s);
        return KNET_NO_SOCKET;
    }
    return s;
}

void KPort::close_socket(KSocket* connection) {
    if (!connection) return;
    if (sockets == connection) {
        sockets = connection->next;
    } else {
        KSocket* previous = sockets;
        while (previous && previous->next != connection)
            previous = previous->next;
        // Not in this port's list: not ours to close.
        if (!previous) return;
        previous->next = connection->next;
    }
    int value = 0;
    if (funcCloseClient) funcCloseClient(connection->name.c_str(), &value);
    NetLog("close connection from %s with name : %s\n", connection->host, connection->name.c_str());
    delete connection;
}

void KPort::round() {
    if (listenSock < 0) return;

    // 1. Idle: only the listening socket to watch. Each state is logged once, when it begins:
    // a pass runs every frame and the log file is rewritten for every line.
    if (!sockets) {
        if (!idleLogged) NetLog("No connection. Waiting...\n");
        idleLogged = true;
        KHandleSet idle;
        setClear(idle);
        setAdd(idle, listenSock);
        int ready = net_select(&idle, nullptr, nullptr, &timeout);
        if (ready > 0) {
            NetLog("New connection.  Waking up.\n");
            idleLogged = false;
        } else if (ready < 0) {
            NetLog(WSAGetLastError() == WSAEINTR ? "Waking up to process signal.\n"
                                                 : "SYSERR: Select coma\n");
        }
    } else {
        idleLogged = false;
    }

    // 2. The sets, 64 handles at most each; the listening socket is only read.
    setClear(readSet);
    setClear(writeSet);
    setClear(exceptSet);
    setAdd(readSet, listenSock);
    for (KSocket* c = sockets; c; c = c->next) {
        setAdd(readSet, c->sock);
        setAdd(writeSet, c->sock);
        setAdd(exceptSet, c->sock);
    }

    // 3. Poll.
    if (net_select(&readSet, &writeSet, &exceptSet, &timeout) < 0) {
        NetLog("--> Error : Select poll !");
        return;
    }

    // 4. Accept one. A failed accept leaves an object without a descriptor: drop it.
    if (setContains(readSet, listenSock)) {
        KSocket* accepted = new KSocket(listenSock, 0);
        if (accepted->status == -3) {
            delete accepted;
        } else {
            accepted->next = sockets;
            sockets = accepted;
            // The callback may close it at once: nothing below holds on to `accepted`.
            if (funcNewClient) funcNewClient(this, accepted);
        }
    }

    // 5. Exceptions, and connections whose output queue overflowed. next is taken first:
    // closing deletes the connection.
    for (KSocket *c = sockets, *next; c; c = next) {
        next = c->next;
        if (setContains(exceptSet, c->sock) || c->outputOverflow) {
            setRemove(readSet, c->sock);
            setRemove(writeSet, c->sock);
            close_socket(c);
        }
    }

    // 5b. Queued output, in order, on every connection that can take some now.
    for (KSocket *c = sockets, *next; c; c = next) {
        next = c->next;
        if (c->outputLength > 0 && setContains(writeSet, c->sock) && c->FlushOutput() < 0) {
            setRemove(readSet, c->sock);
            close_socket(c);
        }
    }

    // 6. Reads.
    for (KSocket *c = sockets, *next; c; c = next) {
        next = c->next;
        if (setContains(readSet, c->sock) && c->ReceveData() < 0) close_socket(c);
    }

    // 7. Input, once per connection, however many messages it holds.
    for (KSocket *c = sockets, *next; c; c = next) {
        next = c->next;
        if (c->inputLength != 0 && externAction) externAction(c->input, &c->inputLength);
    }
}
