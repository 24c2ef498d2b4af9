// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/soak/soak_wire.h"

#include <linux/sockios.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
// After the socket headers: the kernel's tcp_info has the byte counters.
#include <linux/tcp.h>

#include <chrono>
#include <thread>

#include "app/app_state.h"
#include "net/KivNetwork.h"
#include "netplay/net_session.h"

namespace soak {

namespace {

constexpr auto SETTLE_LIMIT = std::chrono::seconds(3);
constexpr auto POLL_PAUSE = std::chrono::microseconds(200);
constexpr auto STALL_LIMIT = std::chrono::milliseconds(100);

KSocket* hostConnection() {
    const AppState* app = g_app;
    return app && netSession().server && netSession().server->port
               ? netSession().server->port->sockets
               : nullptr;
}

int queued(int fd, unsigned long request) {
    int n = 0;
    return fd >= 0 && ioctl(fd, request, &n) == 0 ? n : 0;
}

int libraryOutput() {
    if (KSocket* s = hostConnection()) return s->outputLength;
    return g_app && netSession().client ? netSession().client->outputLength : 0;
}

template <class Done> void waitUntil(Done done) {
    const auto end = std::chrono::steady_clock::now() + SETTLE_LIMIT;
    while (!done() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(POLL_PAUSE);
}

} // namespace

int gameSocket() {
    if (KSocket* s = hostConnection()) return s->sock;
    return g_app && netSession().client ? netSession().client->sock : -1;
}

bool gameConnected() {
    if (hostConnection()) return true;
    const KClient* c = g_app ? netSession().client : nullptr;
    return c && c->sock != KNET_NO_SOCKET && c->linkState == 1 && netSession().connectIdle;
}

int unreadBytes() {
    int n = queued(gameSocket(), FIONREAD);
    if (KSocket* s = hostConnection()) n += s->inputLength;
    if (g_app && netSession().client) n += netSession().client->inputLength;
    return n;
}

uint64_t bytesAcknowledged() {
    const int fd = gameSocket();
    if (fd < 0) return 0;
    tcp_info info{};
    socklen_t size = sizeof info;
    if (getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &size) != 0) return 0;
    return info.tcpi_bytes_acked;
}

int unacknowledgedBytes() {
    return queued(gameSocket(), SIOCOUTQ);
}

int listeningPort() {
    const AppState* app = g_app;
    if (!app || !netSession().server || !netSession().server->port) return 0;
    sockaddr_storage address{};
    socklen_t size = sizeof address;
    const int fd = netSession().server->port->listenSock;
    if (fd < 0 || getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) return 0;
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<sockaddr_in6*>(&address)->sin6_port);
    return ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port);
}

void settleOutgoing() {
    const int fd = gameSocket();
    if (fd < 0) return;
    // A connection being set up: until the kernel has finished (or refused) it.
    if (netSession().client && netSession().client->linkState == 0) {
        waitUntil([fd] {
            pollfd p{fd, POLLOUT, 0};
            return poll(&p, 1, 0) != 0;
        });
    }
    // Until the other side's kernel has taken everything, or nothing has moved for a while: a
    // peer whose window is full (it holds its input back) takes nothing more until it reads.
    int last = -1;
    auto still = std::chrono::steady_clock::now();
    waitUntil([fd, &last, &still] {
        const int left = queued(fd, SIOCOUTQNSD) + libraryOutput();
        const auto now = std::chrono::steady_clock::now();
        if (left != last) {
            last = left;
            still = now;
        }
        return left == 0 || now - still > STALL_LIMIT;
    });
}

void awaitPeerClose() {
    const int fd = gameSocket();
    if (fd < 0) return;
    waitUntil([fd] {
        pollfd p{fd, POLLRDHUP, 0};
        return poll(&p, 1, 0) != 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR));
    });
}

int freePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    close(fd);
    return port;
}

} // namespace soak
