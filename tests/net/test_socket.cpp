// SPDX-License-Identifier: GPL-3.0-or-later
// KSocket: accepting, the read rule on the fixed input buffer, the send rule, copies.
#include "net/KivNetwork.h"
#include "net_test_support.h"

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace nettest;

namespace {

// A listening socket, a peer connected to it and the KSocket that accepted the peer.
struct Accepted {
    int listener = -1;
    int peer = -1;
    std::unique_ptr<KSocket> conn;

    explicit Accepted(int port) {
        listener = listenOn(port);
        peer = connectTo(port);
        conn = std::make_unique<KSocket>(listener, 1);
    }
    ~Accepted() {
        conn.reset();
        if (peer >= 0) close(peer);
        close(listener);
    }
    // Reads until the buffer holds `length` bytes or the time runs out.
    bool receiveUntil(int length) {
        return waitUntil([&] {
            conn->ReceveData();
            return conn->inputLength >= length;
        });
    }
};

} // namespace

TEST(KSocketAccept, NumericHostAndFailedAccept) {
    Accepted a(PORT_BASE + 0);
    EXPECT_EQ(a.conn->status, 1);
    EXPECT_STREQ(a.conn->host, "127.0.0.1");
    EXPECT_EQ(a.conn->name, "player");
    EXPECT_EQ(a.conn->inputLength, 0);
    EXPECT_GE(a.conn->sock, 0);
    // Accepted connections never block the caller.
    EXPECT_TRUE(fcntl(a.conn->sock, F_GETFL) & O_NONBLOCK);

    // Nothing pending on a non-listening descriptor: the accept fails and nothing is owned.
    int notListening = socket(AF_INET, SOCK_STREAM, 0);
    {
        KSocket failed(notListening, 1);
        EXPECT_EQ(failed.status, -3);
        EXPECT_EQ(failed.sock, KNET_NO_SOCKET);
    }
    EXPECT_EQ(fcntl(notListening, F_GETFD), 0) << "a failed accept must close nothing";
    close(notListening);
}

TEST(KSocketRead, FullBufferOverflowsWithoutReading) {
    ScopedLogFolder logs;
    Accepted a(PORT_BASE + 2);
    sendAll(a.peer, "XY");
    ASSERT_TRUE(waitUntil([&] { return pendingBytes(a.conn->sock) == 2; }));

    // 2,046 unconsumed bytes leave room for exactly one more.
    a.conn->inputLength = 2046;
    EXPECT_EQ(a.conn->ReceveData(), 1);
    EXPECT_EQ(a.conn->inputLength, 2047);
    EXPECT_EQ(a.conn->input[2046], 'X');

    // 2,047: overflow, and the waiting byte stays in the socket.
    EXPECT_EQ(a.conn->ReceveData(), -1);
    EXPECT_EQ(logs.log(), "WARNING: process_input: about to close connection: input overflow");
    EXPECT_EQ(pendingBytes(a.conn->sock), 1);
    EXPECT_EQ(a.conn->inputLength, 2047);

    // A count a faulty owner drove below zero must not make the read write before the buffer.
    a.conn->inputLength = -10;
    EXPECT_EQ(a.conn->ReceveData(), -1);
    EXPECT_EQ(pendingBytes(a.conn->sock), 1);
}

TEST(KSocketSend, ResultTable) {
    ScopedLogFolder logs;
    Accepted a(PORT_BASE + 4);
    char data[] = "hello";
    EXPECT_EQ(a.conn->Send(data, 5), 5);
    char got[8] = {};
    EXPECT_EQ(recv(a.peer, got, sizeof got, 0), 5);
    EXPECT_STREQ(got, "hello");

    // Length 0: send returns 0, which counts as failure.
    EXPECT_EQ(a.conn->Send(data, 0), -1);

    // A peer that reads nothing: once the buffers are full a send takes nothing now, and what
    // it was given waits in the connection's queue. (Whether the socket's refusal is logged
    // depends on how far the kernel's buffers grew, so the log is not compared.)
    std::vector<char> block(64 * 1024, 'z');
    int result = 1;
    for (int i = 0; i < 1000 && result > 0; ++i)
        result = a.conn->Send(block.data(), block.size());
    EXPECT_EQ(result, 0);
    EXPECT_GE(a.conn->outputLength, static_cast<int>(block.size()));
}

TEST(KSocketSend, GonePeerIsAnErrorNotASignal) {
    ScopedLogFolder logs;
    // Default SIGPIPE disposition: a send without MSG_NOSIGNAL would end this process.
    std::signal(SIGPIPE, SIG_DFL);
    Accepted a(PORT_BASE + 5);
    close(a.peer);
    a.peer = -1;
    int read = 0;
    ASSERT_TRUE(waitUntil([&] { return (read = a.conn->ReceveData()) != 0; }));
    EXPECT_EQ(read, -1);
    EXPECT_EQ(logs.log(), "WARNING: EOF on socket read (connection broken by peer)");
    char data[] = "anyone?";
    int result = 0;
    for (int i = 0; i < 100 && result >= 0; ++i) {
        result = a.conn->Send(data, 7);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_EQ(result, -1);
}

TEST(KSocketCopy, EachCopyOwnsItsDescriptor) {
    Accepted a(PORT_BASE + 6);
    sendAll(a.peer, "q");
    ASSERT_TRUE(a.receiveUntil(1));
    {
        KSocket copy(*a.conn);
        EXPECT_NE(copy.sock, a.conn->sock);
        EXPECT_EQ(copy.next, nullptr);
        EXPECT_EQ(std::string(copy.input, copy.inputLength), "q");
        EXPECT_STREQ(copy.host, a.conn->host);

        KSocket other(*a.conn);
        KSocket* listed = reinterpret_cast<KSocket*>(0x1);
        other.next = listed;
        other = copy;
        EXPECT_EQ(other.next, listed) << "assignment must not relink a listed connection";
        other.next = nullptr;
    }
    // The copies are gone; the original still talks to the peer.
    char data[] = "still here";
    EXPECT_EQ(a.conn->Send(data, 10), 10);
    char got[16] = {};
    EXPECT_EQ(recv(a.peer, got, sizeof got, 0), 10);
}
