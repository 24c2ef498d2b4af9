// Reaching a friend: one port takes IPv4 and IPv6 peers, a client connects to either family,
// and both ends of every connection watch for a peer gone without a word. Ports 30000+.
#include "net/KivNetwork.h"
#include "net_test_support.h"

#include <gtest/gtest.h>
#include <netinet/tcp.h>
#include <string>
#include <vector>

using namespace nettest;

namespace {

std::vector<std::string> g_peers; // hosts of the connections the server accepted
std::string g_clientInput;

int onNew(KPort*, KSocket* c) {
    g_peers.push_back(c->host);
    c->Send(const_cast<char*>("S"), 1);
    return 0;
}
void onInput(char*, int* length) {
    *length = 0;
}
void onClosed(const char*, int*) {}
void onClientData(char* input, int* length) {
    g_clientInput.append(input, size_t(*length));
    *length = 0;
}
void onClientFailed(const char*, int*) {}

// The promise a dead peer is noticed within about half a minute, as the kernel holds it.
void expectWatched(int sock, const std::string& end) {
    int keepAlive = 0;
    unsigned int userTimeoutMs = 0;
    socklen_t size = sizeof keepAlive;
    getsockopt(sock, SOL_SOCKET, SO_KEEPALIVE, &keepAlive, &size);
    size = sizeof userTimeoutMs;
    getsockopt(sock, IPPROTO_TCP, TCP_USER_TIMEOUT, &userTimeoutMs, &size);
    EXPECT_EQ(keepAlive, 1) << end;
    EXPECT_GT(userTimeoutMs, 0u) << end;
    EXPECT_LE(userTimeoutMs, 30000u) << end;
}

} // namespace

TEST(Reach, OnePortTakesBothFamiliesAndEveryConnectionWatchesItsPeer) {
    ScopedLogFolder folder;
    g_peers.clear();
    const int port = 30000;
    KServer server;
    ASSERT_TRUE(server.Init(port, 100, onNew, onInput, onClosed));
    struct Row {
        const char* host; // as the joining player gives it
        const char* seen; // as the host shows the newcomer
    };
    const Row rows[] = {
        {"127.0.0.1", "127.0.0.1"}, {"::1", "::1"}, {"[::1]", "::1"}, {"localhost", "127.0.0.1"}};
    for (const Row& row : rows) {
        KClient client;
        g_clientInput.clear();
        int status = -1;
        char host[32];
        std::snprintf(host, sizeof host, "%s", row.host);
        testing::internal::CaptureStderr();
        client.InitConnexion(host, port, onClientData, onClientFailed, &status);
        testing::internal::GetCapturedStderr();
        ASSERT_EQ(status, 0) << row.host;
        // The host's first byte reaches the client: the connection works both ways.
        ASSERT_TRUE(waitUntil([&] {
            server.Listen();
            client.Listen(false);
            return g_clientInput == "S";
        })) << row.host;
        EXPECT_EQ(g_peers.back(), row.seen);
        expectWatched(client.sock, std::string("client of ") + row.host);
        expectWatched(server.port->sockets->sock, std::string("host's end for ") + row.host);
        client.CloseConnexion();
        ASSERT_TRUE(waitUntil([&] {
            server.Listen();
            return server.port->sockets == nullptr;
        }));
    }
}
