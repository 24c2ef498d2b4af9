// SPDX-License-Identifier: GPL-3.0-or-later
// The outside engine (chess3d-engine, a real process: waits on real time, for conditions): a
// search asked while another runs drops the first answer, and the second is still taken.

#include <gtest/gtest.h>

#include <poll.h>

#include <chrono>
#include <string>

#include "chess/fen.h"
#include "chess/notation.h"
#include "game/uci_engine.h"

namespace {

// Polls the engine until `done`, sleeping only in poll(2) on its output; false after 60 s.
template <class Done> bool pollUntil(UciEngine& e, Done done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (uciPoll(e); !done(); uciPoll(e)) {
        if (std::chrono::steady_clock::now() > end || e.phase == UciPhase::Failed) return false;
        pollfd output{e.process.output, POLLIN, 0};
        (void)::poll(&output, 1, 100);
    }
    return true;
}

TEST(UciEngine, TheAnswerAskedAfterADroppedSearchIsTaken) {
    UciEngine e;
    std::string error;
    ASSERT_TRUE(uciStart(e, {CHESS3D_ENGINE, "uci"}, ENGINE_LEVEL_MAX, error)) << error;
    ASSERT_TRUE(pollUntil(e, [&] { return e.phase == UciPhase::Ready; }));
    // Twice, as a game that takes back or starts again while the engine thinks, more than once.
    for (uint64_t key = 1; key <= 4; key += 2) {
        uciAsk(e, key,
               "position fen 1r2r2k/1b4q1/pp5p/2pPp1p1/P3Pn2/1P1B1Q1P/2R3P1/4BR1K b - - 1 37\n");
        ASSERT_EQ(e.phase, UciPhase::Searching);
        uciAsk(e, key + 1, "position startpos moves e2e4\n"); // stops the first search
        char move[16] = "";
        ASSERT_TRUE(pollUntil(e, [&] { return uciTakeAnswer(e, key + 1, move); })) << key;
        EXPECT_FALSE(uciTakeAnswer(e, key, move));
        ASSERT_TRUE(set_position_fen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1"));
        EXPECT_NE(text_move(move), 0u) << move; // Black's reply: the second search's
    }
    uciQuit(e);
}

} // namespace
