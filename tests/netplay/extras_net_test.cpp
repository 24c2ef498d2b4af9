// SPDX-License-Identifier: GPL-3.0-or-later
// The additions to the game in a network game, hosting against the test peer: the board's own
// rules decide (the engine is not asked), so the hints are exactly the squares the three clicks
// accept; the peer's moves are marked and listed like the player's; the engine's suggestion is
// never shown.

#include <gtest/gtest.h>

#include "tests/netplay/net_world.h"

#include "app/extra_keys.h"
#include "board/board_moves.h"
#include "board/move_marks.h"
#include "board/square_picking.h"
#include "board/two_click_moves.h"
#include "chess/notation.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/settings.h"
#include "ui/move_list.h"

using peer::click;
using peer::square;

namespace {

constexpr int PORT = 29240; // + one offset per case

uint64_t bit(int s) {
    return uint64_t(1) << s;
}

class NetExtras : public NetWorld {
protected:
    void start(int offset) {
        gameSettings() = GameSettings{};
        gameSettings().moveList = true;
        host(PORT + offset);
        ASSERT_TRUE(p.connectTo(PORT + offset));
        ASSERT_EQ(fromGame(p, 4), std::string("SB\0\0", 4));
    }
    // The frame loop's steps for the marks and the move list (passes run without drawing).
    static void frameSteps() {
        moveMarksStep();
        moveListStep();
    }
    void localMove(const char* from, const char* to) {
        localClick(from);
        localClick(to);
        localClick(to);
        settle();
        fromGame(p, 12);
        frameSteps();
    }
    void peerMove(const char* from, const char* to) {
        for (const char* s : {from, to, to})
            deliver(p, click('C', square(s) / 8, square(s) % 8));
        settle();
        frameSteps();
    }
    // Every piece of the local player (White) selected in turn: its hints are the squares the
    // board allows, and, the position being an ordinary one, the engine's legal moves too.
    void expectHintsAreTheClicksAccepted(const char* where) {
        Move legal[MAX_LEGAL_MOVES];
        const int count = legal_moves(legal);
        for (PieceRecord* piece : g_game->pieces) {
            if (!piece->square || piece->colour != 0) continue;
            const int from = piece->row * 8 + piece->column;
            uint64_t allowed = 0, engine = 0;
            for (int s = 0; s < 64; ++s)
                if (g_game->tryMove(piece, &g_game->squares[s], false)) allowed |= bit(s);
            for (int k = 0; k < count; ++k)
                if (legal[k].from == from) engine |= bit(legal[k].to);
            onBoardClick(piece->node);
            fromGame(p, 4); // the selection reported to the peer
            frameSteps();
            const ShownMarks shown = shownMoveMarks();
            EXPECT_EQ(shown.quiet | shown.captures, allowed) << where << ", square " << from;
            EXPECT_EQ(allowed, engine) << where << ", square " << from;
        }
    }
    static std::string lastRow() {
        const MoveListView& v = moveListView();
        return v.rowsUsed > 0 ? v.rows[v.rowsUsed - 1]->texte : "";
    }

    peer::Socket p;
};

} // namespace

TEST_F(NetExtras, HintsMarksAndListFollowTheBoardsRulesAndThePeersMoves) {
    start(0);
    expectHintsAreTheClicksAccepted("start");

    localMove("e2", "e4");
    EXPECT_EQ(shownMoveMarks().lastMove, bit(square("e2")) | bit(square("e4")));
    peerMove("d7", "d5");
    EXPECT_EQ(shownMoveMarks().lastMove, bit(square("d7")) | bit(square("d5")));
    EXPECT_EQ(lastRow(), "  1. e4      d5");
    localMove("e4", "e5");
    peerMove("f7", "f5");
    expectHintsAreTheClicksAccepted("en passant");
    onBoardClick(g_game->squares[square("e5")].node);
    fromGame(p, 4);
    frameSteps();
    EXPECT_EQ(shownMoveMarks().quiet, bit(square("e6")));
    EXPECT_EQ(shownMoveMarks().captures, bit(square("f6")));

    localMove("g1", "f3");
    peerMove("b8", "c6");
    localMove("f1", "e2");
    peerMove("g8", "f6");
    EXPECT_EQ(lastRow(), "  4. Be2     Nf6");
    expectHintsAreTheClicksAccepted("castling");
    onBoardClick(g_game->squares[square("e1")].node);
    fromGame(p, 4);
    frameSteps();
    EXPECT_EQ(shownMoveMarks().quiet, bit(square("f1")) | bit(square("g1")));

    // The peer's selection shows its markers here, never hints: it is not the player's turn.
    localMove("e1", "g1");
    EXPECT_EQ(lastRow(), "  5. O-O");
    deliver(p, click('C', square("e7") / 8, square("e7") % 8));
    frameSteps();
    ASSERT_NE(g_game->selectedPiece, nullptr);
    EXPECT_EQ(shownMoveMarks().quiet | shownMoveMarks().captures, 0u);

    // No suggestion in a network game.
    EXPECT_FALSE(g_game->suggestMoveForPlayer());
    frameSteps();
    EXPECT_EQ(shownMoveMarks().suggested, 0u);
}

// With two clicks the mouse's click on a target plays the move, a click on anything else selects
// or clears as before, and the peer receives the move's three clicks.
TEST_F(NetExtras, TwoClickMovesPlayOnTheTargetAndReachThePeerAsThreeClicks) {
    start(1);
    EXPECT_FALSE(parseSettings("moves = 2 clicks\n").twoClickMoves); // unknown: three clicks
    gameSettings().twoClickMoves = parseSettings("moves =  Two   Clicks \n").twoClickMoves;
    auto mouse = [](const char* s) { mouseClickOnBoard(g_game->squares[square(s)].node); };
    for (const char* s : {"e2", "e5", "g1", "e2", "e2"})
        mouse(s); // select, clear (no target), select another, select, the same again
    EXPECT_EQ(fromGame(p, 20), "MHe2" + peer::clickOff('H') + "MHg1MHe2MHe2");
    EXPECT_EQ(g_game->record.moves.count, 0);
    mouse("e4");
    EXPECT_EQ(g_game->record.moves.count, 1);
    settle();
    EXPECT_EQ(fromGame(p, 8), "MHe4MHe4");
    peerMove("e7", "e5");
    mouse("g1");
    mouse("f3");
    settle();
    frameSteps();
    EXPECT_EQ(fromGame(p, 12), "MHg1MHf3MHf3");
    EXPECT_EQ(lastRow(), "  2. Nf3");
    EXPECT_EQ(disagreement(), "");
}
