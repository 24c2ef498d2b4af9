// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for the network library's tests: raw loopback peers, bounded waits, NetLog.txt in a
// folder of the test's own. Every test uses its own port (PORT_BASE + an offset unique across
// the net tests) so test processes running side by side never meet. The ports lie below the
// kernel's ephemeral range (32768 and up), where no outgoing connection can be holding them.
#pragma once

#include <arpa/inet.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <string>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace nettest {

constexpr int PORT_BASE = 29100;

inline sockaddr_in loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<unsigned short>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

// A blocking peer connected to 127.0.0.1:port whose reads give up after two seconds.
inline int connectTo(int port) {
    int s = socket(AF_INET, SOCK_STREAM, 0);
    timeval limit{2, 0};
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    sockaddr_in a = loopback(port);
    if (connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) < 0) {
        close(s);
        return -1;
    }
    return s;
}

// A plain listening socket on 127.0.0.1:port (for tests that need a peer server).
inline int listenOn(int port) {
    int s = socket(AF_INET, SOCK_STREAM, 0);
    int on = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a = loopback(port);
    if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) < 0 || listen(s, 5) < 0) {
        close(s);
        return -1;
    }
    return s;
}

inline void sendAll(int s, const std::string& bytes) {
    ::send(s, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

// Bytes waiting to be read on a descriptor.
inline int pendingBytes(int s) {
    int n = 0;
    ioctl(s, FIONREAD, &n);
    return n;
}

// Calls step until it returns true, for at most `seconds`. Returns whether it did.
template <class Step> bool waitUntil(Step step, double seconds = 3.0) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (step()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return step();
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs the test in a fresh folder, so that NetLog.txt is this test's alone.
class ScopedLogFolder {
public:
    ScopedLogFolder() {
        char pattern[] = "/tmp/kivnet-test-XXXXXX";
        folder_ = mkdtemp(pattern);
        char here[4096];
        previous_ = getcwd(here, sizeof here) ? here : "/tmp";
        if (chdir(folder_.c_str()) != 0) std::abort();
    }
    ~ScopedLogFolder() {
        if (chdir(previous_.c_str()) != 0) std::abort();
        std::string cleanup = "rm -rf " + folder_;
        if (std::system(cleanup.c_str()) != 0) return;
    }
    std::string log() const { return readFile(folder_ + "/NetLog.txt"); }
    const std::string& folder() const { return folder_; }

private:
    std::string folder_;
    std::string previous_;
};

} // namespace nettest
