// SPDX-License-Identifier: MIT
#include "net/router_answers.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cstring>
#include <iterator>
#include <strings.h>

namespace {

constexpr size_t NATPMP_REFUSAL_BYTES = 8;  // version, opcode, result code, epoch
constexpr size_t NATPMP_ADDRESS_BYTES = 12; // ... and the public address
constexpr size_t NATPMP_MAPPING_BYTES = 16; // ... or the ports and the lifetime
constexpr uint16_t HTTP_DEFAULT_PORT = 80;
constexpr size_t IPV4_TEXT = 16; // "255.255.255.255" and its zero

uint16_t read16(const unsigned char* p) {
    return uint16_t(p[0] << 8 | p[1]);
}

uint32_t read32(const unsigned char* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// Case-insensitive: does the text [begin, end) start with the zero-terminated prefix?
bool startsWith(const char* begin, const char* end, const char* prefix) {
    const size_t n = std::strlen(prefix);
    return size_t(end - begin) >= n && strncasecmp(begin, prefix, n) == 0;
}

// A character of a URL: printable, no blank.
bool visible(char c) {
    return static_cast<unsigned char>(c) > ' ' && static_cast<unsigned char>(c) <= '~';
}

// Joins the chunks of a chunked body [start, start + length) in place; its length in *joined.
bool joinChunks(char* start, size_t length, size_t* joined) {
    char* out = start;
    const char* in = start;
    const char* const end = start + length;
    for (;;) {
        size_t size = 0;
        int digits = 0;
        for (; in < end && std::isxdigit(static_cast<unsigned char>(*in)); ++in, ++digits) {
            if (digits == 8) return false; // larger than anything read here
            const char c = char(std::tolower(static_cast<unsigned char>(*in)));
            size = size * 16 + size_t(c <= '9' ? c - '0' : c - 'a' + 10);
        }
        if (digits == 0 || in == end || !std::strchr(";\r \t", *in)) return false;
        const char* lineEnd = static_cast<const char*>(memmem(in, size_t(end - in), "\r\n", 2));
        if (!lineEnd) return false;
        in = lineEnd + 2;
        if (size == 0) break; // the last chunk; trailers are of no interest
        if (size > size_t(end - in)) return false;
        std::memmove(out, in, size);
        out += size;
        in += size;
        if (end - in < 2 || in[0] != '\r' || in[1] != '\n') return false;
        in += 2;
    }
    *joined = size_t(out - start);
    return true;
}

} // namespace

bool isPublicIpv4(uint32_t address) {
    struct Range {
        uint32_t first; // host byte order
        int bits;       // prefix length
    };
    // The documentation ranges (192.0.2/24, 198.51.100/24, 203.0.113/24) are let through: no
    // router hands them out, and examples and test routers use them as public addresses.
    static constexpr Range NOT_PUBLIC[] = {
        {0x00000000, 8},  // "this network", 0.0.0.0 (a router not connected yet) among them
        {0x0A000000, 8},  // private
        {0x64400000, 10}, // carrier-grade NAT's shared space
        {0x7F000000, 8},  // loopback
        {0xA9FE0000, 16}, // link-local
        {0xAC100000, 12}, // private
        {0xC0000000, 24}, // IETF protocol assignments (DS-Lite's NAT)
        {0xC0A80000, 16}, // private
        {0xC6120000, 15}, // benchmarking, used inside some providers' networks
        {0xE0000000, 3},  // multicast, reserved and broadcast
    };
    const uint32_t a = ntohl(address);
    return std::none_of(std::begin(NOT_PUBLIC), std::end(NOT_PUBLIC), [a](const Range& r) {
        return a >> (32 - r.bits) == r.first >> (32 - r.bits);
    });
}

RouterVerdict checkNatpmpAnswer(const unsigned char* bytes, size_t length,
                                const NatpmpRequest& request, NatpmpGrant* grant) {
    const bool mapping = request.opcode != NATPMP_ASK_ADDRESS;
    if (length < NATPMP_REFUSAL_BYTES || bytes[0] != 0 ||
        bytes[1] != NATPMP_ANSWER + request.opcode)
        return RouterVerdict::Ignored; // another request's answer arriving late, or noise
    if (mapping && length >= NATPMP_MAPPING_BYTES && read16(bytes + 8) != request.privatePort)
        return RouterVerdict::Ignored;
    // A refusal may come short (an opcode the router does not know is answered in 8 bytes).
    if (read16(bytes + 2) != 0) return RouterVerdict::Refused;
    if (length < (mapping ? NATPMP_MAPPING_BYTES : NATPMP_ADDRESS_BYTES))
        return RouterVerdict::Ignored;
    if (!mapping) {
        std::memcpy(&grant->publicAddress, bytes + 8, sizeof grant->publicAddress);
        return RouterVerdict::Granted;
    }
    grant->publicPort = read16(bytes + 10);
    grant->lifetimeSeconds = read32(bytes + 12);
    const bool removal = request.lifetimeSeconds == 0;
    if (!removal && (grant->publicPort == 0 || grant->lifetimeSeconds == 0))
        return RouterVerdict::Refused;
    return RouterVerdict::Granted;
}

uint32_t renewAfterSeconds(uint32_t lifetime) {
    return std::clamp<uint32_t>(lifetime / 2, 1, RENEW_AT_MOST_SECONDS);
}

bool numericHttpUrl(const char* url, uint32_t* address, uint16_t* port, const char** path) {
    static const char SCHEME[] = "http://";
    if (strncasecmp(url, SCHEME, sizeof SCHEME - 1) != 0) return false;
    if (!std::all_of(url, url + std::strlen(url), visible)) return false;
    const char* host = url + sizeof SCHEME - 1;
    const size_t hostLength = std::strcspn(host, ":/");
    char text[IPV4_TEXT];
    if (hostLength == 0 || hostLength >= sizeof text) return false;
    std::memcpy(text, host, hostLength);
    text[hostLength] = '\0';
    in_addr numeric{};
    if (inet_pton(AF_INET, text, &numeric) != 1) return false; // a name, IPv6, user@host...
    const char* rest = host + hostLength;
    unsigned long number = HTTP_DEFAULT_PORT;
    if (*rest == ':') {
        const size_t digits = std::strspn(++rest, "0123456789");
        if (digits == 0 || digits > 5) return false;
        number = std::strtoul(rest, nullptr, 10);
        if (number == 0 || number > 65535) return false;
        rest += digits;
    }
    if (*rest != '/' && *rest != '\0') return false;
    *address = numeric.s_addr;
    *port = uint16_t(number);
    *path = rest;
    return true;
}

bool upnpUrlsAtGateway(const char* descriptionUrl, const char* controlUrl, uint32_t gateway) {
    uint32_t descriptionAddress = 0, controlAddress = 0;
    uint16_t descriptionPort = 0, controlPort = 0;
    const char* path = nullptr;
    return numericHttpUrl(descriptionUrl, &descriptionAddress, &descriptionPort, &path) &&
           numericHttpUrl(controlUrl, &controlAddress, &controlPort, &path) &&
           descriptionAddress == gateway && controlAddress == gateway &&
           controlPort == descriptionPort;
}

bool upnpConnectionService(const char* serviceType) {
    static const char* const SERVICES[] = {"urn:schemas-upnp-org:service:WANIPConnection:",
                                           "urn:schemas-upnp-org:service:WANPPPConnection:"};
    for (const char* service : SERVICES) {
        const size_t n = std::strlen(service);
        if (std::strncmp(serviceType, service, n) != 0) continue;
        const char* version = serviceType + n;
        const size_t digits = std::strspn(version, "0123456789");
        return digits > 0 && digits < 4 && version[digits] == '\0';
    }
    return false;
}

bool ssdpLocation(const char* datagram, size_t length, char* url, size_t size) {
    const char* const end = datagram + length;
    if (!startsWith(datagram, end, "HTTP/1.1 200")) return false;
    const char* line = datagram;
    for (;;) {
        const char* next = static_cast<const char*>(std::memchr(line, '\n', size_t(end - line)));
        if (!next) return false;
        line = next + 1;
        const char* lineEnd = static_cast<const char*>(std::memchr(line, '\n', size_t(end - line)));
        if (!lineEnd) return false; // only whole lines count
        if (!startsWith(line, lineEnd, "LOCATION:")) continue;
        const char* value = line + std::strlen("LOCATION:");
        while (value < lineEnd && (*value == ' ' || *value == '\t'))
            ++value;
        const char* valueEnd = lineEnd;
        while (valueEnd > value && std::isspace(static_cast<unsigned char>(valueEnd[-1])))
            --valueEnd;
        const size_t n = size_t(valueEnd - value);
        if (n == 0 || n >= size || !std::all_of(value, valueEnd, visible)) return false;
        std::memcpy(url, value, n);
        url[n] = '\0';
        return true;
    }
}

bool httpResponseBody(char* response, size_t length, int* status, char** body, size_t* bodyLength) {
    const char* const end = response + length;
    // "HTTP/1.x NNN" and a blank or the line's end.
    if (!startsWith(response, end, "HTTP/1.") || length < 13 || response[8] != ' ' ||
        !std::isdigit(static_cast<unsigned char>(response[7])) || !std::strchr(" \r", response[12]))
        return false;
    int code = 0;
    for (int i = 9; i < 12; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(response[i]))) return false;
        code = code * 10 + (response[i] - '0');
    }
    char* headersEnd = static_cast<char*>(memmem(response, length, "\r\n\r\n", 4));
    if (!headersEnd) return false;
    long contentLength = -1;
    bool chunked = false;
    for (const char* line = static_cast<const char*>(memmem(response, length, "\r\n", 2)) + 2;
         line < headersEnd + 2;) {
        const char* lineEnd =
            static_cast<const char*>(memmem(line, size_t(headersEnd + 2 - line), "\r\n", 2));
        if (startsWith(line, lineEnd, "Content-Length:")) {
            const char* v = line + std::strlen("Content-Length:");
            while (v < lineEnd && *v == ' ')
                ++v;
            const size_t digits = std::strspn(v, "0123456789");
            if (digits == 0 || digits > 9 || v + digits > lineEnd) return false;
            contentLength = std::strtol(v, nullptr, 10);
        } else if (startsWith(line, lineEnd, "Transfer-Encoding:")) {
            for (const char* v = line; v + 7 <= lineEnd; ++v)
                chunked = chunked || strncasecmp(v, "chunked", 7) == 0;
        }
        line = lineEnd + 2;
    }
    char* start = headersEnd + 4;
    size_t available = size_t(end - start);
    if (chunked) {
        if (!joinChunks(start, available, &available)) return false;
    } else if (contentLength >= 0) {
        if (size_t(contentLength) > available) return false;
        available = size_t(contentLength);
    }
    *status = code;
    *body = start;
    *bodyLength = available;
    return true;
}
