// SPDX-License-Identifier: GPL-3.0-or-later
// KClient: connection status codes, the Listen rule with its two callbacks, ownership of the
// descriptor; and NetLog.
#include "net/KivNetwork.h"
#include "net_test_support.h"

#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <new>
#include <poll.h>
#include <vector>

using namespace nettest;

namespace {

struct ClientSeen {
    std::vector<std::string> data; // the whole input at each onData call
    int failures = 0;
    bool failureArgsNull = true;
    bool consume = false; // consume everything each call
    KClient* deleteOnFailure = nullptr;
};
ClientSeen cs;

void onData(char* input, int* inputLength) {
    cs.data.emplace_back(input, *inputLength);
    if (cs.consume) *inputLength = 0;
}

void onFailed(const char* name, int* value) {
    ++cs.failures;
    cs.failureArgsNull = cs.failureArgsNull && name == nullptr && value == nullptr;
    // As the game does: the failure callback deletes the client that called it.
    if (cs.deleteOnFailure) {
        KClient* c = cs.deleteOnFailure;
        cs.deleteOnFailure = nullptr;
        c->CloseConnexion();
        delete c;
    }
}

// Accepts on a plain listening socket, waiting a bounded time.
int acceptPeer(int listener) {
    int s = -1;
    waitUntil([&] {
        s = accept4(listener, nullptr, nullptr, SOCK_NONBLOCK);
        return s >= 0;
    });
    if (s >= 0) {
        int flags = fcntl(s, F_GETFL);
        fcntl(s, F_SETFL, flags & ~O_NONBLOCK);
    }
    return s;
}

class ClientTest : public ::testing::Test {
protected:
    void SetUp() override { cs = ClientSeen(); }
};

// The connection attempt on s has ended in an error (poll leaves the error to the next read).
bool refused(int s) {
    pollfd p{s, POLLOUT, 0};
    return poll(&p, 1, 0) == 1 && (p.revents & (POLLERR | POLLHUP));
}

bool descriptorOpen(int fd) {
    return fcntl(fd, F_GETFD) != -1;
}

} // namespace

TEST_F(ClientTest, StatusCodes) {
    const int port = PORT_BASE + 50;
    int listener = listenOn(port);
    ASSERT_GE(listener, 0);
    char localhost[] = "localhost";
    char dotted[] = "127.0.0.1";
    // An address followed by a blank is still an address: no name look-up, no "not found".
    char dottedWithBlank[] = "127.0.0.1 ";
    char noHost[] = "no such host!";

    struct Row {
        char* host;
        bool result;
        int status;
        bool saysNotFound;
    };
    const Row rows[] = {
        {localhost, true, 0, false},
        {dotted, true, 0, false},
        {dottedWithBlank, true, 0, false},
        {noHost, false, 2, true},
    };
    for (const Row& row : rows) {
        KClient client;
        int status = -1;
        testing::internal::CaptureStderr();
        bool result = client.InitConnexion(row.host, port, onData, onFailed, &status);
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(result, row.result) << "[" << row.host << "]";
        EXPECT_EQ(status, row.status) << "[" << row.host << "]";
        EXPECT_EQ(err.find("host not found\n") != std::string::npos, row.saysNotFound)
            << "[" << row.host << "] " << err;
        EXPECT_EQ(err.rfind("Attempting a connection with " + std::string(row.host) + " on port " +
                                std::to_string(port) + "\n",
                            0),
                  0u)
            << err;
    }
    // No address at all and no status pointer: a clean refusal.
    KClient client;
    EXPECT_FALSE(client.InitConnexion(nullptr, port, onData, onFailed, nullptr));
    close(listener);
}

TEST_F(ClientTest, RefusedConnectionReportsOnlyWhenAskedAndEveryTime) {
    // Nothing listens on this port: refused at once (3), or later while under way (0).
    KClient client;
    int status = -1;
    char host[] = "127.0.0.1";
    testing::internal::CaptureStderr();
    bool started = client.InitConnexion(host, PORT_BASE + 51, onData, onFailed, &status);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, started ? 0 : 3);
    EXPECT_EQ(err.find("Connection refused by remote host.\n") != std::string::npos, !started);
    ASSERT_TRUE(waitUntil([&] { return refused(client.sock); }));

    for (int i = 0; i < 3; ++i)
        client.Listen(false);
    EXPECT_EQ(cs.failures, 0);
    for (int i = 0; i < 3; ++i)
        client.Listen(true);
    EXPECT_EQ(cs.failures, 3);
    EXPECT_TRUE(cs.failureArgsNull);
    EXPECT_TRUE(cs.data.empty()) << "no input callback on a failed connection";
}

