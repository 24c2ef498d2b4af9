// SPDX-License-Identifier: MIT
#pragma once
// Inside KPortMapping: what the router granted, the back end its worker reaches the router
// through, and the two protocols the real back end speaks. Every exchange ends by the time it is
// given, and reads a bounded number of bytes whatever the router sends.

#include <atomic>
#include <chrono>
#include <cstdint>

using MappingClock = std::chrono::steady_clock;

constexpr uint32_t LEASE_SECONDS = 3600; // asked of the router; renewed at half what it grants

// What the router granted: where friends join from outside, and what renewal and removal need.
struct RouterGrant {
    char method[8] = "";          // "NAT-PMP" or "UPnP"
    uint32_t publicAddress = 0;   // the router's public side, network byte order
    int publicPort = 0;           // the port outside, as the router chose it
    uint32_t lifetimeSeconds = 0; // how long the mapping lasts unless renewed
    char controlUrl[256] = "";    // UPnP: the control URL, checked to be at the gateway
    char serviceType[128] = "";   // UPnP: the WAN connection service, checked
    char lanAddress[16] = "";     // UPnP: this machine's address towards the router
};

// How the mapping's worker reaches the router: NAT-PMP and UPnP, or a fake in tests. Each call
// returns by `until`.
struct MappingBackEnd {
    // Asks for TCP port to be forwarded here; true with grant filled. May give up early once
    // *cancelled is true (nobody waits for this answer any more).
    bool (*map)(int port, MappingClock::time_point until, const std::atomic<bool>* cancelled,
                RouterGrant* grant);
    // Asks again for what grant holds; true with grant brought up to date.
    bool (*renew)(int port, RouterGrant* grant, MappingClock::time_point until);
    // Asks the router to remove the mapping; nothing is done with its answer.
    void (*unmap)(int port, const RouterGrant& grant, MappingClock::time_point until);
};

// Every KPortMapping started from now on talks through backEnd (tests); null: the router.
void setMappingBackEnd(const MappingBackEnd* backEnd);

// NAT-PMP with the default gateway. *gateway (network byte order) is the gateway found, 0 when
// there is none; a mapping is asked for only with the router's public address in hand.
bool natpmpMap(int port, MappingClock::time_point until, RouterGrant* grant, uint32_t* gateway);
bool natpmpRenew(int port, RouterGrant* grant, MappingClock::time_point until);
void natpmpUnmap(int port, MappingClock::time_point until);

// UPnP IGD: only a router that answers discovery from the gateway, with description and control
// URLs at the gateway's own address and port, is asked.
bool upnpMap(uint32_t gateway, int port, MappingClock::time_point until,
             const std::atomic<bool>* cancelled, RouterGrant* grant);
bool upnpRenew(int port, RouterGrant* grant, MappingClock::time_point until);
void upnpUnmap(int port, const RouterGrant& grant, MappingClock::time_point until);
