// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/chess3d-shots/ending_shots.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "app/input.h"
#include "board/board_moves.h"
#include "board/camera_views.h"
#include "board/intro.h"
#include "chess/game_end.h"
#include "chess/make_move.h"
#include "chess/move_gen.h"
#include "chess/position.h"
#include "game/game_end_state.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "tools/chess3d-shots/shot_driver.h"
#include "tools/chess3d-shots/shot_scene_start.h"
#include "ui/game_end_banner.h"

namespace {

bool fail(const char* what) {
    std::fprintf(stderr, "chess3d-shots ending: %s\n", what);
    return false;
}

// Coordinate texts ("e2e4") loaded as the load screen loads a game, the board settled.
bool loadMoves(const std::vector<std::string>& moves) {
    return loadCoordinateMoves(moves) &&
           runUntil([] { return !g_game->pieceInMotion && !IsCameraMoving(); }, 20, 0.1) &&
           runFrames(10, 0.1);
}

// A game played by the engine's rules, captures first and otherwise at random (a fixed
// generator), that ends for want of material; empty when none did from `seed` in 400 plies.
std::vector<std::string> gameToBarePieces(uint32_t seed) {
    std::vector<std::string> out;
    init_position();
    for (int ply = 0; ply < 400; ++ply) {
        search_ply = 0;
        (void)generate_moves();
        const GameVerdict v = judge_game();
        if (v.over()) {
            if (v.end != DRAW_BY_INSUFFICIENT_MATERIAL) out.clear();
            return out;
        }
        std::vector<Move> legal, captures;
        for (int i = ply_first_move[0]; i < ply_first_move[1]; ++i) {
            const Move m = move_stack[i].move;
            if ((m.flags & MF_PROMOTE) && m.promote != QUEEN) continue;
            if (!make_move(m)) continue;
            take_back();
            legal.push_back(m);
            if (m.flags & MF_CAPTURE) captures.push_back(m);
        }
        const std::vector<Move>& pick = captures.empty() ? legal : captures;
        seed = seed * 1664525u + 1013904223u;
        const Move m = pick[(seed >> 8) % pick.size()];
        (void)make_move(m);
        out.push_back({char('a' + m.from % 8), char('8' - m.from / 8), char('a' + m.to % 8),
                       char('8' - m.to / 8)});
    }
    return {};
}

} // namespace

bool shootGameEnds(const std::string& folder) {
    IntroSkip();
    if (!runUntil([] { return g_game->menuOpen && !IsCameraMoving(); }, 30))
        return fail("no menu after the intro");
    startNewGame(0);
    g_game->gameStarted = 1;
    toggleMenu();
    if (!runUntil([] { return !g_game->menuOpen && !IsCameraMoving(); }, 20, 0.1))
        return fail("the game did not start");

    // The opera game, Morphy's mate with the rook on d8.
    if (!loadMoves({"e2e4", "e7e5", "g1f3", "d7d6", "d2d4", "c8g4", "d4e5", "g4f3", "d1f3",
                    "d6e5", "f1c4", "g8f6", "f3b3", "d8e7", "b1c3", "c7c6", "c1g5", "b7b5",
                    "c3b5", "c6b5", "c4b5", "b8d7", "e1c1", "a8d8", "d1d7", "d8d7", "h1d1",
                    "e7e6", "b5d7", "f6d7", "b3b8", "d7b8", "d1d8"}))
        return false;
    std::printf("mate: banner \"%s\"\n", gameEndBannerShown() ? gameEndBannerShown() : "");
    if (gameVerdict().end != WHITE_MATES || !gameEndBannerShown()) return fail("no mate shown");
    if (!saveShot(folder, "game-end-mate.png")) return false;

    std::vector<std::string> bare;
    for (uint32_t seed = 1; bare.empty() && seed < 200; ++seed)
        bare = gameToBarePieces(seed);
    if (bare.empty() || !loadMoves(bare)) return fail("no game ended for want of material");
    std::printf("insufficient material after %zu plies: banner \"%s\"\n", bare.size(),
                gameEndBannerShown() ? gameEndBannerShown() : "");
    if (gameVerdict().end != DRAW_BY_INSUFFICIENT_MATERIAL) return fail("not that draw");
    return saveShot(folder, "game-end-material.png");
}
