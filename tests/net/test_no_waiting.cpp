// SPDX-License-Identifier: GPL-3.0-or-later
// Nothing the library does in a pass may wait: no name look-ups for accepted peers or typed
// addresses, a connection still under way counts as failed once the owner stops waiting, and
// an idle port does not rewrite its log every pass.
#include "net/KivNetwork.h"
#include "net_test_support.h"

#include <atomic>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <netdb.h>
#include <string>

using namespace nettest;

namespace {

int g_nameLookUps = 0;
int g_addressLookUps = 0;
int g_data = 0;
int g_failures = 0;
std::atomic<bool> g_resolverAnswers{false};

void onData(char*, int* length) {
    ++g_data;
    *length = 0;
}
void onFailed(const char*, int*) {
    ++g_failures;
}

} // namespace

// The resolver's entry points, counted: the library's calls land here first. A name is never
// handed on to the real resolver (the tests ask no name server); a pure parse of a numeric
// address (AI_NUMERICHOST) is.
extern "C" int getaddrinfo(const char* node, const char* service, const addrinfo* hints,
                           addrinfo** result) {
    using Real = int (*)(const char*, const char*, const addrinfo*, addrinfo**);
    static Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "getaddrinfo"));
    if (!hints || !(hints->ai_flags & AI_NUMERICHOST)) {
        ++g_nameLookUps;
        // A name that has both families, from a resolver that answers when the test says.
        if (node && std::string(node) == "slow-name.test") {
            while (!g_resolverAnswers.load())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            addrinfo numeric = *hints;
            numeric.ai_flags = AI_NUMERICHOST;
            addrinfo *v6 = nullptr, *v4 = nullptr;
            if (real("::1", service, &numeric, &v6) || real("127.0.0.1", service, &numeric, &v4))
                return EAI_FAIL;
            v6->ai_next = v4;
            *result = v6;
            return 0;
        }
        return EAI_NONAME;
    }
    return real ? real(node, service, hints, result) : EAI_FAIL;
}

extern "C" hostent* gethostbyaddr(const void* address, socklen_t length, int type) {
    ++g_addressLookUps;
    using Real = hostent* (*)(const void*, socklen_t, int);
    static Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "gethostbyaddr"));
    return real ? real(address, length, type) : nullptr;
}

TEST(NoWaiting, AnAcceptedPeerIsKnownByItsDottedAddressWithoutALookUp) {
    const int port = PORT_BASE + 44;
    int listener = listenOn(port);
    int peer = connectTo(port);
    g_addressLookUps = 0;
    {
        // 0: the flag that used to ask for the reverse look-up.
        KSocket accepted(listener, 0);
        EXPECT_EQ(accepted.status, 1);
        EXPECT_STREQ(accepted.host, "127.0.0.1");
    }
    EXPECT_EQ(g_addressLookUps, 0);
    close(peer);
    close(listener);
}

// A connection never asks the resolver: an address is read as it is, anything else (a name, a
// text with a colon that is no address) is not found; names are KHostLookup's.
TEST(NoWaiting, TypedAddressesAndLocalhostConnectWithoutALookUp) {
    const int port = PORT_BASE + 45;
    int listener = listenOn(port);
    struct Row {
        const char* host;
        int status;
        int lookUps;
    };
    const Row rows[] = {
        {"127.0.0.1", 0, 0},   {"localhost", 0, 0}, {"127.0.0.1 ", 0, 0},
        {"1.2.3.4.5", 2, 0},   {"0", 0, 0},         {"no-such-host.invalid", 2, 0},
        {"host:4000:x", 2, 0},
    };
    for (const Row& row : rows) {
        KClient client;
        int status = -1;
        char host[64];
        std::snprintf(host, sizeof host, "%s", row.host);
        g_nameLookUps = 0;
        testing::internal::CaptureStderr();
        client.InitConnexion(host, port, onData, onFailed, &status);
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(status, row.status) << "[" << row.host << "]";
        EXPECT_EQ(g_nameLookUps, row.lookUps) << "[" << row.host << "]";
    }
    close(listener);
}

TEST(NoWaiting, AConnectionStillUnderWayCountsAsFailedOnceTheWaitIsOver) {
    // A listener whose queue is full drops new attempts: the connection stays under way (the
    // kernel would keep trying for minutes).
    const int port = PORT_BASE + 46;
    int listener = socket(AF_INET, SOCK_STREAM, 0);
    int on = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a = loopback(port);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(listen(listener, 0), 0);
    int first = connectTo(port); // fills the queue
    ASSERT_GE(first, 0);

    g_data = g_failures = 0;
    KClient client;
    int status = -1;
    char host[] = "127.0.0.1";
    testing::internal::CaptureStderr();
    ASSERT_TRUE(client.InitConnexion(host, port, onData, onFailed, &status));
    testing::internal::GetCapturedStderr();
    for (int i = 0; i < 5; ++i)
        client.Listen(false); // while the owner waits: nothing is called
    EXPECT_EQ(g_data, 0);
    EXPECT_EQ(g_failures, 0);
    client.Listen(true); // the wait is over: the connection counts as failed
    EXPECT_EQ(g_failures, 1);
    EXPECT_EQ(g_data, 0);
    close(first);
    close(listener);
}

TEST(NoWaiting, ANameIsLookedUpBesideTheCallerAndAddressesAreAnsweredAtOnce) {
    const char* atOnce[][2] = {
        {"[2001:db8::5]", "2001:db8::5"}, {"192.0.2.7", "192.0.2.7"}, {"localhost", "127.0.0.1"}};
    g_nameLookUps = 0;
    for (auto& row : atOnce) {
        KHostLookup lookup;
        lookup.Start(row[0]);
        EXPECT_EQ(lookup.Poll(), 1) << row[0];
        EXPECT_STREQ(lookup.addresses[0], row[1]);
    }
    EXPECT_EQ(g_nameLookUps, 0);
    // A name: Start returns while the resolver still waits; the answer comes in its order.
    g_resolverAnswers = false;
    KHostLookup lookup;
    lookup.Start("slow-name.test");
    EXPECT_EQ(lookup.Poll(), 0);
    g_resolverAnswers = true;
    ASSERT_TRUE(waitUntil([&] { return lookup.Poll() != 0; }));
    ASSERT_EQ(lookup.Poll(), 1);
    ASSERT_EQ(lookup.count, 2);
    EXPECT_STREQ(lookup.addresses[0], "::1");
    EXPECT_STREQ(lookup.addresses[1], "127.0.0.1");
}
