// Port mapping: what a router answers is believed only when it answers what was asked, from the
// gateway, with an address the internet reaches; and the worker brings a (fake) router to the
// owner's last wish one exchange at a time, whatever the order of Start and Stop.
#include "net/KivNetwork.h"
#include "net/router_answers.h"
#include "net/router_mapping.h"

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

// A NAT-PMP answer: version, opcode, result, epoch, then the address or the ports and lifetime.
std::vector<unsigned char> answer(int opcode, int result, std::vector<int> rest) {
    std::vector<unsigned char> b{0, uint8_t(opcode), uint8_t(result >> 8), uint8_t(result), 0, 0, 0,
                                 9};
    for (int i = 0; i < int(rest.size()); ++i)
        b.push_back(uint8_t(rest[size_t(i)]));
    return b;
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

TEST(RouterAnswers, NatpmpAnswerMustAnswerTheRequest) {
    const NatpmpRequest address{NATPMP_ASK_ADDRESS, 0, 0, 0};
    const NatpmpRequest map4000{NATPMP_ASK_TCP, 4000, 4000, 3600};
    const NatpmpRequest remove4000{NATPMP_ASK_TCP, 4000, 0, 0};
    const auto ports = [](int privatePort, int publicPort, int lifetime) {
        return std::vector<int>{
            privatePort >> 8, privatePort & 255, publicPort >> 8, publicPort & 255, 0, 0,
            lifetime >> 8,    lifetime & 255};
    };
    struct Case {
        const char* what;
        std::vector<unsigned char> bytes;
        NatpmpRequest request;
        RouterVerdict verdict;
        int publicPort = 0, lifetime = 0;
    } cases[] = {
        {"the public address", answer(128, 0, {203, 0, 113, 9}), address, RouterVerdict::Granted},
        {"a late public address for the mapping", answer(128, 0, {203, 0, 113, 9}), map4000,
         RouterVerdict::Ignored},
        {"a UDP mapping's answer", answer(129, 0, ports(4000, 4000, 3600)), map4000,
         RouterVerdict::Ignored},
        {"another private port", answer(130, 0, ports(4001, 4001, 3600)), map4000,
         RouterVerdict::Ignored},
        {"another public port, a short lifetime", answer(130, 0, ports(4000, 4100, 60)), map4000,
         RouterVerdict::Granted, 4100, 60},
        {"refused", answer(130, 2, ports(4000, 0, 0)), map4000, RouterVerdict::Refused},
        {"an opcode it does not know, in 8 bytes", answer(130, 5, {}), map4000,
         RouterVerdict::Refused},
        {"no lifetime", answer(130, 0, ports(4000, 4000, 0)), map4000, RouterVerdict::Refused},
        {"no public port", answer(130, 0, ports(4000, 0, 3600)), map4000, RouterVerdict::Refused},
        {"cut short", answer(130, 0, {15, 160, 15}), map4000, RouterVerdict::Ignored},
        {"version 1",
         [] {
             auto b = answer(128, 0, {1, 2, 3, 4});
             b[0] = 1;
             return b;
         }(),
         address, RouterVerdict::Ignored},
        {"removed", answer(130, 0, ports(4000, 0, 0)), remove4000, RouterVerdict::Granted, 0, 0},
    };
    for (const Case& c : cases) {
        NatpmpGrant grant{};
        EXPECT_EQ(checkNatpmpAnswer(c.bytes.data(), c.bytes.size(), c.request, &grant), c.verdict)
            << c.what;
        if (c.verdict != RouterVerdict::Granted) continue;
        if (c.request.opcode == NATPMP_ASK_ADDRESS) {
            EXPECT_EQ(grant.publicAddress, ip("203.0.113.9")) << c.what;
        } else {
            EXPECT_EQ(grant.publicPort, c.publicPort) << c.what;
            EXPECT_EQ(int(grant.lifetimeSeconds), c.lifetime) << c.what;
        }
    }
    const uint32_t lifetimes[][2] = {{60, 30}, {3600, 1800}, {1, 1}, {0xffffffff, 86400}};
    for (const auto& l : lifetimes)
        EXPECT_EQ(renewAfterSeconds(l[0]), l[1]) << l[0];
}

TEST(RouterAnswers, UpnpRouterOnlyAtTheGateway) {
    const uint32_t gateway = ip("192.168.1.1");
    const char* description = "http://192.168.1.1:5000/rootDesc.xml";
    struct Case {
        const char* description;
        const char* control;
        bool usable;
    } cases[] = {
        {description, "http://192.168.1.1:5000/ctl/IPConn", true},
        {"HTTP://192.168.1.1/d.xml", "http://192.168.1.1:80/ctl", true},
        {description, "http://203.0.113.5:5000/ctl", false}, // a public address
        {description, "http://router.lan:5000/ctl", false},  // a name
        {description, "http://192.168.2.1:5000/ctl", false}, // another subnet
        {description, "http://192.168.1.1:5001/ctl", false}, // the gateway, another port
        {description, "http://192.168.1.7:5000/ctl", false}, // another machine nearby
        {"http://192.168.1.7:5000/d.xml", "http://192.168.1.1:5000/ctl", false},
        {description, "http://x@192.168.1.1:5000/ctl", false}, // user information
        {description, "http://[fe80::1]:5000/ctl", false},
        {description, "https://192.168.1.1:5000/ctl", false},
        {description, "http://192.168.1.1:5000/c tl", false}, // would break the request line
        {description, "http://192.168.1.1:5000/ctl\r\nX: y", false},
        {"http://192.168.1.1:0/d.xml", "http://192.168.1.1:0/ctl", false},
        {"http://192.168.1.1:65536/d.xml", "http://192.168.1.1:65536/ctl", false},
        {"http://192.168.1.1.5/d.xml", "http://192.168.1.1.5/ctl", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(upnpUrlsAtGateway(c.description, c.control, gateway), c.usable) << c.control;
    EXPECT_TRUE(upnpConnectionService("urn:schemas-upnp-org:service:WANPPPConnection:2"));
    EXPECT_FALSE(upnpConnectionService("urn:schemas-upnp-org:service:WANIPConnection:1\"x"));
    EXPECT_FALSE(upnpConnectionService("urn:schemas-upnp-org:service:Layer3Forwarding:1"));
}

TEST(RouterAnswers, DiscoveryAndHttpAnswersReadWithinTheirBytes) {
    char url[64];
    const std::string ssdp =
        "HTTP/1.1 200 OK\r\nST: x\r\nlocation:  http://192.168.1.1:5000/d.xml \r\n\r\n";
    ASSERT_TRUE(ssdpLocation(ssdp.data(), ssdp.size(), url, sizeof url));
    EXPECT_STREQ(url, "http://192.168.1.1:5000/d.xml");
    EXPECT_FALSE(ssdpLocation(ssdp.data(), ssdp.size() - 40, url, sizeof url)); // line cut off
    EXPECT_FALSE(ssdpLocation(ssdp.data(), ssdp.size(), url, 20));              // does not fit
    const std::string notFound = "HTTP/1.1 404 Not Found\r\nLOCATION: http://1.2.3.4/\r\n\r\n";
    EXPECT_FALSE(ssdpLocation(notFound.data(), notFound.size(), url, sizeof url));

    struct Case {
        std::string response;
        const char* body; // null: refused
    } cases[] = {
        {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello, and more", "hello"},
        {"HTTP/1.0 500 Error\r\n\r\n<e/>", "<e/>"},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n2;x\r\nde\r\n0\r\n\r\n",
         "abcde"},
        {"HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\nshort", nullptr},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nff\r\nabc", nullptr},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc", nullptr},
        {"HTTP/1.1 200 OK\r\nContent-Length: 5", nullptr},
        {"SSH-2.0-OpenSSH\r\n\r\n", nullptr},
    };
    for (Case& c : cases) {
        int status = 0;
        char* body = nullptr;
        size_t length = 0;
        const bool read =
            httpResponseBody(c.response.data(), c.response.size(), &status, &body, &length);
        EXPECT_EQ(read, c.body != nullptr) << c.response;
        if (read && c.body) {
            EXPECT_EQ(std::string(body, length), c.body) << c.response;
        }
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
    void open() {
        std::lock_guard<std::mutex> lock(mutex);
        gateOpen = true;
        changed.notify_all();
    }
    void waitAsked() {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait_for(lock, std::chrono::seconds(10), [this] { return inFlight > 0; });
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

// Start (s) and Stop (x) as U pressed quickly, or hosting stopped and started again; '=' waits
// for the answer, 'a' until the router is asked, 'g' opens the gate of a router that holds every
// call until then.
TEST(PortMapping, LastWishHoldsWhateverTheOrder) {
    setMappingBackEnd(&FAKE);
    const struct {
        const char* steps;
        int port; // the port held in the end
    } cases[] = {{"s0 a x s0 g =", 4000},
                 {"s0 = x s0 =", 4000},
                 {"s0 = s1 =", 4001},
                 {"s0 a x s0 x s1 g =", 4001},
                 {"s0 = x s0 = x s1 =", 4001}};
    for (const auto& c : cases) {
        {
            std::lock_guard<std::mutex> lock(g_router.mutex);
            g_router.gateOpen = std::strchr(c.steps, 'g') == nullptr;
            g_router.faults = 0;
            g_router.callers.clear();
        }
        KPortMapping mapping;
        for (const char* s = c.steps; *s; ++s) {
            if (*s == 's') mapping.Start(4000 + (s[1] - '0'), 10);
            if (*s == 'x') mapping.Stop(0);
            if (*s == 'a') g_router.waitAsked();
            if (*s == 'g') g_router.open();
            if (*s == '=') {
                ASSERT_EQ(answerOf(mapping), 1) << c.steps;
            }
        }
        EXPECT_EQ(mapping.PublicPort(), c.port + 100) << c.steps;
        EXPECT_FALSE(mapping.BehindAnotherNat());
        {
            std::lock_guard<std::mutex> lock(g_router.mutex);
            EXPECT_EQ(g_router.mapped, std::set<int>{c.port}) << c.steps;
        }
        mapping.Stop(10);
        std::lock_guard<std::mutex> lock(g_router.mutex);
        EXPECT_TRUE(g_router.mapped.empty()) << c.steps;
        EXPECT_EQ(g_router.callers.size(), 1u) << c.steps;
        EXPECT_EQ(g_router.faults, 0) << c.steps;
    }
    setMappingBackEnd(nullptr);
}
