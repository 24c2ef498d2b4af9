// SPDX-License-Identifier: GPL-3.0-or-later
// Port mapping: what a router answers is believed only when it answers what was asked, from the
// gateway, with an address the internet reaches; and the worker brings a (fake) router to the
// owner's last wish one exchange at a time, whatever the order of Start and Stop.
#include "net/KivNetwork.h"
#include "net/router_answers.h"
#include "net/router_mapping.h"

#include <algorithm>
#include <arpa/inet.h>
#include <condition_variable>
#include <cstring>
#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

uint32_t ip(const char* text) {
    in_addr a{};
    EXPECT_EQ(inet_pton(AF_INET, text, &a), 1) << text;
    return a.s_addr;
}

// Bytes written in hexadecimal, blanks ignored: "0082 0000" is 0x00 0x82 0x00 0x00.
std::vector<unsigned char> hex(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    std::vector<unsigned char> bytes;
    for (size_t i = 0; i + 1 < text.size(); i += 2)
        bytes.push_back(uint8_t(std::stoi(text.substr(i, 2), nullptr, 16)));
    return bytes;
}

} // namespace

TEST(RouterAnswers, PublicAddressesAreThoseTheInternetReaches) {
    for (const char* shared :
         {"100.64.7.7", "100.127.255.255", "10.1.2.3", "172.16.0.1", "172.31.255.255",
          "192.168.1.1", "0.0.0.0", "127.0.0.1", "169.254.3.4", "192.0.0.1", "198.19.0.1",
          "224.0.0.1", "255.255.255.255"})
        EXPECT_FALSE(isPublicIpv4(ip(shared))) << shared;
    for (const char* open : {"203.0.113.9", "8.8.8.8", "100.63.255.255", "100.128.0.0",
                             "172.15.255.255", "172.32.0.0", "192.169.0.1", "198.20.0.1"})
        EXPECT_TRUE(isPublicIpv4(ip(open))) << open;
}

// Answers: version, opcode, result, epoch, then the address, or the private and public ports
// and the lifetime. Expected: I(gnored), R(efused), or G(ranted) with the public port and
// lifetime (the address for an address request).
TEST(RouterAnswers, NatpmpAnswerMustAnswerTheRequest) {
    const NatpmpRequest address{NATPMP_ASK_ADDRESS, 0, 0, 0}, map{NATPMP_ASK_TCP, 4000, 4000, 3600},
        removal{NATPMP_ASK_TCP, 4000, 0, 0};
    const struct {
        const char* answer;
        NatpmpRequest request;
        const char* expected;
    } cases[] = {
        {"0080 0000 00000009 cb007109", address, "G 203.0.113.9"},
        {"0080 0000 00000009 cb007109", map, "I"},           // a late public address
        {"0081 0000 00000009 0fa0 0fa0 00000e10", map, "I"}, // a UDP mapping's
        {"0082 0000 00000009 0fa1 0fa1 00000e10", map, "I"}, // another private port
        {"0082 0000 00000009 0fa0 1004 0000003c", map, "G 4100 60"},
        {"0082 0002 00000009 0fa0 0000 00000000", map, "R"},
        {"0082 0005 00000009", map, "R"}, // an opcode it does not know, in 8 bytes
        {"0082 0000 00000009 0fa0 0fa0 00000000", map, "R"}, // no lifetime
        {"0082 0000 00000009 0fa0 0000 00000e10", map, "R"}, // no public port
        {"0082 0000 00000009 0fa0 0f", map, "I"},            // cut short
        {"0180 0000 00000009 cb007109", address, "I"},       // version 1
        {"0082 0000 00000009 0fa0 0000 00000000", removal, "G 0 0"},
    };
    for (const auto& c : cases) {
        const std::vector<unsigned char> bytes = hex(c.answer);
        NatpmpGrant g{};
        const RouterVerdict v = checkNatpmpAnswer(bytes.data(), bytes.size(), c.request, &g);
        std::string seen(1, "IRG"[int(v)]); // the verdicts in their order
        if (v == RouterVerdict::Granted && c.request.opcode == NATPMP_ASK_ADDRESS)
            seen += std::string(" ") + inet_ntoa(in_addr{g.publicAddress});
        else if (v == RouterVerdict::Granted)
            seen += " " + std::to_string(g.publicPort) + " " + std::to_string(g.lifetimeSeconds);
        EXPECT_EQ(seen, c.expected) << c.answer;
    }
    const uint32_t lifetimes[][2] = {{60, 30}, {3600, 1800}, {1, 1}, {0xffffffff, 86400}};
    for (const auto& l : lifetimes)
        EXPECT_EQ(renewAfterSeconds(l[0]), l[1]) << l[0];
}

