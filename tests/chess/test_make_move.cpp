// SPDX-License-Identifier: GPL-3.0-or-later
// Make and take back: exact restoration, castling rules, rights, en passant, promotion,
// repetition counts and the undo stack's bound.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chess/game_end.h"
#include "chess_test_support.h"

using namespace chess_test;

namespace {

int square(const char* name) {
    return ('8' - name[1]) * 8 + (name[0] - 'a');
}

} // namespace

TEST(MakeMove, EveryMoveTakenBackRestoresThePositionExactly) {
    int made = 0;
    int refused = 0;
    for (const std::string& fen : sample_positions(18, 80, 3)) {
        ASSERT_TRUE(set_fen(fen.c_str()));
        const Snapshot before = snapshot();
        for (const ScoredMove& m : generated_moves()) {
            if (make_move(m.move)) {
                ++made;
                ASSERT_TRUE(occupancy_consistent()) << fen << " " << move_text(m.move);
                EXPECT_EQ(side_to_move, before.other);
                EXPECT_EQ(history_ply, before.hply + 1);
                take_back();
            } else {
                ++refused;
            }
            ASSERT_EQ(snapshot(), before) << fen << " " << move_text(m.move);
        }
    }
    EXPECT_GT(made, 20000);
    EXPECT_GT(refused, 100);
}

TEST(MakeMove, CastlingRefusedInOrThroughCheckAndAllowedWithOnlyBAttacked) {
    struct Case {
        const char* fen;
        const char* move;
        int legal;
    } cases[] = {
        {"4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", "e1g1", 1},
        {"4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", "e1c1", 1},
        {"4k3/4r3/8/8/8/8/8/R3K2R w KQ - 0 1", "e1g1", 0}, // in check
        {"4k3/4r3/8/8/8/8/8/R3K2R w KQ - 0 1", "e1c1", 0},
        {"4k3/5r2/8/8/8/8/8/R3K2R w KQ - 0 1", "e1g1", 0}, // through f1
        {"4k3/6r1/8/8/8/8/8/R3K2R w KQ - 0 1", "e1g1", 0}, // onto g1
        {"4k3/3r4/8/8/8/8/8/R3K2R w KQ - 0 1", "e1c1", 0}, // through d1
        {"4k3/3r4/8/8/8/8/8/R3K2R w KQ - 0 1", "e1g1", 1},
        {"4k3/2r5/8/8/8/8/8/R3K2R w KQ - 0 1", "e1c1", 0}, // onto c1
        {"4k3/1r6/8/8/8/8/8/R3K2R w KQ - 0 1", "e1c1", 1}, // only b1 attacked
        {"4k3/8/8/8/8/8/8/RN2K2R w KQ - 0 1", "e1c1", 0},  // b1 occupied
        {"4k3/8/8/8/8/8/8/R3KB1R w KQ - 0 1", "e1g1", 0},  // f1 occupied
        {"4k3/8/8/8/8/8/8/R3K1NR w KQ - 0 1", "e1g1", 0},  // g1 occupied
        {"r3k2r/8/8/8/8/8/8/4K3 b kq - 0 1", "e8g8", 1},
        {"r3k2r/8/8/8/8/8/8/4K3 b kq - 0 1", "e8c8", 1},
        {"r3k2r/8/8/8/8/8/8/1R2K3 b kq - 0 1", "e8c8", 1}, // only b8 attacked
        {"r3k2r/8/8/8/8/8/8/3RK3 b kq - 0 1", "e8c8", 0},  // through d8
        {"r3k2r/8/8/8/8/8/8/5RK1 b kq - 0 1", "e8g8", 0},  // through f8
        {"r3k2r/8/8/8/8/8/8/4R1K1 b kq - 0 1", "e8g8", 0}, // in check
        {"r3k2r/8/8/8/8/8/8/1K4R1 b kq - 0 1", "e8g8", 0}, // onto g8
        {"rn2k2r/8/8/8/8/8/8/4K3 b kq - 0 1", "e8c8", 0},  // b8 occupied
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(set_fen(c.fen));
        const uint32_t m = find_move(c.move);
        ASSERT_NE(m, 0u) << c.fen << " " << c.move << " not generated";
        const Snapshot before = snapshot();
        EXPECT_EQ(make_move(m), c.legal) << c.fen << " " << c.move;
        if (!c.legal) {
            EXPECT_EQ(snapshot(), before) << c.fen << " " << c.move;
            continue;
        }
        // King on its target, rook beside it on the inner side, corner and e-square empty.
        const int to = to_move(m).to;
        const int rook = (to == 62 || to == 6) ? to - 1 : to + 1;
        const int corner = (to == 62 || to == 6) ? to + 1 : to - 2;
        EXPECT_EQ(square_piece[to], KING);
        EXPECT_EQ(square_piece[rook], ROOK);
        EXPECT_EQ(square_color[rook], square_color[to]);
        EXPECT_EQ(square_color[corner], EMPTY);
        EXPECT_EQ(square_color[to_move(m).from], EMPTY);
        take_back();
        EXPECT_EQ(snapshot(), before) << c.fen << " " << c.move;
    }
}

