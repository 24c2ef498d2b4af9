// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A board, a game record and the chess engine without any scene: the board's rules, moves and
// the record work on their records alone (no glides are started without an animation manager).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/wiring.h"
#include "board/board_moves.h"
#include "board/board_scene.h"
#include "chess/make_move.h"
#include "chess/position.h"
#include "game/game_model.h"
#include "game/game_record.h"

namespace board_test {

// "e2" -> square index (row 0 = rank 8).
inline int sq(const char* name) {
    return (name[0] - 'a') + ('8' - name[1]) * 8;
}

inline SquareRecord* square(const char* name) {
    return &g_game->squares[sq(name)];
}

inline PieceRecord* at(const char* name) {
    return square(name)->piece;
}

// Fresh board and record for each test; the process-wide pointers point at them.
class BoardFixture : public ::testing::Test {
protected:
    void SetUp() override {
        g_game = new GameModel();
        installGameHooks();
        g_board = new BoardScene();
    }
    void TearDown() override {
        delete g_board;
        delete g_game;
        g_board = nullptr;
        g_game = nullptr;
    }

    // Plays "e2e4" as the side to move: the board's rules, the record and (because the mover is
    // made the local player for the move) the engine. The glide is not animated: the piece's
    // records move at once. Returns tryMove's answer; the turn ends only for a played move.
    bool play(const char* move, bool withEngine = true) {
        PieceRecord* p = at(move);
        if (!p) return false;
        g_game->humanColour = withEngine ? g_game->sideToMove : 1 - g_game->sideToMove;
        if (!g_game->tryMove(p, &g_game->squares[sq(move + 2)], true)) return false;
        g_game->pieceInMotion = nullptr;
        g_game->endTurn();
        return true;
    }

    // The same on the board and the record alone, for positions set up by hand.
    bool playOnBoard(const char* move) { return play(move, false); }

    // Empties the board: every piece to the graveyard.
    void clearBoard() {
        for (PieceRecord* p : g_game->pieces)
            g_game->sendToGraveyard(p);
    }
    PieceRecord* place(int colour, int kind, int index, const char* where) {
        PieceRecord* p = g_game->pieceOf(colour, kind, index);
        SquareRecord* s = square(where);
        if (p->square) p->square->piece = nullptr;
        s->piece = p;
        p->square = s;
        p->row = s->row;
        p->column = s->column;
        return p;
    }

    // The board's legal moves of `colour` as "e2e4" texts, sorted.
    std::vector<std::string> boardMoves(int colour) {
        std::vector<std::string> out;
        for (PieceRecord* p : g_game->pieces) {
            if (p->colour != colour || !p->square) continue;
            for (SquareRecord& s : g_game->squares)
                if (g_game->tryMove(p, &s, false))
                    out.push_back(
                        text(p->square->row * 8 + p->square->column, s.row * 8 + s.column));
        }
        std::sort(out.begin(), out.end());
        return out;
    }

    // The engine's legal moves at the current position (promotions counted once), sorted.
    static std::vector<std::string> engineMoves() {
        std::vector<std::string> out;
        for (int i = ply_first_move[0]; i < ply_first_move[1]; ++i) {
            Move m = move_stack[i].move;
            if ((m.flags & MF_PROMOTE) && m.promote != QUEEN) continue;
            if (make_move(m)) {
                take_back();
                out.push_back(text(m.from, m.to));
            }
        }
        std::sort(out.begin(), out.end());
        return out;
    }

    static std::string text(int from, int to) {
        char t[5] = {char('a' + from % 8), char('8' - from / 8), char('a' + to % 8),
                     char('8' - to / 8), 0};
        return t;
    }
};

} // namespace board_test
