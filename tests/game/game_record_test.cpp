// SPDX-License-Identifier: GPL-3.0-or-later
// The game record: packing, the engine's veto, take-backs, moves received as bytes, results and
// the computer's move, and the board rebuilt from a record.

#include <string>

#include "chess/fen.h"
#include "chess/move_gen.h"
#include "chess/search.h"
#include "game/game_model.h"
#include "game/player_info.h"
#include "tests/board/board_test_support.h"

using namespace board_test;

namespace {

class GameRecordTest : public BoardFixture {
protected:
    // The board's records, the record's identifiers and the engine's squares agree.
    void expectAllAgree() {
        static const int ENGINE_KIND[8] = {-1, -1, PAWN, QUEEN, KING, BISHOP, KNIGHT, ROOK};
        for (int s = 0; s < 64; ++s) {
            PieceRecord* p = g_game->squares[s].piece;
            PieceId id = g_game->record.square_ids[s];
            ASSERT_EQ(p == nullptr, id == NO_PIECE) << "square " << s;
            ASSERT_EQ(p == nullptr, square_color[s] == EMPTY) << "square " << s;
            if (!p) continue;
            EXPECT_EQ(p->square, &g_game->squares[s]);
            EXPECT_EQ(id, make_piece_id(p->colour, p->kind, p->index)) << "square " << s;
            EXPECT_EQ(p->colour, square_color[s]) << "square " << s;
            EXPECT_EQ(ENGINE_KIND[movingKind(p)], square_piece[s]) << "square " << s;
        }
        for (PieceId id : g_game->record.captured) {
            PieceRecord* p = g_game->pieceOf(id_colour(id), id_kind(id), id_index(id));
            EXPECT_EQ(p->square, nullptr);
            EXPECT_EQ(p->row, -1);
        }
        EXPECT_EQ(g_game->sideToMove, side_to_move);
    }
};

TEST_F(GameRecordTest, MovesArePackedAsRecordedMoves) {
    ASSERT_TRUE(play("e2e4"));
    ASSERT_EQ(g_game->record.moves.count, 1);
    EXPECT_EQ(g_game->record.moves[0], 4351044);
    EXPECT_EQ(g_game->record.square_ids[sq("e2")], NO_PIECE);
    EXPECT_EQ(g_game->record.square_ids[sq("e4")], 68);
    ASSERT_TRUE(play("d7d5"));
    ASSERT_TRUE(play("e4d5"));
    ASSERT_EQ(g_game->record.captured.count, 1);
    EXPECT_EQ(g_game->record.captured[0], 83);
    expectAllAgree();
}

TEST_F(GameRecordTest, AMoveTheEngineRefusesIsNotPlayedOnTheBoard) {
    ASSERT_TRUE(playOnBoard("e2e4")); // the engine was not told: it still has White to move
    PieceRecord* pawn = at("e7");
    g_game->humanColour = 1;
    forgetPlayerMessage();
    EXPECT_TRUE(g_game->tryMove(pawn, square("e5"), false)) << "the board's rules allow it";
    EXPECT_FALSE(g_game->tryMove(pawn, square("e5"), true));
    EXPECT_STREQ(lastPlayerMessage(), "Illegal move");
    EXPECT_EQ(at("e7"), pawn);
    EXPECT_EQ(at("e5"), nullptr);
    EXPECT_EQ(g_game->pieceInMotion, nullptr);
    EXPECT_EQ(g_game->record.moves.count, 1);
    EXPECT_EQ(g_game->record.square_ids[sq("e7")], make_piece_id(1, KIND_PAWN, 4));
}

TEST_F(GameRecordTest, UndoLastMove) {
    g_game->record.UndoLastMove(); // nothing to undo
    EXPECT_EQ(g_game->record.moves.count, 0);
    ASSERT_TRUE(play("e2e4"));
    g_game->record.UndoLastMove();
    g_game->record.RestoreBoard();
    EXPECT_EQ(g_game->record.moves.count, 0);
    EXPECT_EQ(g_game->sideToMove, 0);
    PieceId start[64];
    start_square_ids(start);
    for (int s = 0; s < 64; ++s)
        EXPECT_EQ(g_game->record.square_ids[s], start[s]);

    for (const char* m : {"e2e4", "d7d5", "e4d5", "d8d5"})
        ASSERT_TRUE(play(m)) << m;
    ASSERT_EQ(g_game->record.captured.count, 2);
    g_game->record.UndoLastMove();
    ASSERT_EQ(g_game->record.captured.count, 1);
    EXPECT_EQ(g_game->record.square_ids[sq("d5")], make_piece_id(0, KIND_PAWN, 4));
    EXPECT_EQ(g_game->record.square_ids[sq("d8")], make_piece_id(1, KIND_QUEEN, 0));
    g_game->record.RestoreBoard();
    expectAllAgree();
    EXPECT_EQ(g_game->sideToMove, 1);
    EXPECT_EQ(at("d8")->kind, KIND_QUEEN);
    EXPECT_TRUE(g_game->tryMove(at("d8"), square("d5"), false));
}

TEST_F(GameRecordTest, LoadMovesReadsLeastSignificantByteFirstAndRefusesDamage) {
    const RecordedMove e4 = 4351044, d5 = make_recorded_move(1, 3, 3, 3, 1, 2, 3),
                       takes = make_recorded_move(4, 4, 3, 3, 0, 2, 4);
    unsigned char bytes[12];
    RecordedMove values[3] = {e4, d5, takes};
    for (int i = 0; i < 3; ++i)
        for (int b = 0; b < 4; ++b)
            bytes[4 * i + b] = (uint32_t(values[i]) >> (8 * b)) & 0xff;
    ASSERT_TRUE(g_game->record.LoadMoves(bytes, 3));
    ASSERT_EQ(g_game->record.moves.count, 3);
    EXPECT_EQ(g_game->record.moves[2], takes);
    ASSERT_EQ(g_game->record.captured.count, 1);
    EXPECT_EQ(g_game->record.captured[0], make_piece_id(1, KIND_PAWN, 3));

    // The third move names the d-pawn, which is not on e4: the whole block is refused.
    RecordedMove wrong = make_recorded_move(4, 4, 3, 3, 0, 2, 3);
    for (int b = 0; b < 4; ++b)
        bytes[8 + b] = (uint32_t(wrong) >> (8 * b)) & 0xff;
    EXPECT_FALSE(g_game->record.LoadMoves(bytes, 3));
    EXPECT_EQ(g_game->record.moves.count, 3);
    EXPECT_EQ(g_game->record.moves[2], takes);
    EXPECT_EQ(g_game->record.captured.count, 1);
}

TEST_F(GameRecordTest, RecordedMoveRanges) {
    EXPECT_TRUE(recorded_move_in_range(4351044));
    EXPECT_TRUE(recorded_move_in_range(make_recorded_move(7, 7, 0, 0, 1, 2, 7)));
    EXPECT_FALSE(recorded_move_in_range(make_recorded_move(6, 4, 4, 4, 0, 1, 0))) << "kind 1";
    EXPECT_FALSE(recorded_move_in_range(make_recorded_move(7, 4, 6, 4, 0, 4, 1))) << "king 1";
    EXPECT_FALSE(recorded_move_in_range(make_recorded_move(7, 1, 5, 2, 0, 6, 2))) << "knight 2";
    EXPECT_FALSE(recorded_move_in_range(make_recorded_move(7, 3, 5, 3, 0, 3, 1))) << "queen 1";
    EXPECT_FALSE(recorded_move_in_range(4351044 | 1 << 25)) << "bit above the colour";
    EXPECT_FALSE(recorded_move_in_range(4351044 | 1 << 3)) << "top bit of a group";
    EXPECT_FALSE(recorded_move_in_range(-4351044));
}

TEST_F(GameRecordTest, RepetitionIsAnnouncedAtExactlyThree) {
    const char* shuffle[4] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    for (int round = 1; round <= 4; ++round)
        for (int i = 0; i < 4; ++i) {
            forgetPlayerMessage();
            ASSERT_TRUE(play(shuffle[i]));
            const char* shown = lastPlayerMessage();
            bool draw = shown && std::string(shown) == "1/2-1/2 {Draw by repetition}";
            // Each placement counts the times it stood before: the start position's third
            // return ends round 3, round 4's first three moves repeat theirs a third time, and
            // its last move makes a fourth repetition, which is not announced.
            bool third = (round == 3 && i == 3) || (round == 4 && i < 3);
            EXPECT_EQ(draw, third) << "round " << round << " move " << i;
        }
}

TEST_F(GameRecordTest, ComputerMoveAfterMateChangesNothing) {
    for (const char* m : {"f2f3", "e7e5", "g2g4", "d8h4"})
        ASSERT_TRUE(play(m)) << m;
    forgetPlayerMessage();
    g_game->record.ComputerMove();
    EXPECT_STREQ(lastPlayerMessage(), "(No legal moves)");
    EXPECT_EQ(g_game->record.moves.count, 4);
    EXPECT_EQ(history_ply, 4);
    expectAllAgree();
}

TEST_F(GameRecordTest, ComputerMoveIsPlayedOnEngineRecordAndBoard) {
    g_board->reset(1); // the local player takes Black: the computer opens
    g_game->record.NewGame(true);
    max_depth = 3;
    g_game->record.ComputerMove();
    g_game->pieceInMotion = nullptr;
    ASSERT_EQ(g_game->record.moves.count, 1);
    EXPECT_EQ(rm_colour(g_game->record.moves[0]), 0);
    EXPECT_EQ(g_game->sideToMove, 1);
    expectAllAgree();
}

TEST_F(GameRecordTest, RestoreBoardShowsPromotionsAndCapturesAndWhoMoves) {
    for (const char* m : {"a2a4", "b7b5", "a4b5", "a7a6", "b5a6", "c8b7", "a6b7", "e7e6", "b7a8"})
        ASSERT_TRUE(play(m)) << m;
    // Everything the board knows is thrown away; the record rebuilds it.
    g_board->reset(0);
    EXPECT_FALSE(g_game->pieceOf(0, KIND_PAWN, 0)->promoted);
    g_game->record.RestoreBoard();
    expectAllAgree();
    PieceRecord* queen = at("a8");
    ASSERT_NE(queen, nullptr);
    EXPECT_EQ(queen->kind, KIND_PAWN);
    EXPECT_TRUE(queen->promoted);
    EXPECT_EQ(g_game->sideToMove, 1) << "White moved last";
    EXPECT_EQ(g_game->record.captured.count, 4);
    EXPECT_EQ(g_game->pieceOf(1, KIND_ROOK, 0)->square, nullptr);
}

TEST_F(GameRecordTest, TheComputerPromotesToAQueenAsTheBoardShows) {
    ASSERT_TRUE(set_position_fen("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1"));
    search_ply = 0;
    ASSERT_TRUE(generate_moves());
    int promotions = 0;
    for (int i = ply_first_move[0]; i < ply_first_move[1]; ++i) {
        Move m = move_stack[i].move;
        if (!(m.flags & MF_PROMOTE)) continue;
        ++promotions;
        Move q = to_move(queen_promotion_of(move_value(m)));
        EXPECT_EQ(q.from, m.from);
        EXPECT_EQ(q.to, m.to);
        EXPECT_EQ(q.promote, QUEEN) << "from the piece " << int(m.promote);
    }
    EXPECT_EQ(promotions, 4);
    Move push = {int8_t(sq("e1")), int8_t(sq("e2")), 0, 0};
    EXPECT_EQ(queen_promotion_of(move_value(push)), move_value(push));
}

} // namespace
