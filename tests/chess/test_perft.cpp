// SPDX-License-Identifier: GPL-3.0-or-later
// Perft at low depths against the published tables: every rule of the generator and of
// make_move shows in these counts. The deep runs are in test_perft_deep.cpp (slow).

#include <gtest/gtest.h>

#include <cstdint>

#include "chess/perft.h"
#include "chess_test_support.h"

using namespace chess_test;

namespace {

struct PerftCase {
    const char* fen;
    int depth;
    uint64_t leaves;
};

constexpr const char* POSITION_3 = "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1";
constexpr const char* POSITION_4 =
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1";
constexpr const char* POSITION_4_MIRRORED =
    "r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1";
constexpr const char* POSITION_5 = "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8";
constexpr const char* POSITION_6 =
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10";

} // namespace

TEST(Perft, PublishedCountsAtLowDepths) {
    const PerftCase cases[] = {
        {START_FEN, 1, 20},     {START_FEN, 2, 400},    {START_FEN, 3, 8902},
        {START_FEN, 4, 197281}, {KIWIPETE, 1, 48},      {KIWIPETE, 2, 2039},
        {KIWIPETE, 3, 97862},   {POSITION_3, 1, 14},    {POSITION_3, 2, 191},
        {POSITION_3, 3, 2812},  {POSITION_3, 4, 43238}, {POSITION_4, 1, 6},
        {POSITION_4, 2, 264},   {POSITION_4, 3, 9467},  {POSITION_4_MIRRORED, 3, 9467},
        {POSITION_5, 1, 44},    {POSITION_5, 2, 1486},  {POSITION_5, 3, 62379},
        {POSITION_6, 1, 46},    {POSITION_6, 2, 2079},  {POSITION_6, 3, 89890},
    };
    for (const PerftCase& c : cases) {
        ASSERT_TRUE(set_fen(c.fen));
        const Snapshot before = snapshot();
        EXPECT_EQ(perft(c.depth), c.leaves) << c.fen << " depth " << c.depth;
        EXPECT_EQ(snapshot(), before) << c.fen;
    }
}
