// SPDX-License-Identifier: GPL-3.0-or-later
// Move generation: order, flags and scores of the generated moves, the attack test against a
// square-by-square walk, and the move stack's bound.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "chess/perft.h"
#include "chess_test_support.h"

using namespace chess_test;

namespace {

void clear_history_scores() {
    std::memset(history_score, 0, sizeof history_score);
}

// The attack test as a walk over every square holding a piece of the attacking colour.
int is_attacked_by_walk(int target, int by) {
    for (int i = 0; i < 64; ++i) {
        if (square_color[i] != by) continue;
        const int piece = square_piece[i];
        if (piece == PAWN) {
            const int col = column_of(i);
            if (by == WHITE && ((col != 0 && i - 9 == target) || (col != 7 && i - 7 == target)))
                return 1;
            if (by == BLACK && ((col != 0 && i + 7 == target) || (col != 7 && i + 9 == target)))
                return 1;
            continue;
        }
        for (int d = 0; d < piece_offsets[piece]; ++d) {
            for (int n = i;;) {
                n = mailbox120[square_to_mailbox[n] + piece_offset[piece][d]];
                if (n == -1) break;
                if (n == target) return 1;
                if (square_color[n] != EMPTY || !piece_slides[piece]) break;
            }
        }
    }
    return 0;
}

} // namespace

TEST(MoveGen, StartPositionOrderFlagsAndCastlingEntries) {
    ASSERT_TRUE(set_fen(START_FEN));
    clear_history_scores();
    const std::vector<ScoredMove> moves = generated_moves();
    const std::vector<std::string> expected = {
        "a2a3", "a2a4", "b2b3", "b2b4", "c2c3", "c2c4", "d2d3", "d2d4",
        "e2e3", "e2e4", "f2f3", "f2f4", "g2g3", "g2g4", "h2h3", "h2h4",
        "b1a3", "b1c3", "g1f3", "g1h3", "e1g1", "e1c1"}; // castling follows the rights alone;
                                                         // make_move refuses it here
    EXPECT_EQ(move_texts(moves), expected);
    ASSERT_EQ(moves.size(), expected.size());
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(moves[i].move.flags, i % 2 == 0 ? MF_PAWN : MF_PAWN | MF_DOUBLE_PUSH) << i;
    for (int i = 16; i < 20; ++i)
        EXPECT_EQ(moves[i].move.flags, 0) << i;
    EXPECT_EQ(moves[20].move.flags, MF_CASTLE);
    EXPECT_EQ(moves[21].move.flags, MF_CASTLE);

    int legal = 0;
    for (const ScoredMove& m : moves) {
        if (make_move(m.move)) {
            ++legal;
            take_back();
        }
    }
    EXPECT_EQ(legal, 20);
}

