// SPDX-License-Identifier: MIT
// NAT-PMP (RFC 6886) with the default gateway. libnatpmp finds the gateway, opens a UDP socket
// connected to it (so only the gateway's datagrams arrive) and sends the requests; the answers
// are read here, at most 16 bytes each, and checked against the request they must answer, so a
// late copy of another answer is never taken for this one.
#include "net/router_answers.h"
#include "net/router_mapping.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <natpmp.h>
#include <poll.h>
#include <sys/socket.h>

namespace {

constexpr auto FIRST_RESEND = std::chrono::milliseconds(250); // doubled after each resend
constexpr int NATPMP_ANSWER_MAX = 16;                         // the longest answer, in bytes

// The router's library state for one exchange or two, closed however they end.
struct NatpmpSocket {
    natpmp_t n{};
    bool open = false;
    NatpmpSocket() { open = initnatpmp(&n, 0, 0) >= 0; }
    ~NatpmpSocket() {
        if (open) closenatpmp(&n);
    }
    NatpmpSocket(const NatpmpSocket&) = delete;
    NatpmpSocket& operator=(const NatpmpSocket&) = delete;
};

bool send(natpmp_t& n, const NatpmpRequest& request) {
    if (request.opcode == NATPMP_ASK_ADDRESS) return sendpublicaddressrequest(&n) >= 0;
    return sendnewportmappingrequest(&n, NATPMP_PROTOCOL_TCP, request.privatePort,
                                     request.publicPort, request.lifetimeSeconds) >= 0;
}

// Sends request, again after 250 ms, 500 ms more and so on, until its answer comes or `until`.
// True when the router granted it; false when it refused, nothing listens on the gateway's
// NAT-PMP port (the system reports it at once), or no answer came in time.
bool exchange(natpmp_t& n, const NatpmpRequest& request, MappingClock::time_point until,
              NatpmpGrant* grant) {
    auto interval = FIRST_RESEND;
    auto resendAt = MappingClock::now();
    for (;;) {
        const auto now = MappingClock::now();
        if (now >= until) return false;
        if (now >= resendAt) {
            if (!send(n, request)) return false;
            resendAt = now + interval;
            interval *= 2;
        }
        const auto wait =
            std::chrono::ceil<std::chrono::milliseconds>(std::min(resendAt, until) - now);
        pollfd readable{n.s, POLLIN, 0};
        poll(&readable, 1, int(wait.count()));
        for (;;) {
            unsigned char answer[NATPMP_ANSWER_MAX];
            const ssize_t got = recv(n.s, answer, sizeof answer, MSG_DONTWAIT);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
            if (got < 0) return false; // refused: no NAT-PMP on the gateway
            switch (checkNatpmpAnswer(answer, size_t(got), request, grant)) {
            case RouterVerdict::Granted:
                return true;
            case RouterVerdict::Refused:
                return false;
            case RouterVerdict::Ignored:
                break;
            }
        }
    }
}

// The public address, then the TCP mapping of port (suggesting grant->publicPort outside).
bool ask(natpmp_t& n, int port, MappingClock::time_point until, RouterGrant* grant) {
    NatpmpGrant address{}, mapping{};
    const NatpmpRequest addressRequest{NATPMP_ASK_ADDRESS, 0, 0, 0};
    const NatpmpRequest mappingRequest{NATPMP_ASK_TCP, uint16_t(port), uint16_t(grant->publicPort),
                                       LEASE_SECONDS};
    if (!exchange(n, addressRequest, until, &address) ||
        !exchange(n, mappingRequest, until, &mapping))
        return false;
    std::snprintf(grant->method, sizeof grant->method, "NAT-PMP");
    grant->publicAddress = address.publicAddress;
    grant->publicPort = mapping.publicPort;
    grant->lifetimeSeconds = mapping.lifetimeSeconds;
    return true;
}

} // namespace

bool natpmpMap(int port, MappingClock::time_point until, RouterGrant* grant, uint32_t* gateway) {
    NatpmpSocket s;
    *gateway = s.open ? s.n.gateway : 0;
    grant->publicPort = port;
    return s.open && ask(s.n, port, until, grant);
}

bool natpmpRenew(int port, RouterGrant* grant, MappingClock::time_point until) {
    NatpmpSocket s;
    RouterGrant renewed = *grant; // the public port held is the one suggested
    if (!s.open || !ask(s.n, port, until, &renewed)) return false;
    *grant = renewed;
    return true;
}

void natpmpUnmap(int port, MappingClock::time_point until) {
    NatpmpSocket s;
    NatpmpGrant removed{};
    if (s.open) exchange(s.n, {NATPMP_ASK_TCP, uint16_t(port), 0, 0}, until, &removed);
}
