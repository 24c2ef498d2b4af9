// SPDX-License-Identifier: GPL-3.0-or-later
// FEN reading and writing: round trips, the fields the engine keeps, and refused texts that
// leave the position untouched.

#include <gtest/gtest.h>

#include <string>

#include "chess_test_support.h"

using namespace chess_test;

TEST(Fen, RoundTripsAndStartPosition) {
    for (const char* fen : {START_FEN, KIWIPETE, "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
                            "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1",
                            "4k3/8/8/8/8/8/8/4K2R w K - 37 90"}) {
        ASSERT_TRUE(set_fen(fen));
        EXPECT_EQ(position_fen(), fen);
    }
    init_position();
    EXPECT_EQ(position_fen(), START_FEN);
    ASSERT_TRUE(set_fen(START_FEN));
    ASSERT_TRUE(play({"e2e4", "c7c5", "g1f3"}));
    EXPECT_EQ(position_fen(), "rnbqkbnr/pp1ppppp/8/2p5/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2");
}

TEST(Fen, MoveNumberFieldsAreOptional) {
    ASSERT_TRUE(set_fen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -"));
    EXPECT_EQ(position_fen(), KIWIPETE);
    EXPECT_EQ(fifty_counter, 0);
}

TEST(Fen, UnplayableRightsAndTargetsAreDropped) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        // No rook on h1, no king on e8: those rights cannot be used.
        {"r3k3/8/8/8/8/8/8/R3K3 w KQkq - 0 1", "r3k3/8/8/8/8/8/8/R3K3 w Qq - 0 1"},
        {"r6r/3k4/8/8/8/8/8/R3K2R w KQkq - 0 1", "r6r/3k4/8/8/8/8/8/R3K2R w KQ - 0 1"},
        // No Black pawn in front of e6: no en-passant target.
        {"4k3/8/8/3P4/8/8/8/4K3 w - e6 0 1", "4k3/8/8/3P4/8/8/8/4K3 w - - 0 1"},
        // A target on the wrong rank for the side to move.
        {"4k3/8/8/8/4Pp2/8/8/4K3 w - e3 0 1", "4k3/8/8/8/4Pp2/8/8/4K3 w - - 0 1"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(set_fen(c.in));
        EXPECT_EQ(position_fen(), c.out);
    }
}

TEST(Fen, RefusedTextsLeaveThePositionUntouched) {
    ASSERT_TRUE(set_fen(KIWIPETE));
    const Snapshot before = snapshot();
    for (const char* bad : {
             "",
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP w KQkq - 0 1",            // seven ranks
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR/8 w KQkq - 0 1", // nine
             "rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",   // nine files
             "rnbqkbnr/ppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",    // seven files
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 0 1",   // side
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkx - 0 1",   // castling
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq i3 0 1",  // square
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - x 1",   // counter
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1 z", // trailing text
             "rnbqxbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",   // piece letter
             "rnbq1bnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQ - 0 1",     // no Black king
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBKKBNR w kq - 0 1",     // two White kings
             "P3k3/8/8/8/8/8/8/4K3 w - - 0 1",                             // pawn on rank 8
             "4k3/8/8/8/8/8/8/p3K3 w - - 0 1",                             // pawn on rank 1
             "4k3/8/8/8/8/8/8/4K2r b - - 0 1", // the side not to move is in check
         }) {
        EXPECT_EQ(set_position_fen(bad), 0) << bad;
        EXPECT_EQ(snapshot(), before) << bad;
    }
    EXPECT_EQ(set_position_fen(nullptr), 0);
}
