// SPDX-License-Identifier: MIT
// Example: a server and a client in one process, both polled from one loop as a game's frame
// loop would, exchanging newline-ended text messages through the library's callbacks.
//
// The client sends "PING 1" .. "PING 5"; the server answers each with "PONG n"; then the client
// leaves and the server is told that "player" closed. Exits 0 when all of that happened within
// five seconds. Usage: net_example [port]
#include <KivNetwork.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

constexpr int ROUNDS = 5;

// Process-wide objects, reached from the callbacks as the game reaches its own.
KServer* server = nullptr;
KClient* client = nullptr;
int pongs = 0;
bool clientGone = false;
bool serverSawClose = false;

// Calls handle(line) for every complete line at the front of input, then moves what is left
// (an incomplete line) to the start: the library's input contract.
template <class Handler> void consumeLines(char* input, int* inputLength, Handler handle) {
    int start = 0;
    for (int i = 0; i < *inputLength; ++i) {
        if (input[i] != '\n') continue;
        input[i] = '\0';
        handle(input + start);
        start = i + 1;
    }
    std::memmove(input, input + start, *inputLength - start);
    *inputLength -= start;
}

void send(KSocket* to, const char* text) {
    to->Send(const_cast<char*>(text), std::strlen(text));
}

int onNewClient(KPort*, KSocket* connection) {
    std::printf("server: new client from %s\n", connection->host);
    return 0;
}

// The server talks to its newest connection, the head of the port's list.
void onServerInput(char* input, int* inputLength) {
    consumeLines(input, inputLength, [](const char* line) {
        int n = 0;
        if (std::sscanf(line, "PING %d", &n) != 1) return;
        char reply[32];
        std::snprintf(reply, sizeof reply, "PONG %d\n", n);
        std::printf("server: got \"%s\", answering\n", line);
        send(server->port->sockets, reply);
    });
}

void onServerClosed(const char* name, int*) {
    std::printf("server: connection closed with %s\n", name);
    serverSawClose = std::strcmp(name, "player") == 0;
}

void onClientInput(char* input, int* inputLength) {
    consumeLines(input, inputLength, [](const char* line) {
        std::printf("client: got \"%s\"\n", line);
        if (std::sscanf(line, "PONG %d", &pongs) != 1 || pongs >= ROUNDS) return;
        char next[32];
        int length = std::snprintf(next, sizeof next, "PING %d\n", pongs + 1);
        client->Send(next, length);
    });
}

void onClientFailed(const char*, int*) {
    std::printf("client: connection failed\n");
    clientGone = true;
}

} // namespace

int main(int argc, char** argv) {
    int port = argc > 1 ? std::atoi(argv[1]) : 29190;
    server = new KServer;
    if (!server->Init(port, 100, onNewClient, onServerInput, onServerClosed)) {
        std::printf("example: port %d is taken\n", port);
        return 1;
    }
    client = new KClient;
    int status = -1;
    char host[] = "127.0.0.1";
    if (!client->InitConnexion(host, port, onClientInput, onClientFailed, &status)) {
        std::printf("example: connection failed with status %d\n", status);
        return 1;
    }
    char first[] = "PING 1\n";
    bool sentFirst = false;

    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < end && !serverSawClose) {
        server->Listen();
        if (client) {
            // The first send waits until the server has accepted the connection.
            if (!sentFirst && server->port->sockets) sentFirst = client->Send(first, 7) == 7;
            client->Listen(true);
            if (pongs == ROUNDS || clientGone) {
                client->CloseConnexion();
                delete client;
                client = nullptr;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    delete server;
    bool ok = pongs == ROUNDS && !clientGone && serverSawClose;
    std::printf("example: %d of %d answers, %s\n", pongs, ROUNDS, ok ? "done" : "FAILED");
    return ok ? 0 : 1;
}