TEST(MakeMove, KeepMasksClearTheMatchingRights) {
    struct Case {
        const char* move;
        int rights_after;
    } cases[] = {
        {"a1b1", 13}, {"h1g1", 14}, {"e1e2", 12},
        {"e1g1", 12}, {"e1c1", 12}, {"a1a8", 5}, // the rook leaves a1 and captures on a8
        {"h1h8", 10},                            // and on h8
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(set_fen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1"));
        ASSERT_TRUE(play({c.move}));
        EXPECT_EQ(castle_rights, c.rights_after) << c.move;
    }
    const struct Case black[] = {{"e8d8", 3}, {"a8b8", 7}, {"h8g8", 11}, {"a8a1", 5}};
    for (const Case& c : black) {
        ASSERT_TRUE(set_fen("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1"));
        ASSERT_TRUE(play({c.move}));
        EXPECT_EQ(castle_rights, c.rights_after) << c.move;
    }
}

TEST(MakeMove, EnPassantTargetAndFiftyCounterFollowTheMoves) {
    ASSERT_TRUE(set_fen(START_FEN));
    struct Step {
        const char* move;
        int ep, fifty;
    } steps[] = {
        {"e2e4", square("e3"), 0}, {"g8f6", -1, 1}, {"g1f3", -1, 2},
        {"d7d5", square("d6"), 0}, {"e4d5", -1, 0}, {"f6d5", -1, 0},
        {"b1c3", -1, 1},           {"c7c6", -1, 0}, // a single step sets no target
    };
    for (const Step& s : steps) {
        ASSERT_TRUE(play({s.move}));
        EXPECT_EQ(ep_square, s.ep) << s.move;
        EXPECT_EQ(fifty_counter, s.fifty) << s.move;
    }
}

TEST(MakeMove, TakingBackPromotionAndEnPassantRestoresThePawns) {
    ASSERT_TRUE(set_fen("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1"));
    Snapshot before = snapshot();
    ASSERT_TRUE(play({"b7b8n"}));
    EXPECT_EQ(square_piece[square("b8")], KNIGHT);
    EXPECT_EQ(square_color[square("b7")], EMPTY);
    take_back();
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(square_piece[square("b7")], PAWN);

    for (const char* fen :
         {"4k3/8/8/3Pp3/8/8/8/4K3 w - e6 0 1", "4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1"}) {
        ASSERT_TRUE(set_fen(fen));
        before = snapshot();
        const bool white = side_to_move == WHITE;
        ASSERT_TRUE(play({white ? "d5e6" : "d4e3"}));
        EXPECT_EQ(square_color[square(white ? "e5" : "e4")], EMPTY) << fen; // pawn taken
        EXPECT_EQ(square_piece[square(white ? "e6" : "e3")], PAWN) << fen;
        EXPECT_EQ(fifty_counter, 0);
        take_back();
        EXPECT_EQ(snapshot(), before) << fen;
    }
}

TEST(MakeMove, RepetitionCountsPlacementsWithinTheReversibleTail) {
    ASSERT_TRUE(set_fen(START_FEN));
    const char* cycle[4] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    // Earlier occurrences after each of twelve knight moves: the start placement recurs
    // after 4, 8 and 12; the placements after 5 to 7 moves recur once.
    const int expected[12] = {0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3};
    for (int k = 0; k < 12; ++k) {
        ASSERT_TRUE(play({cycle[k % 4]}));
        EXPECT_EQ(repetition_count(), expected[k]) << "after " << k + 1 << " half-moves";
    }
    // A pawn move ends the reversible tail.
    ASSERT_TRUE(play({"e2e4", "g8f6", "g1f3", "f6g8"}));
    EXPECT_EQ(repetition_count(), 0);
    ASSERT_TRUE(play({"f3g1"}));
    EXPECT_EQ(repetition_count(), 1); // back to the placement right after e2e4

    // The move that reset the counter is not walked: after the knight takes, goes back and
    // the rooks return, the capture's squares would cancel, but a pawn has gone since.
    ASSERT_TRUE(set_fen("r3k3/8/8/4p3/8/5N2/8/4K2R w - - 0 1"));
    ASSERT_TRUE(play({"f3e5", "a8b8", "e5f3", "b8c8", "h1g1", "c8a8", "g1h1"}));
    EXPECT_EQ(fifty_counter, 6);
    EXPECT_EQ(repetition_count(), 0);
}

TEST(MakeMove, RepetitionNeedsTheSameSideToMoveCastlingRightsAndEnPassant) {
    // Kings walking a triangle bring the placement after 2...Ke7 back with the other side to
    // move: after 10. Ke2 (Black to move) the position stood once before, after 5. Ke2.
    ASSERT_TRUE(set_fen(START_FEN));
    const char* walk[] = {"e2e4", "e7e5", "e1e2", "e8e7", "e2e3", "e7f6", "e3f3",
                          "f6e7", "f3e2", "e7e6", "e2e3", "e6f6", "e3e2", "f6e7",
                          "e2e3", "e7f6", "e3f3", "f6e7", "f3e2"};
    const int expected[19] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 1, 2, 1, 1, 1};
    for (int k = 0; k < 19; ++k) {
        ASSERT_TRUE(play({walk[k]}));
        search_ply = 0;
        EXPECT_EQ(repetition_count(), expected[k]) << "after " << walk[k];
    }
    EXPECT_EQ(game_end(), GAME_GOES_ON);

    // The rooks out and back: the start placement, but without the castling rights.
    ASSERT_TRUE(set_fen(START_FEN));
    ASSERT_TRUE(play({"g1f3", "g8f6", "h1g1", "h8g8", "g1h1", "g8h8", "f3g1", "f6g8"}));
    EXPECT_EQ(repetition_count(), 0);
    ASSERT_TRUE(play({"g1f3", "g8f6", "f3g1", "f6g8"}));
    EXPECT_EQ(repetition_count(), 1);

    // After e2e4 the pawn on d4 may take en passant; once the kings come back it may not.
    ASSERT_TRUE(set_fen("4k3/8/8/8/3p4/8/4P3/4K3 w - - 0 1"));
    ASSERT_TRUE(play({"e2e4", "e8d7", "e1f2", "d7e8", "f2e1"}));
    EXPECT_EQ(repetition_count(), 0);
    ASSERT_TRUE(play({"e8d7", "e1f2", "d7e8", "f2e1"}));
    EXPECT_EQ(repetition_count(), 1);
}

