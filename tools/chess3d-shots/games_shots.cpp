// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/chess3d-shots/games_shots.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "board/camera_views.h"
#include "game/game_model.h"
#include "game/save_folder.h"
#include "game/settings.h"
#include "tools/chess3d-shots/shot_driver.h"
#include "tools/chess3d-shots/shot_scene_start.h"
#include "ui/computer_page.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"

namespace {

constexpr int KEY_ESCAPE = 27, KEY_DOWN = 40;

// Two games of a player's PGN file: a short one first, the opera game second.
constexpr const char* CLASSICS =
    "[Event \"London\"]\n[Date \"1851.06.21\"]\n[White \"Anderssen, Adolf\"]\n"
    "[Black \"Kieseritzky, Lionel\"]\n[Result \"*\"]\n\n"
    "1. e4 e5 2. f4 exf4 3. Bc4 Qh4+ 4. Kf1 b5 *\n\n"
    "[Event \"Paris\"]\n[Site \"Paris FRA\"]\n[Date \"1858.??.??\"]\n[White \"Morphy, Paul\"]\n"
    "[Black \"Duke of Brunswick and Count Isouard\"]\n[Result \"1-0\"]\n\n"
    "1. e4 e5 2. Nf3 d6 3. d4 Bg4 4. dxe5 Bxf3 5. Qxf3 dxe5 6. Bc4 Nf6 7. Qb3 Qe7 8. Nc3 c6\n"
    "9. Bg5 b5 10. Nxb5 cxb5 11. Bxb5+ Nbd7 12. O-O-O Rd8 13. Rxd7 Rxd7 14. Rd1 Qe6\n"
    "15. Bxd7+ Nxd7 16. Qb8+ Nxb8 17. Rd8# 1-0\n";

bool fail(const char* what) {
    std::fprintf(stderr, "chess3d-shots games: %s\n", what);
    return false;
}

bool playerToMove() {
    return g_game->sideToMove == g_game->humanColour && !g_game->pieceInMotion &&
           !IsCameraMoving() && !g_game->awaitingOpponent && !g_game->menuOpen;
}

} // namespace

bool shootGames(const std::string& folder) {
    const SceneSaveFolder saves;
    if (!saves.made()) return false;
    std::ofstream(saves.path() + "/classics.pgn") << CLASSICS;
    // 1. A game against the computer, two moves each: it is the unfinished game from then on.
    if (!skipIntroToMenu() || !chooseComputerGame(4, 0)) return false;
    if (!runUntil(playerToMove, 20)) return fail("the game did not start");
    const int moves[2][4] = {{6, 4, 4, 4}, {7, 6, 5, 5}}; // e2-e4, Ng1-f3 (row 0 is rank 8)
    for (const auto& m : moves) {
        if (!clickMove(m[0], m[1], m[2], m[3])) return fail("the move was refused");
        if (!runUntil(playerToMove, 60)) return fail("the computer did not answer");
    }
    // 2. The statistics on their panels.
    pressKey('H');
    runFrames(10);
    if (!saveShot(folder, "games-statistics.png")) return false;
    pressKey('H');
    // 3. The load screen: the unfinished game first, the opera game selected.
    pressKey(KEY_ESCAPE);
    if (!runUntil([] { return g_game->menuOpen && !IsCameraMoving(); }, 20)) return fail("no menu");
    runFrames(5);
    if (!clickMenuEntry(0, 2)) return false;
    for (int i = 0; i < 2; ++i)
        pressKey(KEY_DOWN);
    runFrames(5);
    return saveShot(folder, "games-pgn-details.png");
}
