// SPDX-License-Identifier: MIT
#include "net/KivNetwork.h"
#include "net/winsock_compat.h"

#include <cstdio>
#include <cstring>
#include <ifaddrs.h>
#include <net/if.h>

namespace {

// An IPv4 address another machine could reach: not loopback (127/8), not link-local
// (169.254/16, which a machine gives itself when nobody hands it an address), not "any".
bool reachableV4(const in_addr& a) {
    const uint32_t h = ntohl(a.s_addr);
    return h != 0 && (h >> 24) != 127 && (h >> 16) != 0xA9FE;
}

// A global IPv6 address: not loopback, link-local, unique-local (fc00::/7, not routed on the
// internet) or v4-mapped.
bool globalV6(const in6_addr& a) {
    return !IN6_IS_ADDR_LOOPBACK(&a) && !IN6_IS_ADDR_LINKLOCAL(&a) &&
           !IN6_IS_ADDR_UNSPECIFIED(&a) && !IN6_IS_ADDR_V4MAPPED(&a) &&
           !IN6_IS_ADDR_MULTICAST(&a) && (a.s6_addr[0] & 0xFE) != 0xFC;
}

// Adds text unless out already holds it.
int addOnce(char (*out)[KNET_ADDRESS_TEXT], int count, int max, const char* text) {
    for (int i = 0; i < count; ++i)
        if (std::strcmp(out[i], text) == 0) return count;
    if (count >= max) return count;
    std::snprintf(out[count], KNET_ADDRESS_TEXT, "%s", text);
    return count + 1;
}

} // namespace

int KLocalAddresses(char (*out)[KNET_ADDRESS_TEXT], int max) {
    ifaddrs* list = nullptr;
    if (!out || max <= 0 || getifaddrs(&list) != 0) return 0;
    int count = 0;
    // IPv4 first: most friends type those; then IPv6, often the only way in from outside.
    for (int family : {AF_INET, AF_INET6}) {
        for (ifaddrs* i = list; i; i = i->ifa_next) {
            if (!i->ifa_addr || i->ifa_addr->sa_family != family) continue;
            if (!(i->ifa_flags & IFF_UP) || (i->ifa_flags & IFF_LOOPBACK)) continue;
            char text[INET6_ADDRSTRLEN] = "";
            if (family == AF_INET) {
                const in_addr& a = reinterpret_cast<sockaddr_in*>(i->ifa_addr)->sin_addr;
                if (!reachableV4(a)) continue;
                inet_ntop(AF_INET, &a, text, sizeof text);
            } else {
                const in6_addr& a = reinterpret_cast<sockaddr_in6*>(i->ifa_addr)->sin6_addr;
                if (!globalV6(a)) continue;
                inet_ntop(AF_INET6, &a, text, sizeof text);
            }
            count = addOnce(out, count, max, text);
        }
    }
    freeifaddrs(list);
    return count;
}
