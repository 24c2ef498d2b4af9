// SPDX-License-Identifier: GPL-3.0-or-later
// The board's own move rules against the chess engine and in the positions where a plausible
// slip would show: castling, en passant, checks along a line, promotion, mate and stalemate.

#include <cstdio>
#include <random>

#include "game/game_model.h"
#include "game/player_info.h"
#include "tests/board/board_test_support.h"

using namespace board_test;

namespace {

class BoardRules : public BoardFixture {};

// Random games played through the board: at every position the board allows exactly the moves
// the engine finds legal (castling, en passant, promotion and pins included), and the board's
// pieces, the record's identifiers and the engine's squares agree. One game is pushed beyond
// 400 half-moves.
TEST_F(BoardRules, RandomGamesAgreeWithTheEngineMoveForMove) {
    std::mt19937 rng(20261207);
    int longest = 0, promotions = 0, castlings = 0, enPassants = 0;
    for (int game = 0; game < 80; ++game) {
        TearDown();
        SetUp();
        int plies = 0;
        for (; plies < 420; ++plies) {
            std::vector<std::string> board = boardMoves(g_game->sideToMove);
            ASSERT_EQ(board, engineMoves()) << "game " << game << " ply " << plies;
            if (board.empty()) break;
            const std::string& m = board[rng() % board.size()];
            PieceRecord* p = at(m.c_str());
            bool pawn = p->kind == KIND_PAWN && !p->promoted;
            bool diagonalToEmpty = pawn && m[0] != m[2] && !at(m.c_str() + 2);
            enPassants += diagonalToEmpty;
            castlings += p->kind == KIND_KING && std::abs(m[0] - m[2]) == 2;
            ASSERT_TRUE(play(m.c_str())) << m;
            promotions += pawn && p->promoted;
            for (int s = 0; s < 64; ++s) {
                PieceRecord* q = g_game->squares[s].piece;
                PieceId id = g_game->record.square_ids[s];
                ASSERT_EQ(q == nullptr, id == NO_PIECE) << "square " << s;
                ASSERT_EQ(q == nullptr, square_color[s] == EMPTY) << "square " << s;
                if (!q) continue;
                ASSERT_EQ(id, make_piece_id(q->colour, q->kind, q->index));
                ASSERT_EQ(q->colour, square_color[s]);
                static const int ENGINE_KIND[8] = {-1, -1, PAWN, QUEEN, KING, BISHOP, KNIGHT, ROOK};
                ASSERT_EQ(ENGINE_KIND[movingKind(q)], square_piece[s]) << "square " << s;
            }
            ASSERT_EQ(g_game->sideToMove, side_to_move);
        }
        longest = std::max(longest, plies);
    }
    std::printf("longest %d promotions %d castlings %d en passant %d\n", longest, promotions,
                castlings, enPassants);
    EXPECT_GT(longest, 400);
    EXPECT_GT(promotions, 0);
    EXPECT_GT(castlings, 0);
    EXPECT_GT(enPassants, 0);
}

TEST_F(BoardRules, StartPositionHasTwentyMovesForEachSide) {
    EXPECT_EQ(boardMoves(0).size(), 20u);
    EXPECT_EQ(boardMoves(1).size(), 20u);
}

TEST_F(BoardRules, CastlingNeedsTheRookOnItsCorner) {
    clearBoard();
    place(0, KIND_KING, 0, "e1");
    place(1, KIND_KING, 0, "e8");
    place(0, KIND_ROOK, 0, "a1");
    place(0, KIND_ROOK, 1, "h1");
    PieceRecord* king = at("e1");
    EXPECT_TRUE(g_game->tryMove(king, square("g1"), false));
    EXPECT_TRUE(g_game->tryMove(king, square("c1"), false));
    // The h-rook taken on its corner without ever moving: no castling with a captured rook.
    g_game->sendToGraveyard(at("h1"));
    place(1, KIND_KNIGHT, 0, "h1");
    EXPECT_FALSE(g_game->tryMove(king, square("g1"), false));
    g_game->sendToGraveyard(at("h1"));
    EXPECT_FALSE(g_game->tryMove(king, square("g1"), false));
    // Rook elsewhere on the home row (it did not move in the record, but is not on a1).
    place(0, KIND_ROOK, 0, "b1");
    EXPECT_FALSE(g_game->tryMove(king, square("c1"), false));
}

TEST_F(BoardRules, CastlingRefusedThroughAttackOrAfterAMove) {
    clearBoard();
    place(0, KIND_KING, 0, "e1");
    place(1, KIND_KING, 0, "e8");
    place(0, KIND_ROOK, 1, "h1");
    place(0, KIND_ROOK, 0, "a1");
    place(1, KIND_ROOK, 0, "f8"); // attacks f1, which the king passes
    EXPECT_FALSE(g_game->tryMove(at("e1"), square("g1"), false));
    EXPECT_TRUE(g_game->tryMove(at("e1"), square("c1"), false));
    place(1, KIND_ROOK, 0, "e7"); // the king in check may not castle
    EXPECT_FALSE(g_game->tryMove(at("e1"), square("c1"), false));
    place(1, KIND_ROOK, 0, "a8");
    ASSERT_TRUE(playOnBoard("a1a2"));
    ASSERT_TRUE(playOnBoard("a8a7"));
    ASSERT_TRUE(playOnBoard("a2a1"));
    ASSERT_TRUE(playOnBoard("a7a8"));
    EXPECT_FALSE(g_game->tryMove(at("e1"), square("c1"), false)) << "the a-rook has moved";
    EXPECT_TRUE(g_game->tryMove(at("e1"), square("g1"), false));
}

TEST_F(BoardRules, CastlingMovesKingAndRookButRecordsOnlyTheKing) {
    for (const char* m : {"e2e4", "e7e5", "g1f3", "b8c6", "f1c4", "g8f6"})
        ASSERT_TRUE(play(m)) << m;
    PieceRecord* rook = at("h1");
    ASSERT_TRUE(play("e1g1"));
    EXPECT_EQ(at("g1")->kind, KIND_KING);
    EXPECT_EQ(at("f1"), rook);
    EXPECT_EQ(at("h1"), nullptr);
    EXPECT_EQ(g_game->record.moves.count, 7);
    EXPECT_EQ(rm_kind(g_game->record.moves[6]), KIND_KING);
    EXPECT_EQ(g_game->record.square_ids[sq("f1")], make_piece_id(0, KIND_ROOK, 1));
    EXPECT_EQ(square_piece[sq("f1")], ROOK);
}

TEST_F(BoardRules, EnPassantOnlyRightAfterTheDoubleStep) {
    for (const char* m : {"e2e4", "a7a6", "e4e5", "d7d5"})
        ASSERT_TRUE(play(m)) << m;
    PieceRecord* victim = at("d5");
    EXPECT_TRUE(g_game->tryMove(at("e5"), square("d6"), false));
    EXPECT_FALSE(g_game->tryMove(at("e5"), square("f6"), false)) << "no pawn jumped past f6";
    ASSERT_TRUE(play("e5d6"));
    EXPECT_EQ(victim->square, nullptr);
    EXPECT_EQ(victim->row, -1);
    EXPECT_EQ(at("d5"), nullptr);
    ASSERT_EQ(g_game->record.captured.count, 1);
    EXPECT_EQ(g_game->record.captured[0], make_piece_id(1, KIND_PAWN, 3));
    EXPECT_EQ(g_game->record.square_ids[sq("d5")], NO_PIECE);

    // One move later the chance is gone.
    TearDown();
    SetUp();
    for (const char* m : {"e2e4", "a7a6", "e4e5", "d7d5", "h2h3", "a6a5"})
        ASSERT_TRUE(play(m)) << m;
    EXPECT_FALSE(g_game->tryMove(at("e5"), square("d6"), false));
    // Nor after a single step that arrives beside the pawn in two moves.
    TearDown();
    SetUp();
    for (const char* m : {"e2e4", "d7d6", "e4e5", "a7a6", "h2h3", "d6d5"})
        ASSERT_TRUE(play(m)) << m;
    EXPECT_FALSE(g_game->tryMove(at("e5"), square("d6"), false));
}

TEST_F(BoardRules, EnPassantMayNotUncoverTheKing) {
    clearBoard();
    place(0, KIND_KING, 0, "a5");
    place(0, KIND_PAWN, 1, "b5");
    place(1, KIND_KING, 0, "h8");
    place(1, KIND_PAWN, 2, "c7");
    place(1, KIND_ROOK, 1, "h5");
    g_game->sideToMove = 1;
    ASSERT_TRUE(playOnBoard("c7c5"));
    // Both pawns leave the fifth row: the rook would then see the king.
    EXPECT_FALSE(g_game->tryMove(at("b5"), square("c6"), false));
    EXPECT_TRUE(g_game->tryMove(at("b5"), square("b6"), false))
        << "the c-pawn still shields the king";
    place(1, KIND_ROOK, 1, "h4");
    EXPECT_TRUE(g_game->tryMove(at("b5"), square("c6"), false));
}

TEST_F(BoardRules, KingMayNotStepAlongTheLineOfACheck) {
    clearBoard();
    place(0, KIND_KING, 0, "d4");
    place(1, KIND_KING, 0, "h8");
    place(1, KIND_ROOK, 0, "a4");
    PieceRecord* king = at("d4");
    EXPECT_FALSE(g_game->tryMove(king, square("e4"), false))
        << "e4 is on the rook's line past the king";
    EXPECT_FALSE(g_game->tryMove(king, square("c4"), false));
    EXPECT_TRUE(g_game->tryMove(king, square("d5"), false));
    EXPECT_TRUE(g_game->tryMove(king, square("e5"), false));
    // A pinned piece may move only along the pin.
    place(0, KIND_ROOK, 0, "b4");
    EXPECT_TRUE(g_game->tryMove(at("b4"), square("a4"), false));
    EXPECT_TRUE(g_game->tryMove(at("b4"), square("c4"), false));
    EXPECT_FALSE(g_game->tryMove(at("b4"), square("b5"), false));
}

TEST_F(BoardRules, LinesOfAttackEndAtTheFirstPiece) {
    clearBoard();
    place(1, KIND_ROOK, 0, "a1");
    place(1, KIND_KNIGHT, 0, "a3");
    place(0, KIND_PAWN, 2, "c1");
    EXPECT_TRUE(g_game->isAttacked(square("b1"), 1));
    EXPECT_TRUE(g_game->isAttacked(square("c1"), 1)) << "the occupied square itself is reached";
    EXPECT_FALSE(g_game->isAttacked(square("d1"), 1))
        << "the white pawn on c1 ends the rook's line";
    EXPECT_TRUE(g_game->isAttacked(square("a2"), 1));
    EXPECT_FALSE(g_game->isAttacked(square("a5"), 1)) << "the rook's own knight ends its line";
    EXPECT_TRUE(g_game->isAttacked(square("b5"), 1)) << "the knight's jump";
    place(0, KIND_PAWN, 4, "e4");
    EXPECT_TRUE(g_game->isAttacked(square("d5"), 0));
    EXPECT_TRUE(g_game->isAttacked(square("f5"), 0));
    EXPECT_FALSE(g_game->isAttacked(square("e5"), 0));
    EXPECT_FALSE(g_game->isAttacked(square("d3"), 0)) << "a White pawn attacks forwards only";
    place(1, KIND_PAWN, 4, "e5");
    EXPECT_TRUE(g_game->isAttacked(square("d4"), 1));
    EXPECT_FALSE(g_game->isAttacked(square("d6"), 1)) << "a Black pawn attacks towards row 7";
}

TEST_F(BoardRules, PromotedPawnMovesAsAQueenAndKeepsItsIdentity) {
    clearBoard();
    place(0, KIND_KING, 0, "e1");
    place(1, KIND_KING, 0, "a8");
    PieceRecord* pawn = place(0, KIND_PAWN, 6, "g7");
    ASSERT_TRUE(playOnBoard("g7g8"));
    EXPECT_TRUE(pawn->promoted);
    EXPECT_EQ(pawn->kind, KIND_PAWN);
    EXPECT_EQ(movingKind(pawn), KIND_QUEEN);
    EXPECT_EQ(rm_kind(g_game->record.moves[0]), KIND_PAWN);
    EXPECT_EQ(rm_index(g_game->record.moves[0]), 6);
    EXPECT_EQ(g_game->record.promoted, 1u << 6);
    // Black's king on a8 is in check along the eighth row; it can still step to a7 or b7.
    EXPECT_TRUE(g_game->isAttacked(square("b8"), 0));
    ASSERT_TRUE(playOnBoard("a8a7"));
    EXPECT_TRUE(g_game->tryMove(pawn, square("c4"), false)) << "diagonal, as a queen";
    EXPECT_TRUE(g_game->tryMove(pawn, square("g2"), false)) << "backwards, as a queen";
    g_board->reset(0);
    EXPECT_FALSE(pawn->promoted);
    EXPECT_EQ(at("g2"), pawn);
}

TEST_F(BoardRules, PromotionByALocalMoveGivesTheEngineAQueen) {
    for (const char* m : {"a2a4", "b7b5", "a4b5", "a7a6", "b5a6", "c8b7", "a6b7", "e7e6"})
        ASSERT_TRUE(play(m)) << m;
    PieceRecord* pawn = at("b7");
    PieceRecord* rook = at("a8");
    ASSERT_TRUE(play("b7a8"));
    EXPECT_EQ(square_piece[sq("a8")], QUEEN);
    EXPECT_EQ(square_color[sq("a8")], WHITE);
    EXPECT_TRUE(pawn->promoted);
    EXPECT_EQ(rook->square, nullptr);
    EXPECT_EQ(g_game->record.square_ids[sq("a8")], make_piece_id(0, KIND_PAWN, 0));
    // The new queen moves at once, as the engine's queen does.
    ASSERT_TRUE(play("e8e7"));
    EXPECT_TRUE(play("a8b8")) << "takes the knight";
}

TEST_F(BoardRules, MateIsDecidedByLegalMovesNotByFlightSquares) {
    // Fool's mate: the king's neighbours d1 and f1 hold its own pieces and are not attacked,
    // and yet it is mate.
    for (const char* m : {"f2f3", "e7e5", "g2g4"})
        ASSERT_TRUE(play(m)) << m;
    forgetPlayerMessage();
    ASSERT_TRUE(play("d8h4"));
    EXPECT_STREQ(lastPlayerMessage(), "CHECKMATE - Winner BLACK");

    // Every flight square covered, but the check can be blocked: no mate.
    TearDown();
    SetUp();
    clearBoard();
    place(0, KIND_KING, 0, "h1");
    place(0, KIND_ROOK, 0, "c8");
    place(1, KIND_KING, 0, "e6");
    place(1, KIND_ROOK, 0, "a8");
    place(1, KIND_ROOK, 1, "b2");
    g_game->sideToMove = 1;
    forgetPlayerMessage();
    ASSERT_TRUE(playOnBoard("a8a1"));
    EXPECT_EQ(lastPlayerMessage(), nullptr);
    EXPECT_TRUE(g_game->tryMove(at("c8"), square("c1"), false));
    EXPECT_FALSE(g_game->tryMove(at("c8"), square("d8"), false)) << "the check must be answered";
}

TEST_F(BoardRules, MateAndStalemateAskWhetherTheOtherSideAttacksTheKing) {
    // A bare king mated: none of its own pieces stands near it.
    clearBoard();
    place(1, KIND_KING, 0, "h8");
    place(0, KIND_KING, 0, "g6");
    place(0, KIND_QUEEN, 0, "a7");
    forgetPlayerMessage();
    ASSERT_TRUE(playOnBoard("a7g7"));
    EXPECT_STREQ(lastPlayerMessage(), "CHECKMATE - Winner WHITE");

    // Stalemate with the king beside its own pawn, which covers the king's square.
    TearDown();
    SetUp();
    clearBoard();
    place(1, KIND_KING, 0, "a1");
    place(1, KIND_PAWN, 1, "b2");
    place(0, KIND_BISHOP, 0, "b1");
    place(0, KIND_KING, 0, "d3");
    forgetPlayerMessage();
    ASSERT_TRUE(playOnBoard("d3c2"));
    EXPECT_STREQ(lastPlayerMessage(), "1/2-1/2 {Stalemate}");
}

TEST_F(BoardRules, StalemateIsADrawWhateverPiecesAreLeft) {
    clearBoard();
    place(1, KIND_KING, 0, "a8");
    place(1, KIND_BISHOP, 1, "g8"); // boxed in by its own blocked pawns
    place(1, KIND_PAWN, 5, "f7");
    place(1, KIND_PAWN, 7, "h7");
    place(0, KIND_PAWN, 5, "f6");
    place(0, KIND_PAWN, 7, "h6");
    place(0, KIND_KING, 0, "b6");
    place(0, KIND_QUEEN, 0, "c1");
    forgetPlayerMessage();
    ASSERT_TRUE(playOnBoard("c1c7"));
    EXPECT_STREQ(lastPlayerMessage(), "1/2-1/2 {Stalemate}");
}

} // namespace
