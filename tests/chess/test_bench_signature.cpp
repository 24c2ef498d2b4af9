// SPDX-License-Identifier: GPL-3.0-or-later
// The depth-4 bench signature: the total node count of think over the fixed positions, as
// chess3d-engine bench prints it. It moves with any change of generation order, ordering
// scores, evaluation or search; update it only for an intended change, quoting it in the
// commit message ("Bench: N").

#include <gtest/gtest.h>

#include "chess/bench_suite.h"
#include "chess/computer_move.h"
#include "chess/fen.h"
#include "chess/search.h"

TEST(BenchSignature, DepthFour) {
    static BenchEntry entries[64];
    ASSERT_LE(bench_position_count, 64);
    EXPECT_EQ(run_bench(4, entries), 804588);
    // Every bench position has a move except none: spot checks of chosen moves.
    EXPECT_STREQ(move_text(entries[0].best), "e2e4");
    EXPECT_STREQ(move_text(entries[26].best), "f3f7"); // the scholar's mate
    EXPECT_STREQ(move_text(entries[27].best), "d1d8"); // the back-rank mate
    // The computer's move from level 4 up, the book aside, is the search's move itself.
    for (int i = 0; i < bench_position_count; ++i) {
        ASSERT_TRUE(set_position_fen(bench_positions[i]));
        EXPECT_EQ(computer_move(4, false, 0), entries[i].best) << bench_positions[i];
    }
}
