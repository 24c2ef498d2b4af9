// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A network peer written from the bytes up for the tests: its own encoding of the game's
// messages over a raw loopback socket, never the game's own senders. It plays the other end of
// a game built in the test process.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace peer {

// Messages, byte for byte.
std::string click(char origin, int row, int column);    // 'M' origin 'a'+column '8'-row
std::string clickOff(char origin);                      // 'M' for a click off the board (40, 40)
// 'C' origin, then the line as the chat holds it (the prompt '>' and `text`) cut to 72
// characters, zeros after it, the final zero byte.
std::string chat(char origin, const std::string& text);
std::string answer(bool accepted);                      // 'Q' 'Y' or 'Q' 'N'
// 'S' with the sender's colour ('B' it plays White, 'N' Black) and its recorded moves.
std::string wholeGame(char colour, const std::vector<uint32_t>& moves);

// A recorded move: origin and target (row 0 = rank 8), the piece's colour, kind and index.
uint32_t recordedMove(int fr, int fc, int tr, int tc, int colour, int kind, int index);

// Square index of a coordinate text such as "e2" (row 0 is rank 8).
int square(const char* name);

// A game of `count` knight moves back and forth (b1-c3, b8-c6, c3-b1, c6-b8, ...): any length,
// and legal from the start position.
std::vector<uint32_t> knightShuffle(int count);

// One end of a loopback TCP connection.
class Socket {
public:
    Socket() = default;
    ~Socket();
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    // Connects to 127.0.0.1:port (blocking) from the loopback address `from` (127.0.0.2 stands
    // for another machine); false when refused.
    bool connectTo(int port, const char* from = "127.0.0.1");
    // Listens on 127.0.0.1:port; accept() then takes the game's connection.
    bool listenOn(int port, int backlog = 5);
    bool accept();
    void close();
    bool open() const { return fd_ >= 0; }
    int fd() const { return fd_; }

    // Writes all bytes, in one write when the socket takes them; when it is full, `meanwhile`
    // runs (the game's pass, which reads) before the rest is written.
    void send(const std::string& bytes, const std::function<void()>& meanwhile = {});
    // Reads what has arrived (never waits) and appends it to received(). False once the game
    // has closed the connection.
    bool pump();
    std::string& received() { return received_; }
    bool closedByGame() const { return eof_; }

private:
    int fd_ = -1;
    int listener_ = -1;
    bool eof_ = false;
    std::string received_;
};

} // namespace peer
