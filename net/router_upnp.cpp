// SPDX-License-Identifier: MIT
// UPnP IGD port mapping, with every byte from the network read here, bounded in size and time:
// SSDP discovery, the description and the SOAP calls. miniupnpc only parses what was read (the
// description's XML, the SOAP answers' values). Only the default gateway is trusted: discovery
// answers from elsewhere are ignored, and a router whose description or control URL is not at
// the gateway's own numeric address and port is never asked anything.
#include "net/router_answers.h"
#include "net/router_mapping.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <miniupnpc/igd_desc_parse.h>
#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpreplyparse.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr auto DISCOVERY = std::chrono::milliseconds(2000);   // listening for the router
constexpr auto SEARCH_AGAIN = std::chrono::milliseconds(700); // a lost search is sent again
constexpr auto REMOVAL = std::chrono::milliseconds(1500);     // a mapping taken back at once
constexpr size_t DESCRIPTION_MAX = 65536; // bytes of a description's response (a router's: ~5 KB)
constexpr size_t SOAP_ANSWER_MAX = 16384; // bytes of a SOAP call's response
constexpr size_t SSDP_ANSWER_MAX = 1500;  // bytes of a discovery answer (one datagram)
constexpr uint16_t SSDP_PORT = 1900;
constexpr const char* SSDP_GROUP = "239.255.255.250";
constexpr int SSDP_TTL = 2;
constexpr int ONLY_PERMANENT_LEASES = 725; // the router takes lease 0 (permanent) only
constexpr const char* SEARCHED[] = {"urn:schemas-upnp-org:device:InternetGatewayDevice:1",
                                    "urn:schemas-upnp-org:device:InternetGatewayDevice:2"};

// A number as text (std::to_string would make the library export parts of the standard
// library's number formatting).
std::string number(unsigned long n) {
    char text[24];
    std::snprintf(text, sizeof text, "%lu", n);
    return text;
}

// A socket closed however the exchange ends.
struct Socket {
    int fd;
    explicit Socket(int type) : fd(socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)) {}
    ~Socket() {
        if (fd >= 0) close(fd);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
};

// Waits until fd is ready for events or `until` passes; false at `until`.
bool waitFor(int fd, short events, MappingClock::time_point until) {
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - MappingClock::now());
        if (left.count() <= 0) return false;
        pollfd p{fd, events, 0};
        const int r = poll(&p, 1, int(left.count()));
        if (r > 0) return true;
        if (r < 0 && errno != EINTR) return false;
    }
}

// Multicasts the searches and waits for an answer from the gateway naming a description at the
// gateway; its URL in location. Answers from other machines, or naming other places, are passed
// over; however many come, nothing is kept but the one datagram being read.
bool ssdpSearch(uint32_t gateway, MappingClock::time_point until, char* location, size_t size) {
    Socket s(SOCK_DGRAM);
    if (s.fd < 0) return false;
    setsockopt(s.fd, IPPROTO_IP, IP_MULTICAST_TTL, &SSDP_TTL, sizeof SSDP_TTL);
    sockaddr_in group{};
    group.sin_family = AF_INET;
    group.sin_port = htons(SSDP_PORT);
    inet_pton(AF_INET, SSDP_GROUP, &group.sin_addr);
    auto searchAt = MappingClock::now();
    for (int searches = 0;;) {
        if (searches < 2 && MappingClock::now() >= searchAt) {
            for (const char* target : SEARCHED) {
                char search[256];
                const int n = std::snprintf(search, sizeof search,
                                            "M-SEARCH * HTTP/1.1\r\nHOST: %s:%d\r\nST: %s\r\n"
                                            "MAN: \"ssdp:discover\"\r\nMX: 1\r\n\r\n",
                                            SSDP_GROUP, SSDP_PORT, target);
                sendto(s.fd, search, size_t(n), 0, reinterpret_cast<sockaddr*>(&group),
                       sizeof group);
            }
            ++searches;
            searchAt += SEARCH_AGAIN;
        }
        if (!waitFor(s.fd, POLLIN, searches < 2 ? std::min(until, searchAt) : until)) {
            if (MappingClock::now() >= until) return false;
            continue;
        }
        char answer[SSDP_ANSWER_MAX];
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        const ssize_t got = recvfrom(s.fd, answer, sizeof answer, 0,
                                     reinterpret_cast<sockaddr*>(&from), &fromLength);
        uint32_t address = 0;
        uint16_t port = 0;
        const char* path = nullptr;
        if (got > 0 && from.sin_addr.s_addr == gateway &&
            ssdpLocation(answer, size_t(got), location, size) &&
            numericHttpUrl(location, &address, &port, &path) && address == gateway)
            return true;
    }
}