// The description at the gateway (192.168.1.1:5000); control URLs at a public address, a name,
// another subnet, the gateway on another port, another machine nearby, with user information,
// IPv6, another scheme, characters that would break the request line, ports out of range.
TEST(RouterAnswers, UpnpRouterOnlyAtTheGateway) {
    const uint32_t gateway = ip("192.168.1.1");
    const char* description = "http://192.168.1.1:5000/rootDesc.xml";
    EXPECT_TRUE(upnpUrlsAtGateway(description, "http://192.168.1.1:5000/ctl/IPConn", gateway));
    EXPECT_TRUE(upnpUrlsAtGateway("HTTP://192.168.1.1/d.xml", "http://192.168.1.1:80/c", gateway));
    for (const char* control :
         {"http://203.0.113.5:5000/ctl", "http://router.lan:5000/ctl", "http://192.168.2.1:5000/c",
          "http://192.168.1.1:5001/ctl", "http://192.168.1.7:5000/ctl",
          "http://x@192.168.1.1:5000/", "http://[fe80::1]:5000/ctl", "https://192.168.1.1:5000/c",
          "http://192.168.1.1:5000/c tl", "http://192.168.1.1:5000/c\r\nX: y",
          "http://192.168.1.1.5:5000/c"})
        EXPECT_FALSE(upnpUrlsAtGateway(description, control, gateway)) << control;
    for (const char* both :
         {"http://192.168.1.7:5000/d", "http://192.168.1.1:0/d", "http://192.168.1.1:65536/d"})
        EXPECT_FALSE(upnpUrlsAtGateway(both, both, gateway)) << both;
    EXPECT_TRUE(upnpConnectionService("urn:schemas-upnp-org:service:WANPPPConnection:2"));
    EXPECT_FALSE(upnpConnectionService("urn:schemas-upnp-org:service:WANIPConnection:1\"x"));
    EXPECT_FALSE(upnpConnectionService("urn:schemas-upnp-org:service:Layer3Forwarding:1"));
}

TEST(RouterAnswers, DiscoveryAndHttpAnswersReadWithinTheirBytes) {
    char url[64] = "";
    const std::string ssdp =
        "HTTP/1.1 200 OK\r\nST: x\r\nlocation:  http://1.2.3.4:5/d.xml \r\n\r\n";
    EXPECT_TRUE(ssdpLocation(ssdp.data(), ssdp.size(), url, sizeof url));
    EXPECT_STREQ(url, "http://1.2.3.4:5/d.xml");
    EXPECT_FALSE(ssdpLocation(ssdp.data(), ssdp.size() - 30, url, sizeof url)); // line cut off
    EXPECT_FALSE(ssdpLocation(ssdp.data(), ssdp.size(), url, 20));              // does not fit
    const std::string h = "HTTP/1.1 200 OK\r\n", chunked = h + "Transfer-Encoding: chunked\r\n\r\n";
    std::string cases[][2] = {
        {h + "Content-Length: 5\r\n\r\nhello, and more", "hello"},
        {"HTTP/1.0 500 Error\r\n\r\n<e/>", "<e/>"},
        {chunked + "3\r\nabc\r\n2;x\r\nde\r\n0\r\n\r\n", "abcde"},
        {h + "Content-Length: 50\r\n\r\nshort", "refused"},
        {chunked + "ff\r\nabc", "refused"},
        {h + "Content-Length: 5", "refused"},
    };
    for (auto& c : cases) {
        int status = 0;
        char* body = nullptr;
        size_t n = 0;
        const bool read = httpResponseBody(c[0].data(), c[0].size(), &status, &body, &n);
        EXPECT_EQ(read ? std::string(body, n) : "refused", c[1]);
    }
}

