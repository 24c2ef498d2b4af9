// SPDX-License-Identifier: GPL-3.0-or-later
// Search: mates, stalemate, draws, the progress lines, the time budget, and long games.

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "chess/bench_suite.h"
#include "chess/computer_move.h"
#include "chess/opening_book.h"
#include "chess_test_support.h"
#include "tests/support/allocation_count.h"

using namespace chess_test;

namespace {

// think at the game's settings, returning what it printed.
std::string think_output(int output, int depth = 4) {
    max_depth = depth;
    max_time_ms = 33554432;
    testing::internal::CaptureStdout();
    think(output);
    return testing::internal::GetCapturedStdout();
}

// Plays the knights out and back (g1f3 g8f6 f3g1 f6g8 ...) from the start position for
// `half_moves` more half-moves at the root, as the game keeps its moves on the undo stack.
::testing::AssertionResult shuffle_knights(int half_moves) {
    static const char* const cycle[4] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    for (int k = 0; k < half_moves; ++k) {
        ::testing::AssertionResult r = play({cycle[history_ply % 4]});
        if (!r) return r << " at half-move " << k;
        search_ply = 0;
    }
    return ::testing::AssertionSuccess();
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Reads depth, node count and score from a table line and prints them back in the table's
// format: equal only when the widths and spacing are right.
std::string table_line_reprinted(const std::string& line, int* score) {
    int depth = 0, nodes = 0;
    if (std::sscanf(line.c_str(), "%d %d %d", &depth, &nodes, score) != 3) return "(unreadable)";
    char head[64];
    std::snprintf(head, sizeof head, "%3d  %9d  %5d ", depth, nodes, *score);
    return head + line.substr(std::min(line.size(), std::string(head).size()));
}

class Search : public ::testing::Test {
protected:
    void TearDown() override {
        max_depth = 4;
        max_time_ms = 33554432;
        max_nodes = INT64_MAX;
        ply_first_move[0] = 0;
    }
};

} // namespace

TEST_F(Search, MateInOneIsFoundAtDepthTwoAndEndsTheIterations) {
    struct Case {
        const char* fen;
        const char* mate;
    } cases[] = {
        {"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", "d1d8"},
        {"3r2k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1", "d8d1"},
        {"r1bqkbnr/pppp1ppp/2n5/4p3/2B1P3/5Q2/PPPP1PPP/RNB1K1NR w KQkq - 2 3", "f3f7"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(set_fen(c.fen));
        const std::vector<std::string> lines = lines_of(think_output(1));
        ASSERT_EQ(lines.size(), 3u) << c.fen; // header, depth 1, depth 2: then it stops
        int score = 0;
        EXPECT_EQ(table_line_reprinted(lines[2], &score), lines[2]);
        EXPECT_EQ(score, 9999) << c.fen;
        EXPECT_EQ(lines[2].substr(lines[2].size() - 6), std::string("  ") + c.mate);
        EXPECT_STREQ(move_text(pv_table[0][0]), c.mate) << c.fen;
    }
}

TEST_F(Search, NoLegalMoveLeavesNoChoiceAndThePositionAlone) {
    for (const char* fen : {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", // stalemate
                            "rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3"}) {
        ASSERT_TRUE(set_fen(fen));
        const Snapshot before = snapshot();
        think_output(0);
        EXPECT_EQ(pv_table[0][0], 0u) << fen;
        EXPECT_EQ(snapshot(), before) << fen;
    }
    // Mated at the root: -10000 at depth 1 ends the search; stalemate scores 0.
    ASSERT_TRUE(set_fen("rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3"));
    EXPECT_EQ(think_output(1), "ply      nodes  score  pv\n  1          1  -10000 \n");
    ASSERT_TRUE(set_fen("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1"));
    EXPECT_EQ(search(-MATE_SCORE, MATE_SCORE, 3), 0);
}

TEST_F(Search, ThinkLeavesEveryPositionAsItFoundIt) {
    int chosen = 0;
    for (const std::string& fen : sample_positions(6, 40, 9)) {
        ASSERT_TRUE(set_fen(fen.c_str()));
        const Snapshot before = snapshot();
        think_output(0, 3);
        ASSERT_EQ(snapshot(), before) << fen;
        chosen += pv_table[0][0] != 0;
    }
    EXPECT_GT(chosen, 100);
}

TEST_F(Search, ProgressLinesOfBothOutputModes) {
    ASSERT_TRUE(set_fen(START_FEN));
    const std::vector<std::string> table = lines_of(think_output(1));
    ASSERT_EQ(table.size(), 5u);
    EXPECT_EQ(table[0], "ply      nodes  score  pv");
    for (int d = 1; d <= 4; ++d) {
        int score = 0;
        EXPECT_EQ(table_line_reprinted(table[d], &score), table[d]);
        EXPECT_EQ(table[d].compare(0, 3, "  " + std::to_string(d)), 0) << table[d];
        // One principal-variation move per ply at least, each after one space.
        EXPECT_GE(table[d].size(), 22u + 5 * d) << table[d];
    }
    EXPECT_EQ(table[1], "  1         21     48  d2d4"); // 20 replies plus the root

    // Compact lines: depth, score, hundredths of a second, nodes, then the moves.
    const std::vector<std::string> compact = lines_of(think_output(2));
    ASSERT_EQ(compact.size(), 4u);
    int depth = 0, score = 0, centiseconds = -1, nodes = 0;
    ASSERT_EQ(std::sscanf(compact[0].c_str(), "%d %d %d %d", &depth, &score, &centiseconds, &nodes),
              4);
    EXPECT_EQ(compact[0], "1 48 " + std::to_string(centiseconds) + " 21 d2d4");
    EXPECT_EQ(think_output(0), "");
}

TEST_F(Search, RepetitionBelowTheRootAndTheFiftyMoveRuleScoreZero) {
    // White is a queen up; the knights return so the start placement repeats.
    ASSERT_TRUE(set_fen("rnb1kbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"));
    ASSERT_TRUE(play({"g1f3", "g8f6", "f3g1", "f6g8"}));
    ASSERT_EQ(repetition_count(), 1);
    EXPECT_EQ(search(-MATE_SCORE, MATE_SCORE, 1), 0); // search_ply is 4: below the root
    search_ply = 0;
    EXPECT_GT(search(-MATE_SCORE, MATE_SCORE, 1), 800); // at the root the count is ignored

    ASSERT_TRUE(set_fen("4k3/8/8/8/8/8/8/Q3K3 w - - 99 80"));
    EXPECT_GT(search(-MATE_SCORE, MATE_SCORE, 1), 800);
    ASSERT_TRUE(set_fen("4k3/8/8/8/8/8/8/Q3K3 w - - 100 80"));
    EXPECT_EQ(search(-MATE_SCORE, MATE_SCORE, 1), 0);
    think_output(0, 2);
    EXPECT_NE(pv_table[0][0], 0u); // a move is still chosen
}

TEST_F(Search, MoveTextOfPlainMovesAndPromotions) {
    struct Case {
        Move move;
        const char* text;
    } cases[] = {
        {{52, 36, 0, MF_PAWN | MF_DOUBLE_PUSH}, "e2e4"},
        {{12, 4, QUEEN, MF_PAWN | MF_PROMOTE}, "e7e8q"},
        {{12, 4, KNIGHT, MF_PAWN | MF_PROMOTE}, "e7e8n"},
        {{12, 5, BISHOP, MF_PAWN | MF_CAPTURE | MF_PROMOTE}, "e7f8b"},
        {{12, 4, ROOK, MF_PAWN | MF_PROMOTE}, "e7e8r"},
        {{49, 56, QUEEN, MF_PAWN | MF_CAPTURE | MF_PROMOTE}, "b2a1q"},
        {{60, 62, 0, MF_CASTLE}, "e1g1"},
        {{0, 63, QUEEN, 0}, "a8h1"}, // a promotion piece without the flag prints nothing
        {{0, 0, 0, 0}, "a8a8"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(move_text(c.move), c.text);
}

TEST_F(Search, ExhaustedBudgetUnwindsAndRestoresThePosition) {
    ASSERT_TRUE(set_fen(KIWIPETE));
    const Snapshot before = snapshot();
    max_depth = 8;
    max_time_ms = 0;
    think(0);
    EXPECT_EQ(stop_search, 1);
    EXPECT_EQ(node_count, 1024); // the clock is read every 1024 nodes
    EXPECT_EQ(snapshot(), before);
}

TEST_F(Search, NodeBudgetEndsTheSearchMidIterationAndTheCountHas64Bits) {
    ASSERT_TRUE(set_fen(KIWIPETE));
    max_depth = 8;
    max_nodes = 5000;
    think(0);
    EXPECT_EQ(node_count, 5000); // not the end of the iteration that passed it
    EXPECT_NE(pv_table[0][0], 0u);
    // An infinite search passes 2^31 nodes after some hours: the count goes on from there.
    max_nodes = INT64_MAX;
    stop_search = 0;
    stop_time_ms = INT64_MAX;
    node_count = int64_t(INT32_MAX) - 100;
    (void)search(-MATE_SCORE, MATE_SCORE, 3);
    EXPECT_GT(node_count, int64_t(INT32_MAX) + 1000);
}

TEST_F(Search, LargestBudgetDoesNotWrapTheStopTime) {
    ASSERT_TRUE(set_fen(START_FEN));
    max_depth = 3;
    max_time_ms = INT_MAX;
    think(0);
    EXPECT_EQ(stop_search, 0);
    EXPECT_EQ(stop_time_ms - start_time_ms, int64_t(INT_MAX));
    EXPECT_NE(pv_table[0][0], 0u);
}

TEST_F(Search, EngineStillAnswersInLongGames) {
    ASSERT_TRUE(set_fen(START_FEN));
    ASSERT_TRUE(shuffle_knights(450)); // beyond the 400 records a short stack would hold
    think_output(0);
    EXPECT_NE(pv_table[0][0], 0u);

    ASSERT_TRUE(shuffle_knights(UNDO_STACK_SIZE - 2 - 450));
    ASSERT_EQ(history_ply, UNDO_STACK_SIZE - 2);
    Snapshot before = snapshot();
    think_output(0);
    EXPECT_NE(pv_table[0][0], 0u); // one record left: the engine still answers
    EXPECT_EQ(snapshot(), before);

    ASSERT_TRUE(shuffle_knights(1));
    before = snapshot();
    think_output(0);
    EXPECT_EQ(pv_table[0][0], 0u); // at the bound: no move rather than a write past it
    EXPECT_EQ(snapshot(), before);
}

TEST_F(Search, FullMoveStackEndsLinesWithoutWritingPastIt) {
    // Kiwipete has 48 moves for White and about as many replies: started near the end of the
    // stack, the root fits but the replies do not, and those nodes evaluate instead.
    ASSERT_TRUE(set_fen(KIWIPETE));
    const Snapshot before = snapshot();
    ply_first_move[0] = MOVE_STACK_SIZE - 60;
    think_output(0, 3);
    EXPECT_NE(pv_table[0][0], 0u);
    EXPECT_EQ(snapshot(), before);
    ply_first_move[0] = MOVE_STACK_SIZE - 20; // not even the root fits
    think_output(0, 3);
    EXPECT_EQ(pv_table[0][0], 0u);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(Search, ShallowBenchSignature) {
    // Any change of generation order, ordering scores, evaluation or search shows here.
    EXPECT_EQ(run_bench(2, nullptr), 35730);
}

TEST_F(Search, SearchAllocatesNothing) {
    ASSERT_TRUE(set_fen(KIWIPETE));
    max_depth = 4;
    ::operator delete(::operator new(4)); // the counter sees allocations
    ASSERT_GT(allocationCount(), 0);
    const long before = allocationCount();
    think(0);
    EXPECT_EQ(allocationCount(), before);
    EXPECT_GT(node_count, 10000);
    (void)opening_book_summary(); // built: then no allocation by a weak level's nor a book move
    const long built = allocationCount();
    EXPECT_NE(computer_move(2, true, 0), 0u);
    ASSERT_TRUE(set_fen(START_FEN));
    EXPECT_NE(computer_move(4, true, 0), 0u);
    EXPECT_EQ(allocationCount(), built);
}
