// SPDX-License-Identifier: GPL-3.0-or-later
// KPort / KServer: the select pass, its callbacks and the buffer contract, on loopback peers.
#include "net/KivNetwork.h"
#include "net_test_support.h"

#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/select.h>
#include <vector>

using namespace nettest;

namespace {

// What the port's callbacks saw. Callbacks are plain functions, so the record is global.
struct Seen {
    std::vector<KSocket*> accepted;
    std::vector<std::string> inputs; // the whole unconsumed input at each externAction
    std::vector<std::string> closed; // names given to funcCloseClient
    int consumeUpToNewline = 0;      // 1: consume complete '\n'-ended lines from the front
};
Seen seen;

int onNewClient(KPort*, KSocket* connection) {
    seen.accepted.push_back(connection);
    return 0;
}

void onInput(char* input, int* inputLength) {
    seen.inputs.emplace_back(input, *inputLength);
    if (!seen.consumeUpToNewline) return;
    int end = *inputLength;
    while (end > 0 && input[end - 1] != '\n')
        --end;
    std::memmove(input, input + end, *inputLength - end);
    *inputLength -= end;
}

void onClosed(const char* name, int* value) {
    seen.closed.emplace_back(name);
    EXPECT_EQ(*value, 0);
}

class PortTest : public ::testing::Test {
protected:
    void SetUp() override { seen = Seen(); }
    void TearDown() override {
        for (int p : peers)
            close(p);
    }
    // Starts a server on PORT_BASE + offset.
    void host(int offset) {
        port = PORT_BASE + offset;
        ASSERT_TRUE(server.Init(port, 100, onNewClient, onInput, onClosed));
    }
    int peer() {
        int p = connectTo(port);
        peers.push_back(p);
        return p;
    }
    // Runs passes until `done` holds (bounded).
    template <class Done> bool passUntil(Done done) {
        return waitUntil([&] {
            server.Listen();
            return done();
        });
    }
    int listLength() const {
        int n = 0;
        for (KSocket* c = server.port->sockets; c; c = c->next)
            ++n;
        return n;
    }

    KServer server;
    int port = 0;
    std::vector<int> peers;
};

} // namespace

TEST_F(PortTest, AcceptingPassCallsNewClientAndALaterPassDeliversInput) {
    host(20);
    int p = peer();
    sendAll(p, "hello");
    // Let the bytes reach the accepted side before the accepting pass runs.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(passUntil([] { return !seen.accepted.empty(); }));
    EXPECT_EQ(seen.accepted.size(), 1u);
    EXPECT_EQ(server.port->sockets, seen.accepted[0]);
    EXPECT_EQ(seen.accepted[0]->name, "player");
    EXPECT_TRUE(seen.inputs.empty()) << "the accepting pass neither reads nor hands over input";

    server.Listen();
    ASSERT_EQ(seen.inputs.size(), 1u);
    EXPECT_EQ(seen.inputs[0], "hello");
}

TEST_F(PortTest, UnconsumedInputIsOfferedAgainWithNewBytesAfterIt) {
    host(21);
    seen.consumeUpToNewline = 1;
    int p = peer();
    ASSERT_TRUE(passUntil([] { return !seen.accepted.empty(); }));

    // Table of (bytes sent, input the callback then sees): only complete lines are consumed.
    const std::vector<std::pair<std::string, std::string>> steps = {
        {"AB", "AB"},
        {"C\nDE", "ABC\nDE"},
        {"F\nG\n", "DEF\nG\n"},
        {"H", "H"},
    };
    for (const auto& [sent, expected] : steps) {
        seen.inputs.clear();
        sendAll(p, sent);
        ASSERT_TRUE(passUntil([&] {
            return !seen.inputs.empty() && seen.inputs.back() == expected;
        })) << "after sending "
            << sent;
    }
    // Nothing new: the leftover is offered again in every pass.
    seen.inputs.clear();
    server.Listen();
    server.Listen();
    EXPECT_EQ(seen.inputs, (std::vector<std::string>{"H", "H"}));
}

TEST_F(PortTest, FullInputClosesTheConnectionForOverflow) {
    host(22);
    int p = peer();
    ASSERT_TRUE(passUntil([] { return !seen.accepted.empty(); }));
    sendAll(p, std::string(2047, 'x'));
    ASSERT_TRUE(passUntil([&] { return server.port->sockets->inputLength == 2047; }));
    EXPECT_TRUE(seen.closed.empty());
    sendAll(p, "y");
    ASSERT_TRUE(passUntil([] { return !seen.closed.empty(); }));
    EXPECT_EQ(seen.closed, (std::vector<std::string>{"player"}));
    EXPECT_EQ(server.port->sockets, nullptr);
}

