// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The whole game built in the test process (one per CTest case) playing one end of a network
// game against a test peer. Network passes run without drawing: the test clock advances the
// animations, ServerStep and ClientStep run as the frame loop runs them.

#include <chrono>
#include <string>
#include <thread>

#include "tests/app/game_fixture.h"
#include "tests/netplay/test_peer.h"

class KSocket;

class NetWorld : public GameFixture {
protected:
    // Straight into hosting as White on `port`, as `chess3d --host white --port N` starts.
    static void host(int port);
    // One pass: `dt` seconds of test clock for the animations, then ServerStep and ClientStep.
    static void pass(double dt = 0.05);
    // Passes until `done` holds; false when it did not within `maxPasses` passes and two
    // seconds. Passes run on the test clock, but what crosses the sockets (a connection, an
    // answer, a close) comes through the kernel, which lags when the machine is busy.
    template <class Done> static bool passUntil(Done done, int maxPasses = 600) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        for (int i = 0;; ++i) {
            if (done()) return true;
            if (i >= maxPasses) {
                if (std::chrono::steady_clock::now() >= end) return false;
                std::this_thread::sleep_for(std::chrono::microseconds(500));
            }
            pass();
        }
    }
    // Passes until no piece glides and the camera rests.
    static void settle();

    // The game's end of the connection: the host's connection to the peer, or the client's.
    static int gameSocket();
    // The peer writes `bytes`; passes run until the game has read every one of them.
    static void deliver(peer::Socket& p, const std::string& bytes);
    // Passes until the game has sent `count` bytes; they are taken from p.received().
    static std::string fromGame(peer::Socket& p, size_t count);

    static std::string info(); // the info line's text
    // The peer's line as the chat shows it: the line received last, from its position 1.
    static std::string lastChatLine();
    // A click of the local player on a square ("e2"), through the board's click handling.
    static void localClick(const char* square);
    // Empty when the board, the game record and the engine agree square by square (pieces,
    // identities, taken pieces, side to move); else what differs.
    static std::string disagreement();
};
