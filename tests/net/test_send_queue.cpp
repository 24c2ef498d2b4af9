// SPDX-License-Identifier: GPL-3.0-or-later
// The output queue: what a socket does not take at once is sent later, whole and in order;
// a queue that would overflow closes its connection.
#include "net/KivNetwork.h"
#include "net_test_support.h"

#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <vector>

using namespace nettest;

namespace {

int g_closed = 0;
int g_failures = 0;
KSocket* g_accepted = nullptr;

int onNew(KPort*, KSocket* c) {
    g_accepted = c;
    return 0;
}
void onInput(char*, int* length) {
    *length = 0;
}
void onClosed(const char*, int*) {
    ++g_closed;
}
void onData(char*, int* length) {
    *length = 0;
}
void onFailed(const char*, int*) {
    ++g_failures;
}

// 100 numbered messages of 1,000 bytes: far more than a slow reader's socket takes at once,
// less than the output queue holds.
constexpr int MESSAGES = 100, MESSAGE_BYTES = 1000;

std::vector<char> message(int number) {
    std::vector<char> m(MESSAGE_BYTES);
    for (int j = 0; j < MESSAGE_BYTES; ++j)
        m[j] = char((number * 31 + j) & 0xff);
    return m;
}

std::vector<char> allMessages() {
    std::vector<char> all;
    for (int i = 0; i < MESSAGES; ++i) {
        std::vector<char> m = message(i);
        all.insert(all.end(), m.begin(), m.end());
    }
    return all;
}

// A peer whose socket takes little: a small receive buffer set before connecting.
int slowPeer(int port) {
    int s = socket(AF_INET, SOCK_STREAM, 0);
    int small = 4096;
    setsockopt(s, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in a = loopback(port);
    if (connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) < 0) {
        close(s);
        return -1;
    }
    return s;
}

// Reads without blocking until `expected` bytes came or the time ran out, running `pass` (the
// owner's poll) between reads.
template <class Pass> std::vector<char> drain(int peer, size_t expected, Pass pass) {
    std::vector<char> got;
    char chunk[8192];
    waitUntil(
        [&] {
            pass();
            ssize_t n;
            while ((n = recv(peer, chunk, sizeof chunk, MSG_DONTWAIT)) > 0)
                got.insert(got.end(), chunk, chunk + n);
            return got.size() >= expected;
        },
        10.0);
    return got;
}

void smallSendBuffer(int sock) {
    int small = 4096;
    setsockopt(sock, SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
}

class SendQueueTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_closed = g_failures = 0;
        g_accepted = nullptr;
    }
};

} // namespace

TEST_F(SendQueueTest, HostOutputTheSocketCouldNotTakeArrivesWholeAndInOrder) {
    const int port = PORT_BASE + 40;
    KServer server;
    ASSERT_TRUE(server.Init(port, 100, onNew, onInput, onClosed));
    int peer = slowPeer(port);
    ASSERT_TRUE(waitUntil([&] {
        server.Listen();
        return g_accepted != nullptr;
    }));
    smallSendBuffer(g_accepted->sock);
    int queuedAtSomePoint = 0;
    for (int i = 0; i < MESSAGES; ++i) {
        std::vector<char> m = message(i);
        ASSERT_GE(g_accepted->Send(m.data(), m.size()), 0) << "message " << i;
        queuedAtSomePoint = std::max(queuedAtSomePoint, g_accepted->outputLength);
    }
    EXPECT_GT(queuedAtSomePoint, 0) << "the socket took everything: nothing was tested";
    std::vector<char> got = drain(peer, MESSAGES * MESSAGE_BYTES, [&] { server.Listen(); });
    EXPECT_TRUE(got == allMessages()) << "received " << got.size() << " bytes";
    EXPECT_EQ(g_closed, 0);
    close(peer);
}

TEST_F(SendQueueTest, ClientOutputTheSocketCouldNotTakeArrivesWholeAndInOrder) {
    const int port = PORT_BASE + 41;
    int listener = listenOn(port);
    int small = 4096;
    setsockopt(listener, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    KClient client;
    int status = -1;
    char host[] = "127.0.0.1";
    ASSERT_TRUE(client.InitConnexion(host, port, onData, onFailed, &status));
    int peer = -1;
    ASSERT_TRUE(waitUntil([&] { return (peer = accept(listener, nullptr, nullptr)) >= 0; }));
    smallSendBuffer(client.sock);
    // Sent right away, before any Listen has seen the connection established.
    for (int i = 0; i < MESSAGES; ++i) {
        std::vector<char> m = message(i);
        ASSERT_GE(client.Send(m.data(), int(m.size())), 0) << "message " << i;
    }
    EXPECT_GT(client.outputLength, 0) << "the socket took everything: nothing was tested";
    std::vector<char> got = drain(peer, MESSAGES * MESSAGE_BYTES, [&] { client.Listen(true); });
    EXPECT_TRUE(got == allMessages()) << "received " << got.size() << " bytes";
    EXPECT_EQ(g_failures, 0);
    close(peer);
    close(listener);
}

TEST_F(SendQueueTest, AFullQueueClosesThatConnectionWithALogLine) {
    ScopedLogFolder logs;
    const int port = PORT_BASE + 42;
    KServer server;
    ASSERT_TRUE(server.Init(port, 100, onNew, onInput, onClosed));
    int peer = slowPeer(port); // never reads
    ASSERT_TRUE(waitUntil([&] {
        server.Listen();
        return g_accepted != nullptr;
    }));
    smallSendBuffer(g_accepted->sock);
    std::vector<char> block(16 * 1024, 'q');
    int result = 0, sends = 0;
    while (result >= 0 && sends < 10000) {
        result = g_accepted->Send(block.data(), block.size());
        ++sends;
    }
    ASSERT_EQ(result, -1);
    EXPECT_EQ(logs.log(), "WARNING: send queue full: about to close connection\n");
    EXPECT_LE(g_accepted->outputLength, KNET_OUTPUT_SIZE);
    EXPECT_EQ(g_accepted->Send(block.data(), 1), -1) << "nothing more goes out on it";
    server.Listen();
    EXPECT_EQ(g_closed, 1);
    EXPECT_EQ(server.port->sockets, nullptr);
    close(peer);

    // The client side: the overflowing Send closes the socket, and the next Listen says so.
    const int port2 = PORT_BASE + 43;
    int listener = listenOn(port2);
    KClient client;
    int status = -1;
    char host[] = "127.0.0.1";
    ASSERT_TRUE(client.InitConnexion(host, port2, onData, onFailed, &status));
    smallSendBuffer(client.sock);
    result = 0;
    sends = 0;
    while (result >= 0 && sends < 10000) {
        result = client.Send(block.data(), int(block.size()));
        ++sends;
    }
    ASSERT_EQ(result, -1);
    EXPECT_EQ(client.sock, KNET_NO_SOCKET);
    client.Listen(true);
    EXPECT_EQ(g_failures, 1);
    close(listener);
}