TEST_F(ClientTest, ListenHandsOverEveryCallAndJoinsPieces) {
    const int port = PORT_BASE + 53;
    int listener = listenOn(port);
    KClient client;
    int status = -1;
    char host[] = "127.0.0.1";
    ASSERT_TRUE(client.InitConnexion(host, port, onData, onFailed, &status));
    int peer = acceptPeer(listener);
    ASSERT_GE(peer, 0);

    // Connected, nothing sent: the callback still runs, with length 0.
    client.Listen(true);
    ASSERT_EQ(cs.data.size(), 1u);
    EXPECT_EQ(cs.data[0], "");

    sendAll(peer, "ab");
    ASSERT_TRUE(waitUntil([&] {
        client.Listen(true);
        return cs.data.back() == "ab";
    }));
    sendAll(peer, "cd");
    ASSERT_TRUE(waitUntil([&] {
        client.Listen(true);
        return cs.data.back() == "abcd";
    }));

    // The other way: what the client sends arrives whole.
    char message[] = "M1234";
    EXPECT_EQ(client.Send(message, 5), 5);
    char got[8] = {};
    EXPECT_EQ(recv(peer, got, sizeof got, 0), 5);
    EXPECT_STREQ(got, "M1234");
    EXPECT_EQ(client.Send(message, -1), -1) << "a negative length sends nothing";
    EXPECT_EQ(client.Send(message, 0), -1);

    // The peer leaves: reported through the failure callback, not as data.
    close(peer);
    cs.consume = true;
    ASSERT_TRUE(waitUntil([&] {
        client.Listen(true);
        return cs.failures > 0;
    }));
    EXPECT_EQ(cs.failures, 1);
    close(listener);
}

TEST_F(ClientTest, FullBufferIsAFailureWithoutReading) {
    const int port = PORT_BASE + 54;
    int listener = listenOn(port);
    KClient client;
    int status = -1;
    char host[] = "127.0.0.1";
    ASSERT_TRUE(client.InitConnexion(host, port, onData, onFailed, &status));
    int peer = acceptPeer(listener);
    sendAll(peer, std::string(2047, 'x'));
    ASSERT_TRUE(waitUntil([&] {
        client.Listen(false);
        return client.inputLength == 2047;
    }));
    sendAll(peer, "y");
    ASSERT_TRUE(waitUntil([&] { return pendingBytes(client.sock) == 1; }));
    int calls = static_cast<int>(cs.data.size());
    client.Listen(true);
    EXPECT_EQ(cs.failures, 1);
    EXPECT_EQ(static_cast<int>(cs.data.size()), calls);
    EXPECT_EQ(client.inputLength, 2047);
    EXPECT_EQ(pendingBytes(client.sock), 1) << "nothing read into a full buffer";
    close(peer);
    close(listener);
}

TEST_F(ClientTest, FailureCallbackMayDeleteTheClient) {
    const int port = PORT_BASE + 55;
    auto* client = new KClient;
    int status = -1;
    char host[] = "127.0.0.1";
    (void)client->InitConnexion(host, port, onData, onFailed, &status);
    ASSERT_TRUE(waitUntil([&] { return refused(client->sock); }));
    cs.deleteOnFailure = client;
    client->Listen(true); // deletes the client from inside; the sanitizer build checks the rest
    EXPECT_EQ(cs.failures, 1);
    EXPECT_EQ(cs.deleteOnFailure, nullptr);
}

TEST_F(ClientTest, NeverClosesADescriptorItDoesNotOwn) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    // A client destroyed before any connection: whatever was in its memory is no descriptor.
    alignas(KClient) unsigned char memory[sizeof(KClient)];
    std::memset(memory, 0, sizeof memory);
    std::memcpy(memory, &fds[0], sizeof(int));
    auto* fresh = new (memory) KClient;
    fresh->~KClient();
    EXPECT_TRUE(descriptorOpen(fds[0]));

    // Closed twice: the second close must not hit a descriptor that reused the number.
    const int port = PORT_BASE + 56;
    int listener = listenOn(port);
    {
        KClient client;
        int status = -1;
        char host[] = "127.0.0.1";
        ASSERT_TRUE(client.InitConnexion(host, port, onData, onFailed, &status));
        int number = client.sock;
        client.CloseConnexion();
        int reused = dup(fds[1]);
        EXPECT_EQ(reused, number);
        client.CloseConnexion();
        EXPECT_TRUE(descriptorOpen(reused));
        close(reused);
    }
    close(listener);
    close(fds[0]);
    close(fds[1]);
}

TEST(NetLogFile, HoldsOnlyTheLastMessage) {
    ScopedLogFolder logs;
    testing::internal::CaptureStdout();
    NetLog("first %d\n", 1);
    NetLog("second %s", "two");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "first 1\nsecond two");
    EXPECT_EQ(logs.log(), "second two");
}

TEST(NetLogFile, NeverWritesThroughALink) {
    ScopedLogFolder logs; // the current folder
    std::ofstream("elsewhere.txt") << "keep me";
    ASSERT_EQ(symlink("elsewhere.txt", "NetLog.txt"), 0);
    NetLog("through the link?\n");
    EXPECT_EQ(readFile("elsewhere.txt"), "keep me");
}

TEST(NetLogFile, UnwritableFileStillReachesStandardOutput) {
    ScopedLogFolder logs;
    ASSERT_EQ(mkdir((logs.folder() + "/NetLog.txt").c_str(), 0700), 0);
    testing::internal::CaptureStdout();
    NetLog("kept %s\n", "anyway");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "kept anyway\n");
}
