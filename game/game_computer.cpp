// SPDX-License-Identifier: GPL-3.0-or-later
// The computer's turn: the engine chooses and plays its move, the board shows it.

#include <cstring>

#include "board/board_scene.h"
#include "chess/computer_move.h"
#include "chess/make_move.h"
#include "chess/move_gen.h"
#include "chess/position.h"
#include "chess/search.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/opponent.h"
#include "game/player_info.h"

uint32_t queen_promotion_of(uint32_t move) {
    Move m = to_move(move);
    if (!(m.flags & MF_PROMOTE) || m.promote == QUEEN) return move;
    for (int i = ply_first_move[0]; i < ply_first_move[1]; ++i) {
        Move q = move_stack[i].move;
        if (q.from == m.from && q.to == m.to && (q.flags & MF_PROMOTE) && q.promote == QUEEN)
            return move_value(q);
    }
    return move;
}

void GameRecord::ComputerMove() {
    // A UCI engine chosen as the opponent answers in a later frame (game/opponent.cpp).
    if (externalComputerMove()) return;
    // The built-in engine searching beside the frame answers in a later frame too.
    if (builtinMoveBeside()) return;
    // 1-2. The built-in engine's choice (its book's while the game is in it, a weaker level's
    // among the near-best); none when it is mated or stalemated.
    const uint32_t best = computer_move(builtinDepth(), opponentChoice().openingBook, 1);
    if (best == 0) {
        tellPlayer("(No legal moves)");
        return;
    }
    PlayComputerMove(queen_promotion_of(best));
}

void GameRecord::PlayComputerMove(uint32_t best) {
    // 3. Played on the engine. move_text's buffer is overwritten by the next call: copy it.
    char text[8] = {};
    std::strncpy(text, move_text(best), sizeof text - 1);
    if (!make_move(best)) {
        tellPlayer("Internal error : illegal move");
        return;
    }
    search_ply = 0;
    (void)generate_moves();
    ShowResult();
    // 4. The same move on the board, animated.
    int from = (text[0] - 'a') + ('8' - text[1]) * 8;
    int to = (text[2] - 'a') + ('8' - text[3]) * 8;
    BoardScene* b = g_board;
    if (!b) return;
    bool onBoard = from >= 0 && from < 64 && to >= 0 && to < 64;
    if (!onBoard || !g_game->tryMove(g_game->squares[from].piece, &g_game->squares[to], true))
        tellPlayer("Internal error : illegal move");
    // 5. The local player's turn.
    g_game->clearSelection();
    g_game->endTurn();
}
