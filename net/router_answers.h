// SPDX-License-Identifier: MIT
#pragma once
// A router's answers, checked before anything in them is used or shown. Pure functions over the
// bytes a router sent (NAT-PMP datagrams, SSDP answers, HTTP responses) and the URLs it named: no
// socket, no allocation, nothing copied out unchecked. The port mapping's protocol code asks
// them; tests and the fuzz harness call them directly.

#include <cstddef>
#include <cstdint>

// Whether a router's public IPv4 address (network byte order) can be reached from the internet.
// False for "this network" (0/8), the private ranges (10/8, 172.16/12, 192.168/16), carrier-grade
// shared space (100.64/10), loopback, link-local, the IETF protocol block 192.0.0/24 (DS-Lite's
// NAT lives there), benchmarking (198.18/15), multicast, reserved and broadcast: a router whose
// public side has one of them sits behind another NAT (or is not on the internet at all).
bool isPublicIpv4(uint32_t address);

constexpr uint16_t NATPMP_PORT = 5351;            // the router's NAT-PMP port
constexpr uint8_t NATPMP_ASK_ADDRESS = 0;         // opcode of the public address request
constexpr uint8_t NATPMP_ASK_TCP = 2;             // opcode of a TCP mapping request
constexpr uint8_t NATPMP_ANSWER = 128;            // added to a request's opcode in its answer
constexpr uint32_t RENEW_AT_MOST_SECONDS = 86400; // a mapping is renewed at least daily

// A NAT-PMP request, as sent; its answer is checked against it.
struct NatpmpRequest {
    uint8_t opcode;           // NATPMP_ASK_ADDRESS or NATPMP_ASK_TCP
    uint16_t privatePort;     // TCP mapping: the port of this machine
    uint16_t publicPort;      // TCP mapping: the port suggested outside (0 in a removal)
    uint32_t lifetimeSeconds; // TCP mapping: asked for; 0 removes the mapping
};

// What a NAT-PMP answer granted.
struct NatpmpGrant {
    uint32_t publicAddress;   // address answer: the router's public side, network byte order
    uint16_t publicPort;      // mapping answer: the port outside, as the router chose it
    uint32_t lifetimeSeconds; // mapping answer: how long it lasts unless renewed
};

enum class RouterVerdict {
    Ignored, // not the answer to this request (damaged, another request's, another port): wait on
    Refused, // the answer to this request, saying no (or granting nothing)
    Granted, // the answer to this request, saying yes; the grant is filled
};

// Checks the datagram bytes[0, length) as the answer to request: version 0, the request's opcode
// plus NATPMP_ANSWER, its full length, and for a mapping the asked private port. A mapping is
// granted only with a public port and a lifetime; a removal only with neither.
RouterVerdict checkNatpmpAnswer(const unsigned char* bytes, size_t length,
                                const NatpmpRequest& request, NatpmpGrant* grant);

// Seconds after which a mapping granted for lifetime seconds is asked for again: half of it (a
// late or lost renewal still has the other half), at least 1, at most RENEW_AT_MOST_SECONDS.
uint32_t renewAfterSeconds(uint32_t lifetime);

// The IPv4 address (network byte order) and port of "http://A.B.C.D[:PORT][/PATH]" (port 80 when
// none is written; the scheme in any case) and where its path starts (an empty text when there
// is none). False for another scheme, a name, an IPv6 address, user information, a bad port, or a
// character that has no place in a request line (blanks, controls, bytes above 126).
bool numericHttpUrl(const char* url, uint32_t* address, uint16_t* port, const char** path);

// Whether a UPnP router may be used: its description and control URLs are both numeric and at the
// default gateway (network byte order), the control URL on the description's port.
bool upnpUrlsAtGateway(const char* descriptionUrl, const char* controlUrl, uint32_t gateway);

// Whether a UPnP service type names the WAN connection services port mapping speaks to
// ("urn:schemas-upnp-org:service:WANIPConnection:1", WANPPPConnection, any version): it is sent
// back to the router in every request, so nothing else is accepted.
bool upnpConnectionService(const char* serviceType);

// The LOCATION of an SSDP answer: a datagram starting "HTTP/1.1 200" with a LOCATION header (its
// name in any case), copied into url when it is printable without blanks and fits size with its
// terminating zero.
bool ssdpLocation(const char* datagram, size_t length, char* url, size_t size);

// A whole HTTP/1.x response held in response[0, length) (read until the server closed): its
// status code and its body, which is the Content-Length bytes after the headers, a chunked body
// joined in place, or everything after the headers. False for anything else: not HTTP, headers
// unfinished, a body shorter than announced, a chunk cut off or malformed.
bool httpResponseBody(char* response, size_t length, int* status, char** body, size_t* bodyLength);
