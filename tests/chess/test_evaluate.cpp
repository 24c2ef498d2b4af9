// SPDX-License-Identifier: GPL-3.0-or-later
// Evaluation: whole-position values worked out by hand, the pawn and king terms, and
// agreement with a plain two-pass walk over the 64 squares.

#include <gtest/gtest.h>

#include <string>

#include "chess/evaluate.h"
#include "chess_test_support.h"

using namespace chess_test;

namespace {

int square(const char* name) {
    return ('8' - name[1]) * 8 + (name[0] - 'a');
}

// The evaluation as two walks over all squares in order, sharing only the per-piece terms.
int evaluate_by_walk() {
    for (int f = 0; f < 10; ++f) {
        white_pawn_row[f] = 0;
        black_pawn_row[f] = 7;
    }
    piece_material[0] = piece_material[1] = pawn_material[0] = pawn_material[1] = 0;
    for (int sq = 0; sq < 64; ++sq) {
        const int c = square_color[sq];
        const int p = square_piece[sq];
        if (c == EMPTY) continue;
        const int f = sq % 8 + 1;
        if (p != PAWN) {
            piece_material[c] += piece_value[p];
        } else if (c == WHITE) {
            pawn_material[c] += 100;
            white_pawn_row[f] = std::max(white_pawn_row[f], sq / 8);
        } else {
            pawn_material[c] += 100;
            black_pawn_row[f] = std::min(black_pawn_row[f], sq / 8);
        }
    }
    int score[2] = {piece_material[0] + pawn_material[0], piece_material[1] + pawn_material[1]};
    for (int sq = 0; sq < 64; ++sq) {
        const int c = square_color[sq];
        if (c == EMPTY) continue;
        const int own = c == WHITE ? sq : (7 - sq / 8) * 8 + sq % 8;
        const int f = sq % 8 + 1;
        switch (square_piece[sq]) {
        case PAWN:
            score[c] += c == WHITE ? eval_white_pawn(sq) : eval_black_pawn(sq);
            break;
        case KNIGHT:
            score[c] += knight_table[own];
            break;
        case BISHOP:
            score[c] += bishop_table[own];
            break;
        case ROOK: {
            const bool own_pawn = c == WHITE ? white_pawn_row[f] != 0 : black_pawn_row[f] != 7;
            const bool other_pawn = c == WHITE ? black_pawn_row[f] != 7 : white_pawn_row[f] != 0;
            if (!own_pawn) score[c] += other_pawn ? 10 : 15;
            if (sq / 8 == (c == WHITE ? 1 : 6)) score[c] += 20;
            break;
        }
        case KING:
            if (piece_material[1 - c] <= 1200)
                score[c] += king_endgame_table[own];
            else
                score[c] += c == WHITE ? eval_white_king(sq) : eval_black_king(sq);
            break;
        default:
            break;
        }
    }
    return score[side_to_move] - score[1 - side_to_move];
}

} // namespace

TEST(Evaluate, WholePositionValues) {
    struct Case {
        const char* fen;
        int value;
    } cases[] = {
        {START_FEN, 0},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1", 0},
        // Black keeps queen and knight (1200): White's king takes the endgame table (g1: 10).
        // White: 300 pawns + 3 x 20 passed + 10 = 370; Black: 1200 - 10 (knight e8) + 10.
        {"3qn1k1/8/8/8/8/8/5PPP/6K1 w - - 0 1", 370 - 1200},
        // Queen and rook (1400): shelter instead: (40 - 15 - 15 - 15 / 2) * 1400 / 3100 = 1.
        // Black: 1400 + 15 (rook on a file without pawns) + 10 (endgame king g8).
        {"3qr1k1/8/8/8/8/8/5PPP/6K1 w - - 0 1", 361 - 1425},
        {"3qr1k1/8/8/8/8/8/5PPP/6K1 b - - 0 1", 1425 - 361},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(set_fen(c.fen));
        EXPECT_EQ(evaluate(), c.value) << c.fen;
    }
}