TEST(MakeMove, BadValuesAndAnEmptyStackChangeNothing) {
    ASSERT_TRUE(set_fen(START_FEN));
    const Snapshot before = snapshot();
    EXPECT_EQ(make_move(Move{-1, 40, 0, 0}), 0);
    EXPECT_EQ(make_move(Move{52, 64, 0, 0}), 0);
    EXPECT_EQ(snapshot(), before);
    take_back(); // nothing to take back
    EXPECT_EQ(snapshot(), before);
}

TEST(MakeMove, FullUndoStackRefusesTheNextMoveCleanly) {
    ASSERT_TRUE(set_fen(START_FEN));
    const char* cycle[4] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    for (int k = 0; k < UNDO_STACK_SIZE; ++k) {
        ASSERT_TRUE(play({cycle[k % 4]})) << k;
        search_ply = 0; // the game keeps its moves at the root
    }
    EXPECT_EQ(history_ply, UNDO_STACK_SIZE);
    const Snapshot full = snapshot();
    const uint32_t next = find_move(cycle[UNDO_STACK_SIZE % 4]);
    ASSERT_NE(next, 0u);
    EXPECT_EQ(make_move(next), 0);
    EXPECT_EQ(snapshot(), full);
    take_back(); // the stack is intact below the bound
    EXPECT_EQ(history_ply, UNDO_STACK_SIZE - 1);
    EXPECT_EQ(make_move(find_move(cycle[(UNDO_STACK_SIZE - 1) % 4])), 1);
}