struct HttpAnswer {
    int status = 0;
    char* body = nullptr;
    size_t length = 0;
    uint32_t local = 0; // this machine's address on the connection, network byte order
};

// One HTTP request (a GET, or a SOAP POST when action is given) to a numeric URL, and its whole
// response read into buffer by `until`: false when the connection fails, the response does not
// fit the buffer or does not end in time, or is not HTTP.
bool httpExchange(const char* url, const char* action, const std::string& body,
                  std::vector<char>& buffer, MappingClock::time_point until, HttpAnswer* answer) {
    sockaddr_in to{};
    uint16_t port = 0;
    const char* path = nullptr;
    if (!numericHttpUrl(url, &to.sin_addr.s_addr, &port, &path)) return false;
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    char host[INET_ADDRSTRLEN];
    inet_ntop(AF_INET, &to.sin_addr, host, sizeof host);
    std::string request = std::string(action ? "POST " : "GET ") + (*path ? path : "/") +
                          " HTTP/1.1\r\nHost: " + host + ":" + number(port) +
                          "\r\nConnection: close\r\n";
    if (action)
        request += "Content-Type: text/xml; charset=\"utf-8\"\r\nSOAPAction: \"" +
                   std::string(action) + "\"\r\nContent-Length: " + number(body.size()) + "\r\n";
    request += "\r\n" + body;

    Socket s(SOCK_STREAM);
    if (s.fd < 0) return false;
    if (connect(s.fd, reinterpret_cast<sockaddr*>(&to), sizeof to) < 0 && errno != EINPROGRESS)
        return false;
    int error = 0;
    socklen_t errorLength = sizeof error;
    if (!waitFor(s.fd, POLLOUT, until) ||
        getsockopt(s.fd, SOL_SOCKET, SO_ERROR, &error, &errorLength) < 0 || error != 0)
        return false;
    sockaddr_in local{};
    socklen_t localLength = sizeof local;
    getsockname(s.fd, reinterpret_cast<sockaddr*>(&local), &localLength);
    answer->local = local.sin_addr.s_addr;
    for (size_t sent = 0; sent < request.size();) {
        const ssize_t n = send(s.fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n > 0)
            sent += size_t(n);
        else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return false;
        else if (!waitFor(s.fd, POLLOUT, until))
            return false;
    }
    size_t used = 0;
    for (;;) {
        if (used == buffer.size()) return false; // larger than any answer of a router
        const ssize_t n = recv(s.fd, buffer.data() + used, buffer.size() - used, 0);
        if (n == 0) break; // the router closed: the response is whole
        if (n > 0)
            used += size_t(n);
        else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return false;
        else if (!waitFor(s.fd, POLLIN, until))
            return false;
    }
    return httpResponseBody(buffer.data(), used, &answer->status, &answer->body, &answer->length);
}

// Reads the description at location; keeps the connection service and its control URL when both
// pass the checks.
bool describe(const char* location, uint32_t gateway, MappingClock::time_point until,
              RouterGrant* found) {
    std::vector<char> buffer(DESCRIPTION_MAX);
    HttpAnswer answer;
    if (!httpExchange(location, nullptr, "", buffer, until, &answer) || answer.status != 200)
        return false;
    IGDdatas data;
    std::memset(&data, 0, sizeof data);
    parserootdesc(answer.body, int(answer.length), &data);
    UPNPUrls urls{};
    GetUPNPUrls(&urls, &data, location, 0);
    const bool usable = urls.controlURL &&
                        std::strlen(urls.controlURL) < sizeof found->controlUrl &&
                        upnpUrlsAtGateway(location, urls.controlURL, gateway) &&
                        upnpConnectionService(data.first.servicetype);
    if (usable) {
        std::snprintf(found->controlUrl, sizeof found->controlUrl, "%s", urls.controlURL);
        std::snprintf(found->serviceType, sizeof found->serviceType, "%s", data.first.servicetype);
        inet_ntop(AF_INET, &answer.local, found->lanAddress, sizeof found->lanAddress);
    }
    FreeUPNPUrls(&urls);
    return usable;
}

