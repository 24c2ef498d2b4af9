// The checks of a router's answers: any bytes as a NAT-PMP datagram, an SSDP answer, an HTTP
// response and a pair of UPnP URLs. Nothing may be read outside the bytes given, and what is
// accepted must hold up: a granted mapping has a port and a lifetime, a location fits and is
// one text, a body lies inside the response, URLs at the gateway are numeric and on one port.

#include <cstdint>
#include <cstring>
#include <vector>

#include "net/router_answers.h"

namespace {

constexpr uint32_t GATEWAY = 0x0101a8c0; // 192.168.1.1, network byte order

void check(bool holds) {
    if (!holds) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // 1. A NAT-PMP datagram, as the answer to each request the mapping sends.
    const NatpmpRequest requests[] = {{NATPMP_ASK_ADDRESS, 0, 0, 0},
                                      {NATPMP_ASK_TCP, 4000, 4000, 3600},
                                      {NATPMP_ASK_TCP, 4000, 0, 0}};
    for (const NatpmpRequest& request : requests) {
        NatpmpGrant grant{};
        const std::vector<unsigned char> datagram(data, data + size); // exactly its bytes
        if (checkNatpmpAnswer(datagram.data(), datagram.size(), request, &grant) ==
                RouterVerdict::Granted &&
            request.opcode == NATPMP_ASK_TCP && request.lifetimeSeconds != 0)
            check(grant.publicPort != 0 && grant.lifetimeSeconds != 0 &&
                  renewAfterSeconds(grant.lifetimeSeconds) <= grant.lifetimeSeconds);
    }
    isPublicIpv4(
        size >= 4 ? uint32_t(data[0] | data[1] << 8 | data[2] << 16 | uint32_t(data[3]) << 24) : 0);

    // 2. An SSDP answer; the location it names, as a URL.
    std::vector<char> bytes(data, data + size);
    char url[64];
    if (ssdpLocation(bytes.data(), bytes.size(), url, sizeof url)) {
        const size_t n = strnlen(url, sizeof url);
        check(n > 0 && n < sizeof url);
        for (size_t i = 0; i < n; ++i)
            check(url[i] > ' ' && url[i] <= '~');
        uint32_t address = 0;
        uint16_t port = 0;
        const char* path = nullptr;
        if (numericHttpUrl(url, &address, &port, &path))
            check(port != 0 && (!*path || *path == '/'));
    }

    // 3. An HTTP response, read in place.
    int status = 0;
    char* body = nullptr;
    size_t length = 0;
    if (httpResponseBody(bytes.data(), bytes.size(), &status, &body, &length))
        check(status >= 0 && status <= 999 && body >= bytes.data() &&
              body + length <= bytes.data() + bytes.size());

    // 4. Two URLs (the bytes up to the first zero, and the rest) as description and control.
    std::vector<char> text(data, data + size);
    text.push_back('\0');
    const char* description = text.data();
    const char* control = description + std::strlen(description);
    if (control < text.data() + size) ++control;
    if (upnpUrlsAtGateway(description, control, GATEWAY)) {
        uint32_t a = 0, b = 0;
        uint16_t p = 0, q = 0;
        const char* path = nullptr;
        check(numericHttpUrl(description, &a, &p, &path) &&
              numericHttpUrl(control, &b, &q, &path) && a == GATEWAY && b == GATEWAY && p == q);
    }
    upnpConnectionService(description);
    return 0;
}
