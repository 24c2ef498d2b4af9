// SPDX-License-Identifier: GPL-3.0-or-later
// Perft at the depths of the published tables that take seconds: the initial position to
// depth 5, Kiwipete to 4, positions 3 to 6 to 6, 5, 4 and 4.

#include <gtest/gtest.h>

#include <cstdint>

#include "chess/perft.h"
#include "chess_test_support.h"

using namespace chess_test;

TEST(PerftDeep, PublishedCounts) {
    struct Case {
        const char* fen;
        int depth;
        uint64_t leaves;
    } cases[] = {
        {START_FEN, 5, 4865609},
        {KIWIPETE, 4, 4085603},
        {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 6, 11030083},
        {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 5, 15833292},
        {"r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1", 4, 422333},
        {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", 4, 2103487},
        {"r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10", 4, 3894594},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(set_fen(c.fen));
        const Snapshot before = snapshot();
        EXPECT_EQ(perft(c.depth), c.leaves) << c.fen << " depth " << c.depth;
        EXPECT_EQ(snapshot(), before) << c.fen;
    }
}