// Calls action on the router's connection service with arguments (XML elements). Returns the
// UPnP error code the router answered with, 0 for success, -1 when no usable answer came. The
// answer's values are left in *values, which the caller clears.
int soap(const RouterGrant& router, const char* action, const std::string& arguments,
         MappingClock::time_point until, NameValueParserData* values) {
    std::memset(values, 0, sizeof *values);
    const std::string service = router.serviceType;
    const std::string body =
        "<?xml version=\"1.0\"?>\r\n<s:Envelope "
        "xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
        "s:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\"><s:Body><u:" +
        std::string(action) + " xmlns:u=\"" + service + "\">" + arguments + "</u:" + action +
        "></s:Body></s:Envelope>\r\n";
    std::vector<char> buffer(SOAP_ANSWER_MAX);
    HttpAnswer answer;
    if (!httpExchange(router.controlUrl, (service + "#" + action).c_str(), body, buffer, until,
                      &answer))
        return -1;
    ParseNameValue(answer.body, int(answer.length), values);
    if (const char* error = GetValueFromNameValueList(values, "errorCode")) {
        const int code = std::atoi(error);
        return code > 0 ? code : -1;
    }
    return answer.status == 200 ? 0 : -1;
}

int soapOnly(const RouterGrant& router, const char* action, const std::string& arguments,
             MappingClock::time_point until) {
    NameValueParserData values;
    const int r = soap(router, action, arguments, until, &values);
    ClearNameValueList(&values);
    return r;
}

bool addMapping(int port, const RouterGrant& router, MappingClock::time_point until) {
    const std::string ports = number(port);
    const auto arguments = [&](const char* lease) {
        return "<NewRemoteHost></NewRemoteHost><NewExternalPort>" + ports +
               "</NewExternalPort><NewProtocol>TCP</NewProtocol><NewInternalPort>" + ports +
               "</NewInternalPort><NewInternalClient>" + router.lanAddress +
               "</NewInternalClient><NewEnabled>1</NewEnabled><NewPortMappingDescription>chess3d"
               "</NewPortMappingDescription><NewLeaseDuration>" +
               lease + "</NewLeaseDuration>";
    };
    int r = soapOnly(router, "AddPortMapping", arguments(number(LEASE_SECONDS).c_str()), until);
    if (r == ONLY_PERMANENT_LEASES) r = soapOnly(router, "AddPortMapping", arguments("0"), until);
    return r == 0;
}

// The router's external address, read as numbers: its text is never passed on.
bool externalAddress(const RouterGrant& router, MappingClock::time_point until, uint32_t* address) {
    NameValueParserData values;
    bool read = false;
    if (soap(router, "GetExternalIPAddress", "", until, &values) == 0) {
        const char* text = GetValueFromNameValueList(&values, "NewExternalIPAddress");
        in_addr numeric{};
        read = text && inet_pton(AF_INET, text, &numeric) == 1;
        *address = numeric.s_addr;
    }
    ClearNameValueList(&values);
    return read;
}

} // namespace

bool upnpMap(uint32_t gateway, int port, MappingClock::time_point until,
             const std::atomic<bool>* cancelled, RouterGrant* grant) {
    char location[256];
    RouterGrant found;
    if (!ssdpSearch(gateway, std::min(until, MappingClock::now() + DISCOVERY), location,
                    sizeof location) ||
        *cancelled || !describe(location, gateway, until, &found) || *cancelled ||
        !addMapping(port, found, until))
        return false;
    // Without a public address it could show, the mapping is of no use: taken back.
    if (!externalAddress(found, until, &found.publicAddress)) {
        upnpUnmap(port, found, MappingClock::now() + REMOVAL);
        return false;
    }
    std::snprintf(found.method, sizeof found.method, "UPnP");
    found.publicPort = port;
    found.lifetimeSeconds = LEASE_SECONDS;
    *grant = found;
    return true;
}

bool upnpRenew(int port, RouterGrant* grant, MappingClock::time_point until) {
    if (!addMapping(port, *grant, until)) return false;
    uint32_t address = 0;
    if (externalAddress(*grant, until, &address)) grant->publicAddress = address;
    return true;
}

void upnpUnmap(int port, const RouterGrant& grant, MappingClock::time_point until) {
    soapOnly(grant, "DeletePortMapping",
             "<NewRemoteHost></NewRemoteHost><NewExternalPort>" + number(port) +
                 "</NewExternalPort><NewProtocol>TCP</NewProtocol>",
             until);
}