TEST_F(PortTest, PeerThatClosesIsDroppedWithItsName) {
    ScopedLogFolder logs;
    host(23);
    int p = peer();
    ASSERT_TRUE(passUntil([] { return !seen.accepted.empty(); }));
    std::string host = seen.accepted[0]->host;
    // Bytes sent just before the close are still delivered before the close is seen.
    sendAll(p, "last");
    close(p);
    peers.clear();
    testing::internal::CaptureStdout();
    bool closed = passUntil([] { return !seen.closed.empty(); });
    std::string out = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(closed);
    EXPECT_EQ(out, "WARNING: EOF on socket read (connection broken by peer)close connection from " +
                       host + " with name : player\n");
    EXPECT_EQ(logs.log(), "close connection from " + host + " with name : player\n");
    EXPECT_EQ(seen.closed, (std::vector<std::string>{"player"}));
    EXPECT_EQ(seen.inputs, (std::vector<std::string>{"last"}));
    EXPECT_EQ(server.port->sockets, nullptr);
}

TEST_F(PortTest, TwoConnectionsAreServedInOnePassNewerFirst) {
    host(24);
    int older = peer();
    ASSERT_TRUE(passUntil([] { return seen.accepted.size() == 1; }));
    int newer = peer();
    ASSERT_TRUE(passUntil([] { return seen.accepted.size() == 2; }));
    sendAll(older, "old");
    sendAll(newer, "new");
    KSocket* a = seen.accepted[0];
    KSocket* b = seen.accepted[1];
    ASSERT_TRUE(
        waitUntil([&] { return pendingBytes(a->sock) == 3 && pendingBytes(b->sock) == 3; }));
    seen.inputs.clear();
    server.Listen();
    EXPECT_EQ(seen.inputs, (std::vector<std::string>{"new", "old"}));
}

TEST_F(PortTest, DestroyingThePortClosesConnectionsWithoutCallbacks) {
    host(25);
    int first = peer();
    ASSERT_TRUE(passUntil([] { return seen.accepted.size() == 1; }));
    int second = peer();
    ASSERT_TRUE(passUntil([] { return seen.accepted.size() == 2; }));
    delete server.port;
    server.port = nullptr;
    EXPECT_TRUE(seen.closed.empty());
    char byte;
    EXPECT_EQ(recv(first, &byte, 1, 0), 0) << "peer sees the connection closed";
    EXPECT_EQ(recv(second, &byte, 1, 0), 0);
    EXPECT_LT(connectTo(port), 0) << "the listening socket is closed too";
}

TEST_F(PortTest, IdlePassLogsWaitingThenWakingUp) {
    // Each state once, when it begins: a pass runs every frame, and every line rewrites the
    // log file.
    ScopedLogFolder logs;
    host(26);
    testing::internal::CaptureStdout();
    for (int i = 0; i < 5; ++i)
        server.Listen();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "No connection. Waiting...\n");
    EXPECT_EQ(logs.log(), "No connection. Waiting...\n");
    EXPECT_TRUE(seen.accepted.empty());

    int p = peer();
    ASSERT_GE(p, 0);
    testing::internal::CaptureStdout();
    ASSERT_TRUE(passUntil([] { return !seen.accepted.empty(); }));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "New connection.  Waking up.\nNew connection from [127.0.0.1]\n");

    // The peer leaves: the port is waiting again, and says so once.
    close(p);
    peers.clear();
    ASSERT_TRUE(passUntil([] { return !seen.closed.empty(); }));
    testing::internal::CaptureStdout();
    for (int i = 0; i < 5; ++i)
        server.Listen();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "No connection. Waiting...\n");
}

TEST_F(PortTest, FailedAcceptIsDroppedAndTheNextOneWorks) {
    host(27);
    int p = peer();
    // Let every new descriptor fail: the pending connection cannot be accepted.
    rlimit saved{};
    getrlimit(RLIMIT_NOFILE, &saved);
    int lowestFree = dup(0);
    close(lowestFree);
    rlimit tight = saved;
    tight.rlim_cur = static_cast<rlim_t>(lowestFree);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);
    for (int i = 0; i < 5; ++i)
        server.Listen();
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_TRUE(seen.accepted.empty()) << "no callback for a connection without a handle";
    EXPECT_EQ(server.port->sockets, nullptr) << "nothing without a handle in the list";

    // The connection was still waiting and is now accepted and served.
    sendAll(p, "ok");
    ASSERT_TRUE(passUntil([] { return !seen.inputs.empty(); }));
    EXPECT_EQ(seen.inputs[0], "ok");
    EXPECT_EQ(listLength(), 1);
}

