// SPDX-License-Identifier: GPL-3.0-or-later
// chess3d-shots extras: a game against the computer started from the menu, a saved game loaded
// (the one Morphy won at the Paris opera in 1858, up to its last move), the computer's reply,
// the hints of a selected piece, the suggestion, the move list after the mate, full screen (on a
// display wider than 4:3, the move list on the bar beside the picture).

#include "tools/chess3d-shots/extras_shots.h"
#include "board/camera_views.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "anim/anim_manager.h"
#include "app/app_state.h"
#include "app/extra_keys.h"
#include "app/input.h"
#include "board/board_moves.h"
#include "board/board_scene.h"
#include "board/move_marks.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/save_folder.h"
#include "game/settings.h"
#include "tools/chess3d-shots/shot_driver.h"
#include "tools/chess3d-shots/shot_scene_start.h"
#include "ui/computer_page.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"

namespace {

constexpr int KEY_ESCAPE = 27, KEY_SHIFT = 16, KEY_QUESTION = 191;
constexpr double SETTLE_DT = 0.1;

std::string g_folder;

bool fail(const char* what) {
    std::fprintf(stderr, "chess3d-shots extras: %s\n", what);
    return false;
}

bool playerToMove() {
    return g_game->sideToMove == g_game->humanColour && !g_game->pieceInMotion &&
           !IsCameraMoving() && !g_game->awaitingOpponent;
}

// The player's piece with the most squares to go to, captures counting double; false if none.
bool busiestPiece(int& square) {
    int best = -1;
    for (PieceRecord* p : g_game->pieces) {
        if (!p || !p->square || p->colour != g_game->humanColour) continue;
        uint64_t quiet = 0, captures = 0;
        legalTargets(p, quiet, captures);
        const int score = __builtin_popcountll(quiet) + 2 * __builtin_popcountll(captures);
        if (captures && score > best) {
            best = score;
            square = p->row * 8 + p->column;
        }
    }
    return best >= 0;
}

bool clickSquare(int square) {
    int x, y;
    if (!findSquarePixel(&g_game->squares[square], x, y)) return fail("square not reachable");
    clickAt(x, y);
    return runUntil([] { return !IsCameraMoving(); }, 5, SETTLE_DT) && runFrames(3);
}

const std::vector<std::string> OPERA_GAME = {
    "e2e4", "e7e5", "g1f3", "d7d6", "d2d4", "c8g4", "d4e5", "g4f3", "d1f3", "d6e5", "f1c4",
    "g8f6", "f3b3", "d8e7", "b1c3", "c7c6", "c1g5", "b7b5", "c3b5", "c6b5", "c4b5", "b8d7",
    "e1c1", "a8d8", "d1d7", "d8d7", "h1d1", "e7e6", "b5d7", "f6d7", "b3b8", "d7b8"};

} // namespace

bool shootExtras(const std::string& folder) {
    g_folder = folder;
    // The keys pressed here write the settings: into a folder of this run's, not the game's.
    const SceneSaveFolder saves;
    if (!saves.made()) return false;
    // 1. Intro skipped, a game as White from the menu.
    if (!skipIntroToMenu() || !chooseComputerGame(4, 0)) return false;
    if (!runUntil([] { return !g_game->menuOpen && g_game->gameStarted && !IsCameraMoving(); }, 20,
                  SETTLE_DT))
        return fail("the game did not start");

    // 2. The opening of the opera game to Black's seventh move; the computer plays Black's
    //    seventh itself, and its reply is marked.
    const std::vector<std::string> opening(OPERA_GAME.begin(), OPERA_GAME.begin() + 13);
    if (!loadCoordinateMoves(opening)) return false;
    if (!runUntil([] { return g_game->record.moves.count == 14 && playerToMove(); }, 60, 0.2))
        return fail("the computer did not answer the loaded game");
    runFrames(10, SETTLE_DT);
    if (!saveShot(g_folder, "extra-last-move.png")) return false;

    // 3. The piece with the most moves selected: dots for its moves, rings for its captures.
    int square = -1;
    if (!busiestPiece(square)) return fail("no piece of the player can take anything");
    if (!clickSquare(square)) return false;
    const ShownMarks shown = shownMoveMarks();
    std::printf("hints: %d quiet, %d captures\n", __builtin_popcountll(shown.quiet),
                __builtin_popcountll(shown.captures));
    if (!shown.captures) return fail("no capture hint shown");
    if (!saveShot(g_folder, "extra-hints.png")) return false;
    // The selection put down, as a click on an empty square no piece can reach would.
    g_board->showSelectMarker(nullptr);
    g_game->selectedPiece = nullptr;

    // 4. The engine's suggestion for the player.
    onKeyDown(KEY_SHIFT);
    pressKey(KEY_QUESTION);
    onKeyUp(KEY_SHIFT);
    runFrames(10, SETTLE_DT);
    if (!shownMoveMarks().suggested) return fail("no suggestion shown");
    if (!saveShot(g_folder, "extra-suggestion.png")) return false;
    runFrames(40, SETTLE_DT);
    if (shownMoveMarks().suggested) return fail("the suggestion stayed after its time");

    // 5. The whole game but its last move loaded, the mate played with three clicks, and the
    //    move list shown: seventeen moves, the first scrolled away.
    if (!loadCoordinateMoves(OPERA_GAME)) return false;
    if (!runUntil(playerToMove, 20, SETTLE_DT)) return fail("the loaded game did not settle");
    pressKey('M');
    pressKey('A'); // the camera stays on White's side after the mate
    if (!clickMove(7, 3, 0, 3)) return fail("Rd8# could not be clicked");
    runFrames(15, 0.04); // the rook half way, the result in the info line
    if (!saveShot(g_folder, "extra-move-list.png")) return false;
    // The rook landed: the computer, mated, has nothing to say over the result.
    if (!runUntil([] { return !g_game->pieceInMotion; }, 5, 0.04)) return fail("Rd8 never landed");
    runFrames(10, 0.04);
    std::printf("info line after the mate: %s\n", g_ui->overlay->infoText->texte);
    if (!saveShot(g_folder, "extra-mate.png")) return false;
    runFrames(30, SETTLE_DT);

    // 6. Full screen, then back to the window.
    const int width = g_app->width, height = g_app->height;
    pressKey('F');
    runFrames(20, SETTLE_DT);
    std::printf("full screen: picture %d x %d at %d,%d\n", g_app->width, g_app->height,
                g_app->screen->originX, g_app->screen->originY);
    if (!g_app->screen->fullscreen) return fail("no full screen");
    if (!saveShot(g_folder, "extra-fullscreen.png")) return false;
    pressKey('F');
    runFrames(10, SETTLE_DT);
    if (g_app->width != width || g_app->height != height) return fail("the window size changed");
    return true;
}
