// SPDX-License-Identifier: GPL-3.0-or-later
// The search beside the caller: the direct call's answers, the caller's engine left alone, orders
// dropped by a new order or a cancel even when their search would run for hours, and nothing
// allocated while it thinks.

#include <chrono>
#include <string>
#include <tuple>
#include <vector>

#include "chess/bench_suite.h"
#include "chess/engine_random.h"
#include "chess/search_thread.h"
#include "tests/chess/chess_test_support.h"
#include "tests/support/allocation_count.h"

namespace {

using namespace chess_test;

// Polls until the answer comes; false after two minutes (a search that never answers).
bool await_answer(SearchThread& thread, SearchAnswer& answer) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (!thread.poll(answer))
        if (std::chrono::steady_clock::now() > end) return false;
    return true;
}

const SearchOrder ENDLESS{30, false, 0, 33554432}; // ends only when told to stop

TEST(SearchThread, AnswersAsTheDirectCallAndLeavesTheCallersEngineAlone) {
    SearchThread thread;
    std::vector<std::string> fens(bench_positions, bench_positions + bench_position_count);
    for (const std::string& fen : sample_positions(4, 20, 36))
        fens.push_back(fen);
    for (size_t i = 0; i < fens.size(); ++i) {
        for (int level = 1; level <= (i < 4 ? 5 : 4); ++level) {
            const SearchOrder order{level, i % 2 == 0, 0, 33554432};
            const std::string where = fens[i] + " level " + std::to_string(level);
            ASSERT_TRUE(set_fen(fens[i].c_str()));
            seed_engine_random(i * 8 + level);
            const SearchAnswer direct = run_search_order(order);
            const uint64_t random_after = engine_random_state();
            seed_engine_random(i * 8 + level);
            const Snapshot before = snapshot();
            SearchAnswer threaded;
            const long allocations = allocationCount(); // none to start, search or answer
            ASSERT_TRUE(thread.start(order) && await_answer(thread, threaded)) << where;
            EXPECT_EQ(allocationCount(), allocations) << where;
            EXPECT_EQ(snapshot(), before) << where;
            EXPECT_EQ(std::tie(threaded.move, threaded.score, threaded.nodes),
                      std::tie(direct.move, direct.score, direct.nodes))
                << where;
            EXPECT_EQ(engine_random_state(), random_after) << where;
            EXPECT_FALSE(thread.thinking());
        }
    }
}

TEST(SearchThread, ANewOrderOrACancelDropsTheSearchUnderWay) {
    SearchThread thread;
    // Level 2 draws among near-best moves: each answer compared is drawn from the same seed.
    const SearchOrder quick{2, false, 0, 33554432};
    SearchAnswer answer;
    for (const char* fen : {KIWIPETE, START_FEN}) {
        ASSERT_TRUE(set_fen(fen));
        seed_engine_random(36);
        const SearchAnswer expected = run_search_order(quick);
        seed_engine_random(36);
        // 1. A new order while an endless search runs (a take-back, a new game while the
        // computer thinks), then 2. an endless search cancelled before the next order.
        ASSERT_TRUE(thread.start(ENDLESS) && thread.thinking());
        if (fen == START_FEN) {
            thread.cancel();
            EXPECT_FALSE(thread.thinking() || thread.poll(answer));
        }
        ASSERT_TRUE(thread.start(quick) && await_answer(thread, answer)) << fen;
        EXPECT_EQ(std::tie(answer.move, answer.nodes), std::tie(expected.move, expected.nodes));
    }
    // 3. Ending the thread stops an endless search (the test would hang otherwise).
    ASSERT_TRUE(thread.start(ENDLESS));
}

} // namespace
