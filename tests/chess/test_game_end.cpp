// The game's verdicts: which material can no longer mate, which rule names an end when several
// hold, and each end's texts.

#include <string>
#include <utility>

#include "chess/game_end.h"
#include "tests/chess/chess_test_support.h"

namespace {

using namespace chess_test;

TEST(GameEnd, OnlyMaterialThatCanNeverMateIsADrawAndEveryTextAgrees) {
    const std::pair<const char*, GameEnd> cases[] = {
        // Dead: bare kings, one minor piece, bishops of one square colour on either side.
        {"8/8/4k3/8/8/4K3/8/8 w - - 0 1", DRAW_BY_INSUFFICIENT_MATERIAL},
        {"8/8/4k3/8/8/4K3/8/5B2 b - - 0 1", DRAW_BY_INSUFFICIENT_MATERIAL},
        {"8/8/4k3/8/8/4K3/8/5n2 w - - 0 1", DRAW_BY_INSUFFICIENT_MATERIAL},
        {"8/8/4k3/8/2b5/4K3/8/5B2 w - - 0 1", DRAW_BY_INSUFFICIENT_MATERIAL},
        {"8/8/4k3/8/8/3BK3/8/5B2 w - - 0 1", DRAW_BY_INSUFFICIENT_MATERIAL},
        {"8/8/1b2k3/2b5/8/4K3/8/8 w - - 0 1", DRAW_BY_INSUFFICIENT_MATERIAL},
        // Mate still possible: two knights, knight and anything, bishops on both colours, any
        // pawn, rook or queen.
        {"8/8/4k3/8/8/4K3/8/1N3N2 w - - 0 1", GAME_GOES_ON},
        {"8/8/4k3/5n2/8/4K3/8/1N6 w - - 0 1", GAME_GOES_ON},
        {"8/8/4k3/5n2/8/4K3/8/5B2 w - - 0 1", GAME_GOES_ON},
        {"8/8/4k3/2b5/8/4K3/8/5B2 w - - 0 1", GAME_GOES_ON},
        {"8/8/4k3/8/8/4K3/8/2B2B2 w - - 0 1", GAME_GOES_ON},
        {"8/8/4k3/8/8/4K3/4P3/8 w - - 0 1", GAME_GOES_ON},
        {"8/8/4k3/8/8/4K3/8/r7 w - - 0 1", GAME_GOES_ON},
        // When several rules hold: mate and stalemate stand, the material comes before the
        // fifty-move count (the capture that left it reset the count).
        {"k7/B7/1K6/8/8/8/8/8 b - - 0 1", STALEMATE},
        {"3R2k1/5ppp/8/8/8/8/5PPP/6K1 b - - 100 90", WHITE_MATES},
        {"8/8/4k3/8/8/4K3/8/8 w - - 100 80", DRAW_BY_INSUFFICIENT_MATERIAL},
        {"8/8/4k3/8/8/4K3/8/R7 w - - 100 80", DRAW_BY_FIFTY_MOVES},
    };
    for (const auto& [fen, end] : cases) {
        ASSERT_TRUE(set_fen(fen));
        const Snapshot before = snapshot();
        EXPECT_EQ(judge_game().end, end) << fen;
        EXPECT_EQ(snapshot(), before) << fen;
        // game_end, which the record's callers index by its first six values, is unchanged.
        EXPECT_NE(game_end(), DRAW_BY_INSUFFICIENT_MATERIAL) << fen;
    }
    // Every end's texts say the same thing: the announcement is the result and the comment, the
    // banner's first words agree with the result.
    for (int e = 1; e < GAME_END_COUNT; ++e) {
        const GameVerdict v = game_verdict(GameEnd(e));
        ASSERT_EQ(v.end, GameEnd(e));
        EXPECT_EQ(game_end_reason(v.end), v.comment);
        EXPECT_EQ(std::string(v.announcement), std::string(v.result) + " {" + v.comment + "}");
        const std::string result = v.result, winner = result == "1-0"   ? "White wins : "
                                                      : result == "0-1" ? "Black wins : "
                                                                        : "Draw : ";
        EXPECT_EQ(std::string(v.banner).rfind(winner, 0), 0u) << v.banner;
    }
    // The info line's texts as the game has always shown them, and the new ones.
    EXPECT_STREQ(game_verdict(DRAW_BY_FIFTY_MOVES).announcement,
                 "1/2-1/2 {Draw by fifty move rule}");
    EXPECT_STREQ(game_verdict(DRAW_BY_INSUFFICIENT_MATERIAL).announcement,
                 "1/2-1/2 {Insufficient material}");
    EXPECT_STREQ(game_verdict(resignation_by(BLACK)).banner, "White wins : Black resigns");
}

} // namespace