TEST(Evaluate, PawnTerms) {
    struct Case {
        const char* fen;
        const char* pawn;
        int value;
    } cases[] = {
        // Doubled: the front pawn pays 10, the rear one not; e4 is passed (3 rows to go).
        {"4k3/8/8/8/4P3/8/3PP3/4K3 w - - 0 1", "e4", 8 - 10 + 60},
        {"4k3/8/8/8/4P3/8/3PP3/4K3 w - - 0 1", "e2", -40 + 20},
        // Isolated; a Black pawn straight ahead stops it being passed, one behind does not.
        {"4k3/8/4p3/4P3/8/8/8/4K3 w - - 0 1", "e5", 12 - 20},
        {"4k3/8/8/4P3/4p3/8/8/4K3 w - - 0 1", "e5", 12 - 20 + 80},
        {"4k3/8/3p4/4P3/8/8/8/4K3 w - - 0 1", "e5", 12 - 20}, // neighbour file ahead
        // The a-file's missing left neighbour reads as a file without pawns.
        {"4k3/8/8/8/8/8/P7/4K3 w - - 0 1", "a2", 0 - 20 + 20},
        {"4k3/8/8/8/8/8/PP6/4K3 w - - 0 1", "a2", 0 + 20},
        // Backward: every White pawn on the neighbouring files is further advanced.
        {"4k3/8/8/8/3P4/4P3/8/4K3 w - - 0 1", "e3", -10 - 8 + 40},
        {"4k3/8/8/8/3P4/4P3/8/4K3 w - - 0 1", "d4", 8 + 60},
        // Black mirrors White.
        {"4k3/4p3/8/8/8/8/8/4K3 w - - 0 1", "e7", -40 - 20 + 20},
        {"4k3/3pp3/4p3/8/8/8/8/4K3 w - - 0 1", "e6", -10 - 10 + 40},
        {"4k3/3pp3/4p3/8/8/8/8/4K3 w - - 0 1", "e7", -40 + 20},
        {"4k3/8/4p3/4P3/8/8/8/4K3 w - - 0 1", "e6", -10 - 20},
        {"4k3/8/4p3/3P4/8/8/8/4K3 w - - 0 1", "e6", -10 - 20}, // d5 stands in front
        {"4k3/4p3/3p4/8/8/8/8/4K3 w - - 0 1", "e7", -40 - 8 + 20},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(set_fen(c.fen));
        evaluate(); // fills the pawn rows the terms read
        const int sq = square(c.pawn);
        const int value = square_color[sq] == WHITE ? eval_white_pawn(sq) : eval_black_pawn(sq);
        EXPECT_EQ(value, c.value) << c.fen << " " << c.pawn;
    }
}

TEST(Evaluate, KingShelterScalesWithTheEnemyPieces) {
    struct Case {
        const char* fen;
        const char* king;
        int value;
    } cases[] = {
        // Unmoved shelter against unmoved enemy pawns: king_table alone, at full weight.
        {"rnbq1rk1/pppppppp/5n2/2b5/2B5/5N2/PPPPPPPP/RNBQ1RK1 w - - 0 1", "g1", 40},
        {"rnbq1rk1/pppppppp/5n2/2b5/2B5/5N2/PPPPPPPP/RNBQ1RK1 w - - 0 1", "g8", 40},
        // Two pieces fewer (2500): 40 x 2500 / 3100.
        {"rnbq1rk1/pppppppp/8/8/8/8/PPPPPPPP/RNBQ1RK1 w - - 0 1", "g1", 32},
        // Black down to queen and rook: 40 x 1400 / 3100.
        {"3q1rk1/pppppppp/8/8/8/8/PPPPPPPP/RNBQ1RK1 w - - 0 1", "g1", 18},
        // No h-pawn (-25; the enemy's h7 pawn costs nothing), g-pawn one step forward (-10).
        {"rnbq1rk1/pppppppp/5n2/2b5/8/6P1/PPPPPP2/RNBQ1RK1 w - - 0 1", "g1", 40 - 25 - 10},
        // Queen side: a, b and half of c; no c-pawn: -25 / 2 truncates to -12.
        {"rnbqkbnr/pppppppp/8/8/8/8/PP1PPPPP/1KR2BNR w kq - 0 1", "b1", 20 - 12},
        // Centre: the d- and e-files without pawns of either colour cost 10 each.
        {"rnbqkbnr/ppp2ppp/8/8/8/8/PPP2PPP/RNBQKBNR w KQkq - 0 1", "e1", -20},
        {"rnbqkbnr/ppp2ppp/8/8/8/8/PPP2PPP/RNBQKBNR w KQkq - 0 1", "e8", -20},
        // Negative sums truncate towards zero: -20 x 300 / 3100 = -1 (not -2).
        {"1n2k3/ppp2ppp/8/8/8/8/PPP2PPP/RNBQKBNR w KQ - 0 1", "e1", -1},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(set_fen(c.fen));
        evaluate();
        const int sq = square(c.king);
        const int value = square_color[sq] == WHITE ? eval_white_king(sq) : eval_black_king(sq);
        EXPECT_EQ(value, c.value) << c.fen << " " << c.king;
    }
}

TEST(Evaluate, RookFilesAndSeventhRow) {
    struct Case {
        const char* fen;
        int value; // White's advantage with only the rook placement differing
    } cases[] = {
        // Same material and pawns; the rook's file and row make the difference.
        {"4k3/3pp3/8/8/8/8/3PP3/R3K3 w - - 0 1", 15},  // a-file without pawns
        {"4k3/p2pp3/8/8/8/8/3PP3/R3K3 w - - 0 1", 10}, // only a Black pawn on the a-file
        {"4k3/R2pp3/8/8/8/8/3PP3/4K3 w - - 0 1", 35},  // open file and Black's second row
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(set_fen(c.fen));
        const int with_rook = evaluate();
        // The same position with the rook taken off: the difference is the rook's worth.
        for (int sq = 0; sq < 64; ++sq)
            if (square_piece[sq] == ROOK) square_color[sq] = square_piece[sq] = EMPTY;
        sync_position();
        EXPECT_EQ(with_rook - evaluate(), 500 + c.value) << c.fen;
    }
}

TEST(Evaluate, AgreesWithTheSquareWalk) {
    for (const std::string& fen : sample_positions(24, 120, 5)) {
        ASSERT_TRUE(set_fen(fen.c_str()));
        const int fast = evaluate();
        ASSERT_EQ(fast, evaluate_by_walk()) << fen;
    }
}
