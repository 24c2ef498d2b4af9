// SPDX-License-Identifier: GPL-3.0-or-later
// The checks of a router's answers: any bytes as a NAT-PMP datagram, an SSDP answer, an HTTP
// response and a pair of UPnP URLs (split at the first zero byte). Nothing may be read outside
// the bytes given, and what is accepted must hold up: a granted mapping has a port and a
// lifetime, a location is one printable text, a body lies inside the response, URLs at the
// gateway are numeric and on one port.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "net/router_answers.h"

#define CHECK(holds) ((holds) ? (void)0 : __builtin_trap())

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const NatpmpRequest map{NATPMP_ASK_TCP, 4000, 4000, 3600};
    for (const NatpmpRequest& request : {NatpmpRequest{NATPMP_ASK_ADDRESS, 0, 0, 0}, map}) {
        const std::vector<unsigned char> datagram(data, data + size); // exactly its bytes
        NatpmpGrant g{};
        if (checkNatpmpAnswer(datagram.data(), size, request, &g) == RouterVerdict::Granted &&
            request.opcode == NATPMP_ASK_TCP)
            CHECK(g.publicPort && g.lifetimeSeconds &&
                  renewAfterSeconds(g.lifetimeSeconds) <= g.lifetimeSeconds);
    }
    std::vector<char> bytes(data, data + size);
    char url[64];
    uint32_t a = 0, b = 0;
    uint16_t p = 0, q = 0;
    const char* path = nullptr;
    if (ssdpLocation(bytes.data(), size, url, sizeof url)) {
        const size_t n = strnlen(url, sizeof url);
        CHECK(n > 0 && n < sizeof url);
        for (size_t i = 0; i < n; ++i)
            CHECK(url[i] > ' ' && url[i] <= '~');
        if (numericHttpUrl(url, &a, &p, &path)) CHECK(p != 0 && (!*path || *path == '/'));
    }
    int status = 0;
    char* body = nullptr;
    size_t length = 0;
    if (httpResponseBody(bytes.data(), size, &status, &body, &length))
        CHECK(status <= 999 && body >= bytes.data() && body + length <= bytes.data() + size);

    std::vector<char> text(data, data + size);
    text.push_back('\0');
    const char* description = text.data();
    const char* control = description + std::min(std::strlen(description) + 1, size);
    const uint32_t gateway = 0x0101a8c0; // 192.168.1.1
    if (upnpUrlsAtGateway(description, control, gateway))
        CHECK(numericHttpUrl(description, &a, &p, &path) &&
              numericHttpUrl(control, &b, &q, &path) && a == gateway && b == gateway && p == q);
    uint32_t first = 0;
    std::memcpy(&first, text.data(), std::min<size_t>(size, sizeof first));
    isPublicIpv4(first);
    upnpConnectionService(description);
    return 0;
}