TEST_F(PortTest, ASetHoldsSixtyFourHandlesAndTheRestWaits) {
    host(31);
    // The listening socket and 63 connections fill the read set; 7 older ones do not fit.
    const int total = 70;
    for (int i = 0; i < total; ++i) {
        peer();
        ASSERT_TRUE(passUntil([&] { return static_cast<int>(seen.accepted.size()) == i + 1; }));
    }
    for (int p : peers)
        sendAll(p, "x");
    ASSERT_TRUE(waitUntil([&] {
        for (KSocket* c : seen.accepted)
            if (pendingBytes(c->sock) != 1) return false;
        return true;
    }));
    seen.inputs.clear();
    server.Listen();
    EXPECT_EQ(seen.inputs.size(), 63u);
    for (int i = 0; i < total; ++i) {
        const KSocket* c = seen.accepted[i];
        bool polled = i >= total - 63; // the list is newest first
        EXPECT_EQ(c->inputLength, polled ? 1 : 0) << "connection " << i;
    }
    EXPECT_LE(server.port->readSet.count, 64u);
    EXPECT_LE(server.port->writeSet.count, 64u);
    EXPECT_LE(server.port->exceptSet.count, 64u);
    EXPECT_EQ(listLength(), total);
}

TEST_F(PortTest, DescriptorsPastWhatAnFdSetHoldsAreStillPolled) {
    // A program with many files open: the port's sockets get numbers past FD_SETSIZE.
    int f;
    while ((f = open("/dev/null", O_RDONLY)) >= 0 && f < FD_SETSIZE)
        peers.push_back(f); // closed with the peers
    if (f < 0) GTEST_SKIP() << "this process may not open FD_SETSIZE files";
    peers.push_back(f);
    host(32);
    sendAll(peer(), "high");
    EXPECT_TRUE(passUntil([] { return !seen.inputs.empty() && seen.inputs[0] == "high"; }));
}

TEST(KServerInit, TakenPortIsReportedAndLeavesASafeServer) {
    ScopedLogFolder logs;
    const int port = PORT_BASE + 28;
    int taken = listenOn(port);
    ASSERT_GE(taken, 0);
    {
        KServer server;
        EXPECT_FALSE(server.Init(port, 100, onNewClient, onInput, onClosed));
        EXPECT_EQ(logs.log(), "--> Error : bind !\n");
        EXPECT_EQ(server.port, nullptr);
        server.Listen(); // nothing to do, and no crash
    }
    close(taken);
    KServer later;
    EXPECT_TRUE(later.Init(port, 100, onNewClient, onInput, onClosed));
}

TEST(KServerInit, HostingAgainRightAfterAGameBindsTheSamePort) {
    seen = Seen();
    const int port = PORT_BASE + 29;
    auto server = std::make_unique<KServer>();
    ASSERT_TRUE(server->Init(port, 100, onNewClient, onInput, onClosed));
    int p = connectTo(port);
    ASSERT_TRUE(waitUntil([&] {
        server->Listen();
        return !seen.accepted.empty();
    }));
    // The server side closes first, so its end of the connection lingers in TIME_WAIT.
    server.reset();
    char byte;
    EXPECT_EQ(recv(p, &byte, 1, 0), 0);
    close(p);
    KServer again;
    EXPECT_TRUE(again.Init(port, 100, onNewClient, onInput, onClosed));
}

TEST(KServerCopy, CopiesOwnTheirPortAndConnections) {
    seen = Seen();
    const int port = PORT_BASE + 30;
    KServer original;
    ASSERT_TRUE(original.Init(port, 100, onNewClient, onInput, onClosed));
    int p = connectTo(port);
    ASSERT_TRUE(waitUntil([&] {
        original.Listen();
        return !seen.accepted.empty();
    }));
    {
        KServer copy;
        copy = original;
        ASSERT_NE(copy.port, nullptr);
        ASSERT_NE(copy.port, original.port);
        ASSERT_NE(copy.port->sockets, nullptr);
        EXPECT_NE(copy.port->sockets->sock, original.port->sockets->sock);
    }
    // The copy is gone; the original's connection still works both ways.
    char data[] = "ping";
    EXPECT_EQ(original.port->sockets->Send(data, 4), 4);
    char got[8] = {};
    EXPECT_EQ(recv(p, got, sizeof got, 0), 4);
    sendAll(p, "pong");
    ASSERT_TRUE(waitUntil([&] {
        original.Listen();
        return !seen.inputs.empty();
    }));
    EXPECT_EQ(seen.inputs[0], "pong");
    close(p);
}
