// SPDX-License-Identifier: GPL-3.0-or-later
// Standard algebraic notation both ways, coordinate texts, and the game-end rules and texts.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "chess/game_end.h"
#include "chess/notation.h"
#include "chess_test_support.h"

using namespace chess_test;

namespace {

std::string san_of(const char* text) {
    char san[SAN_SIZE];
    const uint32_t m = find_move(text);
    if (m == 0 || !move_san(m, san)) return "(not legal)";
    return san;
}

struct SanCase {
    const char* fen;
    const char* move; // coordinate text
    const char* san;
};

// Every kind of move: pawn pushes and captures, en passant both ways, pieces, captures,
// castling on both wings for both colours, promotion (quiet, capturing, with check and mate),
// checks and mates, and disambiguation by file, by rank and by both.
const SanCase SAN_CASES[] = {
    {START_FEN, "e2e4", "e4"},
    {START_FEN, "g1f3", "Nf3"},
    {"rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 2", "e4d5", "exd5"},
    {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3", "e5f6", "exf6"},
    {"rnbqkbnr/pppp1ppp/8/8/3Pp3/4P3/PPP2PPP/RNBQKBNR b KQkq d3 0 3", "e4d3", "exd3"},
    {KIWIPETE, "e1g1", "O-O"},
    {KIWIPETE, "e1c1", "O-O-O"},
    {KIWIPETE, "e2a6", "Bxa6"},
    {KIWIPETE, "e5f7", "Nxf7"},
    {KIWIPETE, "f3f6", "Qxf6"},
    {KIWIPETE, "d5e6", "dxe6"},
    {KIWIPETE, "e1d1", "Kd1"},
    {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8g8", "O-O"},
    {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8c8", "O-O-O"},
    {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "a8a1", "Rxa1+"},
    {"k7/4P3/8/8/8/8/8/4K3 w - - 0 1", "e7e8q", "e8=Q+"},
    {"k7/4P3/8/8/8/8/8/4K3 w - - 0 1", "e7e8r", "e8=R+"},
    {"k7/4P3/8/8/8/8/8/4K3 w - - 0 1", "e7e8b", "e8=B"},
    {"k7/4P3/8/8/8/8/8/4K3 w - - 0 1", "e7e8n", "e8=N"},
    {"k7/2P5/1K6/8/8/8/8/8 w - - 0 1", "c7c8q", "c8=Q#"},
    {"k7/2P5/1K6/8/8/8/8/8 w - - 0 1", "c7c8r", "c8=R#"},
    {"1n5k/P7/8/8/8/8/8/K7 w - - 0 1", "a7b8q", "axb8=Q+"},
    {"1n5k/P7/8/8/8/8/8/K7 w - - 0 1", "a7a8n", "a8=N"},
    {"4k3/8/8/8/8/8/3p4/5K2 b - - 0 1", "d2d1q", "d1=Q+"},
    {"r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 4 4", "h5f7", "Qxf7#"},
    {"rnbqkbnr/pppp1ppp/8/4p3/6P1/5P2/PPPPP2P/RNBQKBNR b KQkq g3 0 2", "d8h4", "Qh4#"},
    {"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", "d1d8", "Rd8#"},
    {"4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1", "b1d2", "Nbd2"},
    {"4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1", "f3d2", "Nfd2"},
    {"4k3/8/8/8/8/5N2/3p4/1N2K3 w - - 0 1", "b1d2", "Nbxd2"},
    {"4k3/8/8/8/8/5N2/3p4/1N2K3 w - - 0 1", "e1d2", "Kxd2"},
    {"4k3/8/8/R7/8/8/8/R3K3 w - - 0 1", "a1a3", "R1a3"},
    {"4k3/8/8/R7/8/8/8/R3K3 w - - 0 1", "a5a3", "R5a3"},
    {"4k3/8/8/R7/8/8/8/R3K3 w - - 0 1", "e1e2", "Ke2"},
    {"6k1/8/8/8/8/Q7/8/Q1Q4K w - - 0 1", "a1b2", "Qa1b2"},
    {"6k1/8/8/8/8/Q7/8/Q1Q4K w - - 0 1", "c1b2", "Qcb2"},
    {"6k1/8/8/8/8/Q7/8/Q1Q4K w - - 0 1", "a3b2", "Q3b2"},
    // A pinned rival does not count: the c3 knight may not leave the king's diagonal.
    {"4k3/8/8/1b6/8/2N5/8/4KN2 w - - 0 1", "f1d2", "Nd2"},
};

TEST(Notation, SanOfEveryKindOfMoveAndItsReadingBack) {
    for (const SanCase& c : SAN_CASES) {
        ASSERT_TRUE(set_fen(c.fen));
        const Snapshot before = snapshot();
        EXPECT_EQ(san_of(c.move), c.san) << c.fen << " " << c.move;
        EXPECT_EQ(san_move(c.san), find_move(c.move)) << c.fen << " " << c.san;
        EXPECT_EQ(text_move(c.move), find_move(c.move)) << c.fen << " " << c.move;
        EXPECT_TRUE(snapshot() == before) << c.fen << " " << c.move;
    }
}

struct ReadCase {
    const char* fen;
    const char* text;
    const char* move; // coordinate text of the move meant, or "" when the text must be refused
};

// What people and other programs write, and what must be refused.
const ReadCase READ_CASES[] = {
    {START_FEN, "Nf3!", "g1f3"},
    {START_FEN, "Nf3!?", "g1f3"},
    {START_FEN, " e4?! ", "e2e4"},
    {START_FEN, "Ng1f3", "g1f3"},
    {START_FEN, "Ng1-f3", "g1f3"},
    {START_FEN, "e2e4", "e2e4"},
    {START_FEN, "e2-e4", "e2e4"},
    {START_FEN, "Pe4", "e2e4"},
    {KIWIPETE, "0-0", "e1g1"},
    {KIWIPETE, "0-0-0", "e1c1"},
    {KIWIPETE, "O-O+", "e1g1"},
    {KIWIPETE, "Kg1", "e1g1"},
    {"k7/4P3/8/8/8/8/8/4K3 w - - 0 1", "e8Q+", "e7e8q"},
    {"k7/4P3/8/8/8/8/8/4K3 w - - 0 1", "e8=q", "e7e8q"},
    {"k7/4P3/8/8/8/8/8/4K3 w - - 0 1", "e8(N)", "e7e8n"},
    {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3", "exf6", "e5f6"},
    {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3", "ef6", "e5f6"},
    {"k7/4P3/8/8/8/8/8/4K3 w - - 0 1", "e8", ""},     // which piece?
    {"4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1", "Nd2", ""}, // which knight?
    {"4k3/8/8/R7/8/8/8/R3K3 w - - 0 1", "Raa3", ""},  // both rooks are on the a-file
    {START_FEN, "O-O", ""},
    {START_FEN, "e5", ""},
    {START_FEN, "Bxc3", ""},
    {START_FEN, "Ke2", ""},
    {START_FEN, "", ""},
    {START_FEN, "+", ""},
    {START_FEN, "Zf3", ""},
    {START_FEN, "Nf3extra", ""},
    {START_FEN, "e4e4e4e4e4e4e4e4e4", ""},
};

TEST(Notation, SanReadingToleratesMarksAndRefusesAmbiguity) {
    for (const ReadCase& c : READ_CASES) {
        ASSERT_TRUE(set_fen(c.fen));
        const uint32_t expected = *c.move ? find_move(c.move) : 0;
        ASSERT_TRUE(*c.move == 0 || expected != 0) << c.move;
        EXPECT_EQ(san_move(c.text), expected) << c.fen << " \"" << c.text << "\"";
    }
    ASSERT_TRUE(set_fen("k7/4P3/8/8/8/8/8/4K3 w - - 0 1"));
    EXPECT_EQ(text_move("e7e8"), 0u); // the promotion piece is needed
    EXPECT_EQ(text_move("e7e8x"), 0u);
    EXPECT_EQ(text_move("e1e3"), 0u);
    EXPECT_EQ(text_move("i1e3"), 0u);
}

// In positions met in random games every legal move has a SAN of its own that reads back to
// it, ending in '+' or '#' exactly when it checks, '#' exactly when it mates.
TEST(Notation, EverySanIsUniqueAndReadsBack) {
    int moves_seen = 0, checks = 0, mates = 0;
    for (const std::string& fen : sample_positions(12, 80, 12)) {
        ASSERT_TRUE(set_fen(fen.c_str()));
        Move legal[MAX_LEGAL_MOVES];
        const int count = legal_moves(legal);
        std::set<std::string> seen;
        for (int i = 0; i < count; ++i) {
            char san[SAN_SIZE];
            ASSERT_TRUE(move_san(legal[i], san)) << fen;
            EXPECT_TRUE(seen.insert(san).second) << fen << " " << san;
            EXPECT_EQ(san_move(san), move_value(legal[i])) << fen << " " << san;
            ASSERT_TRUE(make_move(legal[i]));
            const char last = san[std::strlen(san) - 1];
            EXPECT_EQ(last == '+' || last == '#', side_in_check(side_to_move) == 1) << san;
            const GameEnd end = game_end();
            EXPECT_EQ(last == '#', end == WHITE_MATES || end == BLACK_MATES) << san;
            checks += last == '+';
            mates += last == '#';
            take_back();
            ++moves_seen;
        }
    }
    EXPECT_GT(moves_seen, 10000);
    EXPECT_GT(checks, 50);
}

TEST(Notation, GameEndsByTheEngineRules) {
    struct EndCase {
        const char* fen;
        GameEnd end;
        const char* result;
    };
    const EndCase cases[] = {
        {START_FEN, GAME_GOES_ON, "*"},
        {"rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3", BLACK_MATES, "0-1"},
        {"3R2k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1", WHITE_MATES, "1-0"},
        {"k7/2Q5/1K6/8/8/8/8/8 b - - 0 1", STALEMATE, "1/2-1/2"},
        {"8/8/4k3/8/8/4K3/8/8 w - - 99 80", GAME_GOES_ON, "*"},
        {"8/8/4k3/8/8/4K3/8/8 w - - 100 80", DRAW_BY_FIFTY_MOVES, "1/2-1/2"},
        // Mate on the hundredth half-move is still mate.
        {"3R2k1/5ppp/8/8/8/8/5PPP/6K1 b - - 100 90", WHITE_MATES, "1-0"},
    };
    for (const EndCase& c : cases) {
        ASSERT_TRUE(set_fen(c.fen));
        EXPECT_EQ(game_end(), c.end) << c.fen;
        EXPECT_STREQ(game_end_result(game_end()), c.result) << c.fen;
    }
    // Knights out and back: the start placement a fourth time is the engine's repetition draw.
    ASSERT_TRUE(set_fen(START_FEN));
    for (int k = 0; k < 12; ++k) {
        static const char* const cycle[4] = {"g1f3", "g8f6", "f3g1", "f6g8"};
        ASSERT_TRUE(play({cycle[k % 4]}));
        search_ply = 0;
        EXPECT_EQ(game_end(), k == 11 ? DRAW_BY_REPETITION : GAME_GOES_ON) << k;
    }
}

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
