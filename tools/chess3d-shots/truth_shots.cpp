// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/chess3d-shots/truth_shots.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "anim/anim_manager.h"
#include "board/camera_views.h"
#include "board/captured_row.h"
#include "board/check_mark.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/recorded_move.h"
#include "game/save_folder.h"
#include "game/settings.h"
#include "tools/chess3d-shots/shot_driver.h"
#include "tools/chess3d-shots/shot_scene_start.h"
#include "ui/computer_page.h"
#include "ui/material_balance.h"

namespace {

constexpr int KEY_ESCAPE = 27;
constexpr double SETTLE_DT = 0.1;

bool fail(const char* what) {
    std::fprintf(stderr, "chess3d-shots truth: %s\n", what);
    return false;
}

bool playerToMove() {
    return g_game->sideToMove == g_game->humanColour && !g_game->pieceInMotion &&
           !IsCameraMoving() && !g_game->awaitingOpponent;
}

// The trap of the knight's early jump to d4: Black's queen checks from e4 with two pawns taken
// by each side; played on, Black wins White's queen and a rook for its own queen and a rook.
const std::vector<std::string> TRAP = {"e2e4", "e7e5", "g1f3", "b8c6", "f1c4", "c6d4", "f3e5",
                                       "d8g5", "e5f7", "g5g2", "h1f1", "g2e4", "d1e2", "e4e2",
                                       "c4e2", "d4c2", "e1d1", "c2a1", "f7h8", "g8f6"};

} // namespace

bool shootBoardTruth(const std::string& folder) {
    const SceneSaveFolder saves;
    if (!saves.made() || !skipIntroToMenu() || !chooseComputerGame(4, 0)) return false;
    if (!runUntil([] { return !g_game->menuOpen && g_game->gameStarted && !IsCameraMoving(); }, 20,
                  SETTLE_DT))
        return fail("the game did not start");

    // 1. White's king in check from the queen on e4, White to move.
    if (!loadCoordinateMoves({TRAP.begin(), TRAP.begin() + 12})) return false;
    if (!runUntil(playerToMove, 20, SETTLE_DT)) return fail("the loaded game did not settle");
    runFrames(10, SETTLE_DT);
    std::printf("check mark on square %d\n", shownCheckSquare());
    if (shownCheckSquare() != 60) return fail("no check mark under White's king on e1");
    if (!saveShot(folder, "board-check.png")) return false;

    // 2. Played on: queens and a rook each gone, Black a pawn ahead, White to move.
    if (!loadCoordinateMoves(TRAP)) return false;
    if (!runUntil(playerToMove, 20, SETTLE_DT)) return fail("the longer game did not settle");
    runFrames(10, SETTLE_DT);
    std::printf("balance \"%s\"\n", materialBalanceText());
    if (!saveShot(folder, "board-captured.png")) return false;
    NextView(); // the same row from Black's side
    if (!runUntil([] { return !IsCameraMoving(); }, 10, SETTLE_DT)) return fail("no view change");
    runFrames(5, SETTLE_DT);
    return saveShot(folder, "board-captured-black.png");
}
