// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/netplay/test_peer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace peer {

std::string click(char origin, int row, int column) {
    return {'M', origin, char('a' + column), char('8' - row)};
}

std::string clickOff(char origin) {
    return click(origin, 40, 40);
}

std::string chat(char origin, const std::string& text) {
    std::string m(75, '\0');
    m[0] = 'C';
    m[1] = origin;
    const std::string line = ">" + text;
    for (size_t i = 0; i < line.size() && i < 72; ++i)
        m[2 + i] = line[i];
    return m;
}

std::string answer(bool accepted) {
    return {'Q', accepted ? 'Y' : 'N'};
}

std::string wholeGame(char colour, const std::vector<uint32_t>& moves) {
    const size_t length = moves.size() * 4;
    std::string m = {'S', colour, char(length & 0xff), char((length >> 8) & 0xff)};
    for (uint32_t v : moves)
        for (int k = 0; k < 4; ++k)
            m.push_back(char((v >> (8 * k)) & 0xff));
    return m;
}

uint32_t recordedMove(int fr, int fc, int tr, int tc, int colour, int kind, int index) {
    return uint32_t(tc | tr << 4 | fc << 8 | fr << 12 | kind << 16 | index << 20 | colour << 24);
}

int square(const char* name) {
    return ('8' - name[1]) * 8 + (name[0] - 'a');
}

std::vector<uint32_t> knightShuffle(int count) {
    constexpr int KNIGHT = 6;
    const uint32_t cycle[4] = {
        recordedMove(7, 1, 5, 2, 0, KNIGHT, 0), // b1-c3
        recordedMove(0, 1, 2, 2, 1, KNIGHT, 0), // b8-c6
        recordedMove(5, 2, 7, 1, 0, KNIGHT, 0), // c3-b1
        recordedMove(2, 2, 0, 1, 1, KNIGHT, 0), // c6-b8
    };
    std::vector<uint32_t> moves;
    for (int i = 0; i < count; ++i)
        moves.push_back(cycle[i % 4]);
    return moves;
}

namespace {

sockaddr_in loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

} // namespace

Socket::~Socket() {
    close();
    if (listener_ >= 0) ::close(listener_);
}

bool Socket::connectTo(int port, const char* from) {
    close();
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in source = loopback(0), a = loopback(port);
    inet_pton(AF_INET, from, &source.sin_addr);
    if (bind(fd_, reinterpret_cast<sockaddr*>(&source), sizeof source) == 0 &&
        ::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
        int flags = fcntl(fd_, F_GETFL);
        fcntl(fd_, F_SETFL, flags | O_NONBLOCK);
        // Each message goes out when sent: a small one held back for the game's delayed
        // acknowledgement would cost 40 ms of real time per message.
        int on = 1;
        setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        return true;
    }
    close();
    return false;
}

bool Socket::listenOn(int port, int backlog) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    int on = 1;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a = loopback(port);
    return bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
           listen(listener_, backlog) == 0;
}

bool Socket::accept() {
    int s = accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK);
    if (s < 0) return false;
    close();
    fd_ = s;
    return true;
}

void Socket::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    eof_ = false;
}

void Socket::send(const std::string& bytes, const std::function<void()>& meanwhile) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += size_t(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (meanwhile) meanwhile(); // the game reads on its pass
            usleep(200);
        } else {
            return;
        }
    }
}

bool Socket::pump() {
    char chunk[4096];
    for (;;) {
        ssize_t n = recv(fd_, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n > 0) {
            received_.append(chunk, size_t(n));
            continue;
        }
        if (n == 0) eof_ = true;
        return !eof_;
    }
}

} // namespace peer