namespace {

// A router that answers at once, or holds every call until its gate opens. It counts what goes
// wrong (a port mapped twice, a removal of what it does not hold) and the threads that called it:
// one alone means no exchange can overlap or overtake another.
struct FakeRouter {
    std::mutex mutex;
    std::condition_variable changed;
    bool gateOpen = true;
    int inFlight = 0, faults = 0;
    std::set<int> mapped;
    std::set<std::thread::id> callers;

    template <class Change> void exchange(Change change) {
        std::unique_lock<std::mutex> lock(mutex);
        callers.insert(std::this_thread::get_id());
        ++inFlight;
        changed.notify_all();
        changed.wait_for(lock, std::chrono::seconds(10), [this] { return gateOpen; });
        change();
        --inFlight;
    }
    // Under the lock: the router asked ('a'), its gate opened ('g'), or a look at what it holds.
    template <class Step> void locked(Step step) {
        std::unique_lock<std::mutex> lock(mutex);
        step(lock);
        changed.notify_all();
    }
} g_router;

const MappingBackEnd FAKE{
    [](int port, MappingClock::time_point, const std::atomic<bool>*, RouterGrant* grant) {
        g_router.exchange([&] { g_router.faults += !g_router.mapped.insert(port).second; });
        *grant = RouterGrant{"NAT-PMP", ip("203.0.113.9"), port + 100, 3600};
        return true;
    },
    [](int, RouterGrant*, MappingClock::time_point) { return true; },
    [](int port, const RouterGrant&, MappingClock::time_point) {
        g_router.exchange([&] { g_router.faults += g_router.mapped.erase(port) != 1; });
    },
};

// Polls until the answer comes (at most 10 s).
int answerOf(KPortMapping& mapping) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    int r = 0;
    while ((r = mapping.Poll()) == 0 && std::chrono::steady_clock::now() < until)
        std::this_thread::yield();
    return r;
}

} // namespace

// Start (s0: port 4000, s1: 4001) and Stop (x) as U pressed quickly, or hosting stopped and
// started again; '=' waits for the answer, 'a' until the router is asked, 'g' opens the gate of a
// router that holds every call until then. The router ends holding the last port started, once.
TEST(PortMapping, LastWishHoldsWhateverTheOrder) {
    setMappingBackEnd(&FAKE);
    for (const char* steps : {"s0 a x s0 g =", "s0 = x s0 =", "s0 = s1 =", "s0 a x s0 x s1 g =",
                              "s0 = x s0 = x s1 ="}) {
        g_router.locked([&](auto&) {
            g_router.gateOpen = std::strchr(steps, 'g') == nullptr;
            g_router.faults = 0;
            g_router.callers.clear();
        });
        KPortMapping mapping;
        int last = 0;
        for (const char* s = steps; *s; ++s) {
            if (*s == 's') mapping.Start(last = 4000 + (s[1] - '0'), 10);
            if (*s == 'x') mapping.Stop(0);
            if (*s == 'a')
                g_router.locked([](auto& lock) {
                    g_router.changed.wait_for(lock, std::chrono::seconds(10),
                                              [] { return g_router.inFlight > 0; });
                });
            if (*s == 'g') g_router.locked([](auto&) { g_router.gateOpen = true; });
            if (*s == '=') {
                ASSERT_EQ(answerOf(mapping), 1) << steps;
            }
        }
        EXPECT_EQ(mapping.PublicPort(), last + 100) << steps;
        EXPECT_FALSE(mapping.BehindAnotherNat());
        g_router.locked([&](auto&) { EXPECT_EQ(g_router.mapped, std::set<int>{last}) << steps; });
        mapping.Stop(10);
        g_router.locked([&](auto&) {
            EXPECT_TRUE(g_router.mapped.empty()) << steps;
            EXPECT_EQ(g_router.callers.size(), 1u) << steps;
            EXPECT_EQ(g_router.faults, 0) << steps;
        });
    }
    setMappingBackEnd(nullptr);
}
