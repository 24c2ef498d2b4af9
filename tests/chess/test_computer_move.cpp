// SPDX-License-Identifier: GPL-3.0-or-later
// The opening book (lines, weighted pick, transpositions, leaving it) and levels 1-3's near-best
// choice against full searches (level 4 and up: tests/chess/test_bench_signature.cpp).

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>

#include "chess/bench_suite.h"
#include "chess/computer_move.h"
#include "chess/engine_random.h"
#include "chess/evaluate.h"
#include "chess/notation.h"
#include "chess/opening_book.h"
#include "chess_test_support.h"

using namespace chess_test;

namespace {

// Plays SAN moves from the start position; false at the first that is not legal.
bool play_san(const char* moves) {
    init_position();
    std::istringstream in(moves);
    for (std::string san; in >> san; search_ply = 0)
        if (!make_move(san_move(san.c_str()))) return false;
    return true;
}

} // namespace

TEST(OpeningBook, EveryLineIsLegalAndEndsInALevelPosition) {
    ASSERT_TRUE(set_fen(KIWIPETE));
    const Snapshot before = snapshot();
    const BookSummary& book = opening_book_summary();
    EXPECT_EQ(snapshot(), before) << "building the book gives the position back";
    EXPECT_EQ(book.refused, 0) << "move " << book.refused_at + 1 << " of " << book.first_refused;
    max_depth = 3;
    for (int i = 0; i < book_line_count; ++i) {
        const char* line = book_lines[i].moves;
        ASSERT_TRUE(play_san(line)) << line;
        // Level material, and a position the engine itself finds about even.
        int balance = 0;
        for (int sq = 0; sq < 64; ++sq)
            if (square_color[sq] != EMPTY)
                balance += (square_color[sq] == WHITE ? 1 : -1) * piece_value[square_piece[sq]];
        EXPECT_EQ(balance, 0) << line;
        think(0);
        EXPECT_LT(std::abs(pv_score), 150) << line; // a pawn and a half: no line gives one away
    }
}

TEST(OpeningBook, PickFollowsTheWeightsFindsTranspositionsAndLeavesWithTheGame) {
    BookMove offered[BOOK_MOVES_MAX], other[BOOK_MOVES_MAX];
    for (const char* moves : {"", "e4", "d4 Nf6 c4"}) {
        ASSERT_TRUE(play_san(moves));
        const int count = book_moves(offered);
        ASSERT_GE(count, 2) << moves;
        int total = 0; // every line through these positions: the sum of their weights
        for (int i = 0; i < book_line_count; ++i)
            if (std::strncmp(book_lines[i].moves, moves, std::strlen(moves)) == 0)
                total += book_lines[i].weight;
        seed_engine_random(36);
        std::map<uint32_t, int> drawn;
        constexpr int DRAWS = 20000; // a share's deviation is at most 0.0036: 0.02 is 5.5 of them
        for (int i = 0; i < DRAWS; ++i)
            ++drawn[pick_book_move()];
        EXPECT_EQ(int(drawn.size()), count) << moves;
        for (int i = 0; i < count; ++i) // weights summing to another total would show here
            EXPECT_NEAR(drawn[offered[i].move] / double(DRAWS), offered[i].weight / double(total),
                        0.02)
                << moves << " " << move_text(offered[i].move);
    }
    // A move order written in no line reaches the Queen's Gambit line's position: its move.
    ASSERT_TRUE(play_san("Nf3 d5 d4 Nf6 c4 e6 Nc3 Be7 Bg5 O-O e3"));
    ASSERT_EQ(book_moves(offered), 1);
    EXPECT_STREQ(move_text(offered[0].move), "h7h6");
    // Two lines meet, one ending in a pawn's jump no pawn can take: one position, both weights.
    ASSERT_TRUE(play_san("Nf3 Nf6 c4 g6 Nc3 Bg7 e4 d6 d4"));
    ASSERT_EQ(book_moves(offered), 1);
    ASSERT_TRUE(play_san("d4 Nf6 c4 g6 Nc3 Bg7 e4 d6 Nf3"));
    ASSERT_EQ(book_moves(other), 1);
    EXPECT_TRUE(offered[0].move == other[0].move && offered[0].weight == other[0].weight);
    // Still out of the book a move after one no line plays: the search's move, and no draw from
    // the random source.
    ASSERT_TRUE(play_san("e4 e5 Nf3 Nc6 a3 Nf6 b3"));
    max_depth = 3;
    think(0);
    const uint32_t searched = pv_table[0][0];
    seed_engine_random(5);
    EXPECT_EQ(computer_move(4, true, 0), searched);
    const uint64_t next = engine_random();
    seed_engine_random(5);
    EXPECT_EQ(engine_random(), next);
}

TEST(NearBestChoice, LevelsOneToThreeKeepWithinTheirMargin) {
    const char* in_check = "rnbqkbnr/ppp2ppp/3p4/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R b KQkq - 1 3";
    int varied = 0;
    for (int level = 1; level <= NEAR_BEST_LEVEL_MAX; ++level) {
        const int margin = level_margin(level);
        // Every other bench position, and one in check (the search extends its depth).
        for (int p = -1; p < bench_position_count; p += 2) {
            const char* fen = p < 0 ? in_check : bench_positions[p];
            ASSERT_TRUE(set_fen(fen));
            max_depth = level;
            think(0);
            const uint32_t best = pv_table[0][0];
            const int best_score = pv_score;
            if (std::abs(best_score) > MATE_BOUND) continue;
            // Every legal move's exact score, searched with the full window.
            std::map<uint32_t, int> within, found;
            const int depth = level - 1 + side_in_check(side_to_move); // the check extension
            for (const ScoredMove& m : generated_moves()) {
                if (!make_move(m.move)) continue;
                const int x = -search(-MATE_SCORE, MATE_SCORE, depth);
                take_back();
                if (x >= best_score - margin) within[move_value(m.move)] = x;
            }
            ASSERT_EQ(within.count(best), 1u) << fen;
            NearBestMove near[MAX_LEGAL_MOVES];
            const int count = moves_near_best(margin, best_score, near, MAX_LEGAL_MOVES);
            for (int i = 0; i < count; ++i)
                found[near[i].move] = near[i].score;
            EXPECT_EQ(found, within) << "level " << level << " " << fen;
            for (int draw = 0; draw < 8; ++draw) {
                seed_engine_random(uint64_t(draw * 100 + p + 1));
                const uint32_t chosen = computer_move(level, false, 0);
                ASSERT_EQ(within.count(chosen), 1u) << "level " << level << " " << fen;
                varied += chosen != best;
            }
        }
    }
    EXPECT_GT(varied, 20) << "the weaker levels vary their moves";
}