TEST(MoveGen, PawnPushesBlockedAndDoublePushes) {
    struct Case {
        const char* fen;
        std::vector<std::string> pawn_moves; // moves of the pawn on e2 or e7
    } cases[] = {
        {"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", {"e2e3", "e2e4"}},
        {"4k3/8/8/8/8/4n3/4P3/4K3 w - - 0 1", {}},       // push square blocked: no double
        {"4k3/8/8/8/4n3/8/4P3/4K3 w - - 0 1", {"e2e3"}}, // double-push square blocked
        {"4k3/8/8/8/8/3n1n2/4P3/4K3 w - - 0 1", {"e2d3", "e2f3", "e2e3", "e2e4"}},
        {"4k3/4p3/8/8/8/8/8/4K3 b - - 0 1", {"e7e6", "e7e5"}},
        {"4k3/4p3/3N1N2/8/8/8/8/4K3 b - - 0 1", {"e7d6", "e7f6", "e7e6", "e7e5"}},
        {"4k3/4p3/4N3/8/8/8/8/4K3 b - - 0 1", {}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(set_fen(c.fen));
        std::vector<std::string> pawn;
        for (const std::string& t : move_texts(generated_moves()))
            if (t.compare(0, 2, side_to_move == WHITE ? "e2" : "e7") == 0) pawn.push_back(t);
        EXPECT_EQ(pawn, c.pawn_moves) << c.fen;
    }
}

TEST(MoveGen, PromotionsGiveFourEntriesKnightFirst) {
    // b7 may take the rook on a8 or push to b8; the knight on d1 is a plain piece.
    ASSERT_TRUE(set_fen("r3k3/1P6/8/8/8/8/8/3NK3 w - - 0 1"));
    clear_history_scores();
    const std::vector<ScoredMove> moves = generated_moves();
    ASSERT_GE(moves.size(), 8u);
    const char* texts[8] = {"b7a8n", "b7a8b", "b7a8r", "b7a8q", "b7b8n", "b7b8b", "b7b8r", "b7b8q"};
    for (int i = 0; i < 8; ++i) {
        EXPECT_STREQ(move_text(moves[i].move), texts[i]);
        EXPECT_EQ(moves[i].move.promote, KNIGHT + i % 4);
        EXPECT_EQ(moves[i].move.flags,
                  i < 4 ? MF_PAWN | MF_CAPTURE | MF_PROMOTE : MF_PAWN | MF_PROMOTE);
        EXPECT_EQ(moves[i].score, 1000000 + 10 * (KNIGHT + i % 4));
    }
    // Black promotes towards square 63 in the same way.
    ASSERT_TRUE(set_fen("4k3/8/8/8/8/8/6p1/4K2R b - - 0 1"));
    std::vector<std::string> pawn; // the king on e8 comes first in square order
    for (const std::string& t : move_texts(generated_moves()))
        if (t.compare(0, 2, "g2") == 0) pawn.push_back(t);
    EXPECT_EQ(pawn, (std::vector<std::string>{"g2h1n", "g2h1b", "g2h1r", "g2h1q", "g2g1n", "g2g1b",
                                              "g2g1r", "g2g1q"}));
}

TEST(MoveGen, WhitePromotesOnTheLastSquareOfItsLastRank) {
    // h8 is square 7, the edge of White's promotion row: by a push and by a capture.
    const struct {
        const char* fen;
        std::vector<std::string> promotions;
    } cases[] = {
        {"k7/7P/8/8/8/8/8/7K w - - 0 1", {"h7h8n", "h7h8b", "h7h8r", "h7h8q"}},
        {"k6r/6P1/8/8/8/8/8/K7 w - - 0 1",
         {"g7h8n", "g7h8b", "g7h8r", "g7h8q", "g7g8n", "g7g8b", "g7g8r", "g7g8q"}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(set_fen(c.fen));
        std::vector<std::string> promotions;
        for (const ScoredMove& m : generated_moves())
            if (m.move.flags & MF_PROMOTE) promotions.push_back(move_text(m.move));
        EXPECT_EQ(promotions, c.promotions) << c.fen;
    }
    // Seven moves: four promotions and three king steps.
    ASSERT_TRUE(set_fen("k7/7P/8/8/8/8/8/7K w - - 0 1"));
    EXPECT_EQ(perft(1), 7u);
}

TEST(MoveGen, CaptureScoresPutValuableVictimsAndCheapAttackersFirst) {
    // The queen on d5 is attacked by the pawn on e4 and the knight on c3; the rook on a5 by
    // the knight on b3 (through c3's knight: none). Quiet moves take the history score.
    ASSERT_TRUE(set_fen("4k3/8/8/r2q4/4P3/1NN5/8/4K3 w - - 0 1"));
    clear_history_scores();
    history_score[60][59] = 77; // e1d1
    for (const ScoredMove& m : generated_moves()) {
        const std::string t = move_text(m.move);
        if (t == "e4d5")
            EXPECT_EQ(m.score, 1000000 + 10 * QUEEN - PAWN);
        else if (t == "c3d5")
            EXPECT_EQ(m.score, 1000000 + 10 * QUEEN - KNIGHT);
        else if (t == "b3a5")
            EXPECT_EQ(m.score, 1000000 + 10 * ROOK - KNIGHT);
        else if (t == "e1d1")
            EXPECT_EQ(m.score, 77);
        else
            EXPECT_EQ(m.score, 0) << t;
    }
}

TEST(MoveGen, EnPassantFromBothSidesAndFromTheEdgeFiles) {
    struct Case {
        const char* fen;
        std::vector<std::string> last_moves; // the en-passant entries end the list
    } cases[] = {
        {"4k3/8/8/3PpP2/8/8/8/4K3 w - e6 0 1", {"d5e6", "f5e6"}},
        {"4k3/8/8/8/3pPp2/8/8/4K3 b - e3 0 1", {"d4e3", "f4e3"}},
        {"4k3/8/8/pP6/8/8/8/4K3 w - a6 0 1", {"b5a6"}},
        {"4k3/8/8/6Pp/8/8/8/4K3 w - h6 0 1", {"g5h6"}},
        {"4k3/8/8/8/Pp6/8/8/4K3 b - a3 0 1", {"b4a3"}},
        {"4k3/8/8/8/6pP/8/8/4K3 b - h3 0 1", {"g4h3"}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(set_fen(c.fen));
        const std::vector<ScoredMove> moves = generated_moves();
        ASSERT_GE(moves.size(), c.last_moves.size());
        const size_t first = moves.size() - c.last_moves.size();
        for (size_t i = 0; i < c.last_moves.size(); ++i) {
            EXPECT_EQ(move_text(moves[first + i].move), c.last_moves[i]) << c.fen;
            EXPECT_EQ(moves[first + i].move.flags, MF_PAWN | MF_CAPTURE | MF_EN_PASSANT);
        }
        if (first > 0) { // nothing else before them captures en passant
            EXPECT_FALSE(moves[first - 1].move.flags & MF_EN_PASSANT) << c.fen;
        }
    }
}

TEST(MoveGen, CapturesAreTheCaptureAndPromotionSubsetInTheSameOrder) {
    for (const std::string& fen : sample_positions(12, 60, 7)) {
        ASSERT_TRUE(set_fen(fen.c_str()));
        std::vector<uint32_t> expected;
        for (const ScoredMove& m : generated_moves())
            if (m.move.flags & (MF_CAPTURE | MF_PROMOTE)) expected.push_back(move_value(m.move));
        ASSERT_TRUE(generate_captures());
        std::vector<uint32_t> captures;
        for (int i = ply_first_move[0]; i < ply_first_move[1]; ++i)
            captures.push_back(move_value(move_stack[i].move));
        ASSERT_EQ(captures, expected) << fen;
    }
}

TEST(MoveGen, AttackTestAgreesWithTheSquareWalk) {
    const std::vector<std::string> fens = sample_positions(12, 60, 11);
    ASSERT_GT(fens.size(), 300u);
    for (const std::string& fen : fens) {
        ASSERT_TRUE(set_fen(fen.c_str()));
        for (int sq = 0; sq < 64; ++sq)
            for (int by = WHITE; by <= BLACK; ++by)
                ASSERT_EQ(is_attacked(sq, by), is_attacked_by_walk(sq, by))
                    << fen << " square " << sq << " by " << by;
    }
}

TEST(MoveGen, AttacksThroughAndAroundPieces) {
    // White: rook a1, bishop c1, knight g1, king h2, pawn e4. Black: king h8, pawn b3,
    // knight f4 (which blocks the bishop's diagonal).
    ASSERT_TRUE(set_fen("7k/8/8/8/4Pn2/1p6/7K/R1B3N1 w - - 0 1"));
    struct Case {
        const char* square;
        int by, attacked;
    } cases[] = {
        {"a2", WHITE, 1}, {"a8", WHITE, 1}, // the rook along the empty a-file
        {"b1", WHITE, 1}, {"d1", WHITE, 0}, // along rank 1 the bishop on c1 blocks the rook
        {"d5", WHITE, 1}, {"f5", WHITE, 1}, {"e5", WHITE, 0}, // a pawn attacks diagonally only
        {"f3", WHITE, 1}, {"h1", WHITE, 1},                   // knight, king
        {"e3", WHITE, 1}, {"f4", WHITE, 1}, {"g5", WHITE, 0}, // bishop up to the blocker
        {"a2", BLACK, 1}, {"c2", BLACK, 1}, {"b2", BLACK, 0}, {"a1", BLACK, 0},
        {"g7", BLACK, 1}, {"h2", BLACK, 0}, {"g2", BLACK, 1}, // king; knight f4
    };
    for (const Case& c : cases) {
        const int sq = ('8' - c.square[1]) * 8 + (c.square[0] - 'a');
        EXPECT_EQ(is_attacked(sq, c.by), c.attacked) << c.square << " by " << c.by;
    }
}

TEST(MoveGen, CheckTestUsesTheFirstKingAndCountsNoKingAsCheck) {
    ASSERT_TRUE(set_fen("4k3/8/8/8/8/8/8/4K3 w - - 0 1"));
    EXPECT_EQ(side_in_check(BLACK), 0);
    square_color[4] = square_piece[4] = EMPTY;
    sync_position();
    EXPECT_EQ(side_in_check(BLACK), 1);
    EXPECT_EQ(side_in_check(WHITE), 0);
    // With two kings of a colour the one on the lower square counts: a Black rook on the
    // e-file attacks the king on e1 but not a second White king on a8.
    square_color[12] = BLACK, square_piece[12] = ROOK; // e7
    sync_position();
    EXPECT_EQ(side_in_check(WHITE), 1);
    square_color[0] = WHITE, square_piece[0] = KING; // a8
    sync_position();
    EXPECT_EQ(side_in_check(WHITE), 0);
}

TEST(MoveGen, FullMoveStackRefusesWithoutWritingPastIt) {
    // 218 legal moves for White: five plies of them do not fit in the 1120-entry stack.
    ASSERT_TRUE(set_fen("R6R/3Q4/1Q4Q1/4Q3/2Q4Q/Q4Q2/pp1Q4/kBNN1KB1 w - - 0 1"));
    ASSERT_TRUE(generate_moves());
    const int per_ply = ply_first_move[1] - ply_first_move[0];
    EXPECT_EQ(per_ply, 218);
    int ply = 1;
    for (; ply < MAX_PLY - 1; ++ply) {
        search_ply = ply;
        if (!generate_moves()) break;
        ASSERT_LE(ply_first_move[ply + 1], MOVE_STACK_SIZE);
    }
    EXPECT_EQ(ply, MOVE_STACK_SIZE / per_ply);               // 5: refused once 5 x 218 are in use
    EXPECT_EQ(ply_first_move[ply + 1], ply_first_move[ply]); // the refused ply has no moves
    // Outside the ply tables the generators refuse as well.
    search_ply = MAX_PLY - 1;
    EXPECT_EQ(generate_moves(), 0);
    EXPECT_EQ(generate_captures(), 0);
    search_ply = 0;
}
