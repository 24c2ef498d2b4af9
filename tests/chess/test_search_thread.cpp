// The search beside the caller: the same answers as the direct call, the caller's own engine
// left alone meanwhile, orders dropped by a new order or a cancel even when their search would
// run for hours, and nothing allocated while it thinks.

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "chess/bench_suite.h"
#include "chess/engine_random.h"
#include "chess/search_thread.h"
#include "tests/chess/chess_test_support.h"
#include "tests/support/allocation_count.h"

namespace {

using namespace chess_test;

// Polls until the answer comes; false after `seconds` of real time (a search that never
// answers), which no correct run comes near.
bool await_answer(SearchThread& thread, SearchAnswer& answer, double seconds = 120) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!thread.poll(answer)) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::yield();
    }
    return true;
}

// At the game's root: search_ply 0 with the moves generated.
::testing::AssertionResult set_root(const char* fen) {
    if (!set_position_fen(fen)) return ::testing::AssertionFailure() << "FEN refused: " << fen;
    search_ply = 0;
    (void)generate_moves();
    return ::testing::AssertionSuccess();
}

// A search that would run for hours: it ends only when told to stop.
const SearchOrder ENDLESS{30, false, 0, 33554432};

TEST(SearchThread, AnswersAsTheDirectCallAndLeavesTheCallersEngineAlone) {
    SearchThread thread;
    ASSERT_TRUE(thread.running());
    std::vector<std::string> fens(bench_positions, bench_positions + bench_position_count);
    for (const std::string& fen : sample_positions(4, 20, 36))
        fens.push_back(fen);
    int compared = 0;
    for (size_t i = 0; i < fens.size(); ++i) {
        for (int level = 1; level <= (i < 4 ? 5 : 4); ++level) {
            const SearchOrder order{level, i % 2 == 0, 0, 33554432};
            const uint64_t seed = 1000 * i + uint64_t(level);
            ASSERT_TRUE(set_root(fens[i].c_str()));
            seed_engine_random(seed);
            const SearchAnswer direct = run_search_order(order);
            const uint64_t random_after = engine_random_state();
            seed_engine_random(seed);
            const Snapshot before = snapshot();
            ASSERT_TRUE(thread.start(order));
            SearchAnswer threaded;
            ASSERT_TRUE(await_answer(thread, threaded)) << fens[i];
            EXPECT_EQ(snapshot(), before);
            EXPECT_EQ(threaded.move, direct.move) << fens[i] << " level " << level;
            EXPECT_EQ(threaded.score, direct.score) << fens[i] << " level " << level;
            EXPECT_EQ(threaded.nodes, direct.nodes) << fens[i] << " level " << level;
            EXPECT_EQ(engine_random_state(), random_after) << fens[i] << " level " << level;
            EXPECT_FALSE(thread.thinking());
            ++compared;
        }
    }
    EXPECT_GT(compared, 300);
}

TEST(SearchThread, ANewOrderOrACancelDropsTheSearchUnderWay) {
    SearchThread thread;
    ASSERT_TRUE(set_root(KIWIPETE));
    // Level 2 draws among near-best moves: each answer compared is drawn from the same seed.
    const SearchOrder quick{2, false, 0, 33554432};
    seed_engine_random(36);
    const SearchAnswer expected = run_search_order(quick);
    seed_engine_random(36);

    // 1. A new order while an endless search runs: the endless one stops, the new one answers.
    ASSERT_TRUE(thread.start(ENDLESS));
    ASSERT_TRUE(thread.thinking());
    ASSERT_TRUE(thread.start(quick));
    SearchAnswer answer;
    ASSERT_TRUE(await_answer(thread, answer));
    EXPECT_EQ(answer.move, expected.move);
    EXPECT_EQ(answer.nodes, expected.nodes);

    // 2. A cancel (a new game, a take-back): no answer is given, and the next order is answered.
    ASSERT_TRUE(thread.start(ENDLESS));
    thread.cancel();
    EXPECT_FALSE(thread.thinking());
    EXPECT_FALSE(thread.poll(answer));
    ASSERT_TRUE(set_root(START_FEN));
    seed_engine_random(36);
    const SearchAnswer opening = run_search_order(quick);
    seed_engine_random(36);
    ASSERT_TRUE(thread.start(quick));
    ASSERT_TRUE(await_answer(thread, answer));
    EXPECT_EQ(answer.move, opening.move);

    // 3. Nothing is allocated to start, search, or answer.
    ASSERT_TRUE(set_root(KIWIPETE));
    const long allocations = allocationCount();
    ASSERT_TRUE(thread.start(SearchOrder{4, true, 0, 33554432}));
    ASSERT_TRUE(await_answer(thread, answer));
    EXPECT_EQ(allocationCount(), allocations);

    // 4. Ending the thread stops an endless search (the test would hang otherwise).
    ASSERT_TRUE(thread.start(ENDLESS));
}

} // namespace
