// SPDX-License-Identifier: GPL-3.0-or-later
// chess3d-shots <output folder> [screens]: plays the game in this process on the test clock,
// the way a player would (intro, menu pages, a game against the computer with a capture, the
// request window, the chat, a lost game, the save, load and connect screens, the water and quit
// pages), and writes a PNG of the window at each moment worth showing. Run it with the build's
// bin folder as current folder; without a display it draws offscreen. Prints the frame rate the
// statistics show, measured on real time. With "screens" it only skips the intro and shoots the
// save, load and connect screens, the load screen also at every size of the window's ladder
// (ui-load-screen-WIDTH.png), to check where the list falls on the panel, and the OK mark of a
// confirmed choice (ui-load-confirmed.png, ui-connect-confirmed.png). With "extras" it shoots
// the additions to the game (extra-*.png: last move, hints, suggestion, move list, the result
// after the player's mate, full screen). With "chess" it shoots a UCI engine chosen as the
// computer, the move line and the replay of a loaded game (chess-*.png). With "ending" it
// shoots a mate and a draw for want of material with their result banners (game-end-*.png).
// With "board" it shoots a king in check and the captured pieces with the material balance
// (board-*.png).
// With "games", the load screen with the unfinished game and a PGN game's details, and the
// statistics (games-*.png).

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "anim/anim_manager.h"
#include "app/app_state.h"
#include "app/game_main.h"
#include "app/input.h"
#include "board/board_moves.h"
#include "board/board_scene.h"
#include "board/camera_views.h"
#include "engine/KivEngine.h"
#include "game/file_jobs.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "game/player_info.h"
#include "game/settings.h"
#include "tools/chess3d-shots/chess_shots.h"
#include "tools/chess3d-shots/ending_shots.h"
#include "tools/chess3d-shots/extras_shots.h"
#include "tools/chess3d-shots/games_shots.h"
#include "tools/chess3d-shots/shot_driver.h"
#include "tools/chess3d-shots/truth_shots.h"
#include "ui/computer_page.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"

namespace {

constexpr int KEY_TAB = 9, KEY_ENTER = 13, KEY_ESCAPE = 27, KEY_DOWN = 40;
constexpr int KEY_SHIFT = 16, KEY_F11 = 122, KEY_F12 = 123;
constexpr double WALL_TURN_SECONDS = 3.5;  // the wall's wave takes about three seconds
constexpr double STILL_WALL_SECONDS = 3.0; // then the last cubes of the wave come to rest
constexpr int WHITE = 0;
// Waits for the computer use longer frames: each board frame is slow to draw in software, and
// the animations only sample their keys at the frame times.
constexpr double WAIT_FRAME_SECONDS = 0.2;

std::string g_out;

// Lets `seconds` of test clock pass in frames of `dt`.
void waitSeconds(double seconds, double dt = FRAME_SECONDS) {
    runUntil([] { return false; }, seconds, dt);
}

bool fail(const char* what) {
    std::fprintf(stderr, "chess3d-shots: %s\n", what);
    return false;
}

bool cameraResting() {
    return !IsCameraMoving();
}

// Cubes of the wall whose turn is still under way.
int turningCubes() {
    int turning = 0;
    for (auto& row : g_ui->cubes)
        for (KNodeGraph* cube : row) {
            const NodeAnimEntry* entry = cube ? FindNodeEntry(cube) : nullptr;
            if (entry && entry->state != ANIM_STOPPED) ++turning;
        }
    return turning;
}

// The pictures of the wall that the README and the software centre show: taken only with every
// cube at rest, never caught in the turn between two pages.
bool saveWallShot(const char* name) {
    if (const int turning = turningCubes()) {
        std::fprintf(stderr, "chess3d-shots: %s: %d cubes of the wall still turn\n", name, turning);
        return false;
    }
    return saveShot(g_out, name);
}

// The local player's turn with nothing moving: the computer has answered.
bool readyForMove() {
    return g_game->sideToMove == g_game->humanColour && !g_game->pieceInMotion &&
           !IsCameraMoving() && !g_game->awaitingOpponent;
}

// Hovers `entry` of the current page and lets the pointer's light and lens settle.
bool hoverEntry(int page, int entry) {
    int x, y;
    if (!findEntryPixel(page, entry, x, y)) return fail("menu entry not reachable");
    std::printf("page %d entry %d at pixel %d,%d\n", page, entry, x, y);
    movePointer(x, y);
    runFrames(10);
    if (g_ui->hoveredEntry != entry) return fail("menu entry not hovered");
    return true;
}

// Clicks `entry` of the current page and waits for the wall's turn.
bool openEntry(int page, int entry) {
    if (!hoverEntry(page, entry)) return false;
    clickAt(g_ui->mouseX, g_ui->mouseY);
    waitSeconds(WALL_TURN_SECONDS);
    return true;
}

// 1. The intro: the title early in the flight and again later, then the menu after it.
bool shootIntro() {
    waitSeconds(4.0);
    if (!g_game->introRunning) return fail("the intro ended early");
    if (!saveShot(g_out, "ui-intro.png")) return false;
    waitSeconds(3.0);
    if (!saveShot(g_out, "game-intro.png")) return false;
    if (!runUntil([] { return g_game->menuOpen && cameraResting(); }, 30))
        return fail("the menu never showed after the intro");
    return true;
}

// 2. The main page (New game, then Resign, lit), the water page, the new-game and network pages;
// then a game as White from the colour page.
bool shootMenuAndStartGame() {
    if (!hoverEntry(0, 1) || !saveWallShot("ui-menu-page0.png")) return false;
    if (!hoverEntry(0, RESIGN_ENTRY) || !saveWallShot("ui-menu-resign.png")) return false;

    // The water page: drops at a few points of the pool, ripples spreading.
    openEntry(0, 6);
    if (!runUntil([] { return g_ui->waterShown != 0; }, 5)) return fail("no water page");
    const float drops[][2] = {{3.5f, 1.0f}, {1.5f, 0.0f}, {5.5f, 2.0f}, {2.5f, 2.5f}};
    for (const auto& d : drops) {
        int x, y;
        if (findWallPixel(d[0], d[1], x, y)) {
            movePointer(x, y);
            runFrames(1);
            clickAt(x, y);
        }
        runFrames(6);
    }
    runFrames(10);
    if (!saveShot(g_out, "ui-water.png")) return false;
    pressKey(KEY_ESCAPE);
    waitSeconds(WALL_TURN_SECONDS);

    openEntry(0, 1);
    if (g_ui->page != 1) return fail("not on the new-game page");
    if (!hoverEntry(1, 3) || !saveWallShot("ui-menu-page1.png")) return false;
    openEntry(1, 10);
    if (g_ui->page != 10) return fail("not on the network page");
    if (!hoverEntry(10, 3) || !saveWallShot("ui-menu-page10.png")) return false;
    pressKey(KEY_ESCAPE);
    waitSeconds(WALL_TURN_SECONDS);
    openEntry(0, 1);
    openEntry(1, 3);
    if (g_ui->page != COMPUTER_PAGE) return fail("not on the computer page");
    waitSeconds(STILL_WALL_SECONDS);
    // The computer page with the next engine shown (Stockfish where it is installed) and level 3
    // under the pointer; then back to the built-in engine at level 4 for the game shot below.
    if (!openEntry(COMPUTER_PAGE, ENTRY_ENGINE_NEXT) || !hoverEntry(COMPUTER_PAGE, 3) ||
        !saveWallShot("ui-menu-computer.png"))
        return false;
    openEntry(COMPUTER_PAGE, ENTRY_ENGINE_PREVIOUS);
    openEntry(COMPUTER_PAGE, 4);
    if (g_ui->page != 3) return fail("not on the colour page");
    waitSeconds(STILL_WALL_SECONDS); // the README's picture: every cube at rest, none turning
    if (!hoverEntry(3, WHITE) || !saveWallShot("ui-menu-page3.png")) return false;
    clickAt(g_ui->mouseX, g_ui->mouseY);
    if (!runUntil([] { return !g_game->menuOpen && g_game->gameStarted && cameraResting(); }, 20,
                  0.1))
        return fail("the game did not start");
    waitSeconds(1.0, 0.1);
    return saveShot(g_out, "ui-board.png") && saveShot(g_out, "game-start.png");
}

// 3. The statistics on during the game, the frame rate measured over real time frames.
bool shootStatistics() {
    pressKey('H');
    KSetTestClock(false);
    const auto start = std::chrono::steady_clock::now();
    int frames = 0;
    double seconds = 0;
    while (seconds < 8.0) {
        if (!runFrame()) return fail("the loop ended");
        ++frames;
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    std::printf("real-time frames: %d in %.2f s (%.1f per second); scene stats.fps %.2f; "
                "statistics line \"%s\"\n",
                frames, seconds, frames / seconds, g_scene->stats.fps,
                g_ui->overlay->fpsText->texte);
    std::fflush(stdout);
    std::system("uptime");
    KSetTestClock(true);
    runFrames(1);
    bool ok = saveShot(g_out, "ui-statistics.png");
    pressKey('H');
    runFrames(2);
    return ok;
}

// A capture the local player may make now, from the board's own rules; false when none.
bool findCapture(int& fr, int& fc, int& tr, int& tc) {
    for (PieceRecord* p : g_game->pieces) {
        if (!p || !p->square || p->colour != g_game->humanColour) continue;
        for (SquareRecord& s : g_game->squares) {
            if (!s.piece || s.piece->colour == p->colour) continue;
            if (!g_game->tryMove(p, &s, false)) continue;
            fr = p->row, fc = p->column, tr = s.row, tc = s.column;
            return true;
        }
    }
    return false;
}

bool playAndWait(int fr, int fc, int tr, int tc) {
    std::printf("move row %d col %d -> row %d col %d\n", fr, fc, tr, tc);
    if (!clickMove(fr, fc, tr, tc)) return fail("a move could not be clicked");
    if (!runUntil(readyForMove, 60, WAIT_FRAME_SECONDS)) return fail("the computer did not answer");
    return true;
}

// 4. Opening moves until a capture is on, the capture shot during its glide, then the
// computer's reply.
bool shootCapture() {
    const int opening[][4] = {{6, 4, 4, 4}, {6, 3, 4, 3}, {7, 1, 5, 2}, {7, 6, 5, 5}, {7, 5, 4, 2}};
    int fr, fc, tr, tc;
    for (const auto& m : opening) {
        if (findCapture(fr, fc, tr, tc)) break;
        PieceRecord* p = g_game->squares[m[0] * 8 + m[1]].piece;
        if (!p || !g_game->tryMove(p, &g_game->squares[m[2] * 8 + m[3]], false)) continue;
        if (!playAndWait(m[0], m[1], m[2], m[3])) return false;
    }
    if (!findCapture(fr, fc, tr, tc)) return fail("no capture came up");
    std::printf("capture row %d col %d -> row %d col %d\n", fr, fc, tr, tc);
    const int before = g_game->record.moves.count;
    if (!clickMove(fr, fc, tr, tc)) return fail("the capture could not be clicked");
    // The third click started the one-second glide one frame ago.
    runFrames(10);
    if (!g_game->pieceInMotion) return fail("no piece glides after the capture");
    if (!saveShot(g_out, "game-capture.png")) return false;
    if (!runUntil([before] { return readyForMove() && g_game->record.moves.count == before + 2; },
                  60, WAIT_FRAME_SECONDS))
        return fail("the computer did not answer the capture");
    waitSeconds(0.5, 0.1);
    return saveShot(g_out, "game-reply.png");
}

// 5. The request window of the swap key with Accept under the pointer; then refused.
bool shootRequest() {
    pressKey('S');
    waitSeconds(1.5, 0.1);
    if (!g_game->questionShown) return fail("no request window");
    const int w = g_app->width, h = g_app->height;
    movePointer(w * 320 / 800, h * 362 / 600);
    runFrames(3);
    if (g_ui->questionButton != 0) return fail("Accept not hovered");
    if (!saveShot(g_out, "ui-request.png")) return false;
    clickAt(w * 475 / 800, h * 362 / 600); // Refuse
    waitSeconds(1.5, 0.1);
    return !g_game->questionShown || fail("the request window stayed");
}

// 6. The chat with two lines sent and a third being typed.
bool shootChat() {
    pressKey(KEY_TAB);
    typeText("HELLO");
    pressKey(KEY_ENTER);
    typeText("GOOD LUCK AND HAVE FUN");
    pressKey(KEY_ENTER);
    typeText("NICE MOVE 42");
    runFrames(5);
    bool ok = saveShot(g_out, "ui-chat.png");
    pressKey(KEY_TAB);
    runFrames(2);
    return ok;
}

// 7. A new game lost on purpose (f3, g4, then any move) until the game tells its result.
bool shootInfo() {
    pressKey('R');
    waitSeconds(1.5, 0.1);
    const int w = g_app->width, h = g_app->height;
    movePointer(w * 320 / 800, h * 362 / 600);
    runFrames(1);
    clickAt(w * 320 / 800, h * 362 / 600); // Accept: a new game
    if (!runUntil([] { return readyForMove() && g_game->record.moves.count == 0; }, 20,
                  WAIT_FRAME_SECONDS))
        return fail("no new game");
    forgetPlayerMessage();
    const int plan[][4] = {{6, 5, 5, 5}, {6, 6, 4, 6}};
    auto infoUp = [] { return g_ui->overlay->infoText->visible != 0; };
    for (int i = 0; i < 14 && !lastPlayerMessage(); ++i) {
        int fr = -1, fc = 0, tr = 0, tc = 0;
        if (i < 2 && g_game->squares[plan[i][0] * 8 + plan[i][1]].piece &&
            g_game->tryMove(g_game->squares[plan[i][0] * 8 + plan[i][1]].piece,
                            &g_game->squares[plan[i][2] * 8 + plan[i][3]], false)) {
            fr = plan[i][0], fc = plan[i][1], tr = plan[i][2], tc = plan[i][3];
        } else {
            // Any move that takes nothing, the king's side kept open.
            for (PieceRecord* p : g_game->pieces) {
                if (!p || !p->square || p->colour != g_game->humanColour || fr >= 0) continue;
                for (SquareRecord& s : g_game->squares) {
                    if (s.piece || !g_game->tryMove(p, &s, false)) continue;
                    fr = p->row, fc = p->column, tr = s.row, tc = s.column;
                    break;
                }
            }
        }
        if (fr < 0) break;
        std::printf("move row %d col %d -> row %d col %d\n", fr, fc, tr, tc);
        if (!clickMove(fr, fc, tr, tc)) return fail("a move could not be clicked");
        runUntil([] { return readyForMove() || lastPlayerMessage() != nullptr; }, 60,
                 WAIT_FRAME_SECONDS);
    }
    if (!lastPlayerMessage()) return fail("the game told nothing");
    std::printf("message: %s\n", lastPlayerMessage());
    if (!runUntil(infoUp, 10)) return fail("the info message never showed");
    runFrames(5);
    return saveShot(g_out, "ui-info.png");
}

// Saved games made for the load screen's picture, removed at the end (only those this run made).
std::vector<std::string> g_madeGames;

void makeSavedGames() {
    const char* names[] = {"Sunday evening", "Sicilian defence", "Queens gambit", "Blitz 3",
                           "Lost to the computer"};
    for (const char* n : names) {
        const std::string path = std::string("./Save/") + n + ".chs";
        if (std::filesystem::exists(path)) continue;
        if (g_game->record.SaveGame(path.c_str())) g_madeGames.push_back(path);
    }
}

void removeSavedGames() {
    for (const std::string& path : g_madeGames) {
        std::filesystem::remove(path);
        std::filesystem::path pgn(path); // a save writes the game's PGN beside it
        std::filesystem::remove(pgn.replace_extension(".pgn"));
    }
    g_madeGames.clear();
}

bool menuResting() {
    return g_game->menuOpen && cameraResting() && g_ui->page == 0;
}

bool listShown() {
    const auto& lines = g_ui->overlay->fileLines;
    return !lines.empty() && lines[0]->visible;
}

bool openMenuForScreens() {
    pressKey(KEY_ESCAPE);
    if (!runUntil(menuResting, 20, 0.1)) return fail("the menu did not open");
    runFrames(5);
    return true;
}

// The load screen with the bar on the third game, shot as `name`; left open.
bool shootLoadScreen(const char* name) {
    openEntry(0, 2);
    if (!runUntil(listShown, 5)) return fail("no load screen list");
    pressKey(KEY_DOWN);
    pressKey(KEY_DOWN);
    runFrames(3);
    return saveShot(g_out, name);
}

// 8. The save screen with a name being typed, the load screen with a few saved games, the
// connect screen with an address typed. The menu is open when it starts; closed at the end.
bool shootScreens(bool everySize) {
    makeSavedGames();
    openEntry(0, 5);
    if (!runUntil(listShown, 5)) return fail("no save screen list");
    pressKey(KEY_TAB);
    onKeyDown(KEY_SHIFT); // a capital M
    typeText("M");
    onKeyUp(KEY_SHIFT);
    typeText("Y BEST GAME");
    runFrames(3);
    if (!saveShot(g_out, "ui-save-name.png")) return false;
    pressKey(KEY_ESCAPE); // back to the list
    pressKey(KEY_ESCAPE); // the screen closes
    waitSeconds(WALL_TURN_SECONDS);

    if (!shootLoadScreen("ui-load-screen.png")) return false;
    if (everySize) {
        pressKey(KEY_ENTER); // the OK mark on the chosen game
        runFrames(2);
        if (!saveShot(g_out, "ui-load-confirmed.png")) return false;
        pressKey(KEY_ESCAPE); // takes it back
    }
    pressKey(KEY_ESCAPE);
    waitSeconds(WALL_TURN_SECONDS);
    if (everySize) {
        // Down the ladder to its smallest size, then up through every size.
        while (g_app->width > 320)
            pressKey(KEY_F11);
        for (;;) {
            runFrames(2);
            const std::string name = "ui-load-screen-" + std::to_string(g_app->width) + ".png";
            if (!shootLoadScreen(name.c_str())) return false;
            pressKey(KEY_ESCAPE);
            waitSeconds(WALL_TURN_SECONDS);
            if (g_app->width >= 1600) break;
            pressKey(KEY_F12);
        }
        while (g_app->width > 800)
            pressKey(KEY_F11);
        runFrames(2);
    }
    removeSavedGames();

    openEntry(0, 1);
    openEntry(1, 10);
    openEntry(10, 4);
    if (!runUntil([] { return g_ui->overlay->ipLine->visible != 0; }, 5))
        return fail("no connect screen");
    typeText("192.168.1.20");
    runFrames(3);
    if (!saveShot(g_out, "ui-connect-address.png")) return false;
    if (everySize) {
        pressKey(KEY_ENTER); // the OK mark, beside the address
        runFrames(2);
        if (!saveShot(g_out, "ui-connect-confirmed.png")) return false;
        pressKey(KEY_ESCAPE); // takes it back
    }
    pressKey(KEY_ESCAPE); // clears the address
    pressKey(KEY_ESCAPE); // the screen closes
    waitSeconds(WALL_TURN_SECONDS);
    if (!menuResting()) return fail("the menu is not back on its main page");
    if (!g_game->gameStarted) return true; // the menu cannot close before a game
    pressKey(KEY_ESCAPE);
    if (!runUntil([] { return !g_game->menuOpen && cameraResting(); }, 20, 0.1))
        return fail("the menu did not close");
    return true;
}

// 9. The quit banner from the menu's main page (its question is left unanswered).
bool shootQuitBanner() {
    pressKey(KEY_ESCAPE);
    if (!runUntil([] { return g_game->menuOpen && cameraResting(); }, 20, 0.1))
        return fail("the menu did not open");
    runFrames(5);
    openEntry(0, 7);
    if (!runUntil([] { return g_ui->quitBannerShown != 0; }, 5)) return fail("no quit banner");
    movePointer(g_app->width / 2, g_app->height - 40);
    waitSeconds(1.5, 0.1);
    return saveShot(g_out, "ui-quit-banner.png");
}

} // namespace

int main(int argc, char** argv) {
    const bool screensOnly = argc == 3 && std::string(argv[2]) == "screens";
    const bool extrasOnly = argc == 3 && std::string(argv[2]) == "extras";
    const bool chessOnly = argc == 3 && std::string(argv[2]) == "chess";
    const bool endingOnly = argc == 3 && std::string(argv[2]) == "ending";
    const bool boardOnly = argc == 3 && std::string(argv[2]) == "board";
    const bool gamesOnly = argc == 3 && std::string(argv[2]) == "games";
    if (argc != 2 && !screensOnly && !extrasOnly && !chessOnly && !endingOnly && !boardOnly &&
        !gamesOnly) {
        std::fprintf(stderr, "usage: chess3d-shots <output folder> "
                             "[screens|extras|chess|ending|board|games]\n");
        return 2;
    }
    g_out = argv[1];
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // progress shows while the run is long
    drawOffscreenWithoutDisplay();
    // The pictures show the full-resolution look, the same whatever the machine's load; the
    // load screen's list is whole in the frame it opens.
    gameSettings().renderScale = 1.0f;
    set_file_jobs_inline(true);
    KivInitDLL();
    KSetTestClock(true);
    if (!buildGame()) return 2;
    runFrames(1);
    if (extrasOnly) return shootExtras(g_out) ? 0 : 1;
    if (chessOnly) return shootChessAdditions(g_out) ? 0 : 1;
    if (endingOnly) return shootGameEnds(g_out) ? 0 : 1;
    if (boardOnly) return shootBoardTruth(g_out) ? 0 : 1;
    if (gamesOnly) return shootGames(g_out) ? 0 : 1;
    if (screensOnly) {
        pressKey(KEY_ESCAPE); // the intro
        const bool ok = runUntil(menuResting, 30) && shootScreens(true);
        removeSavedGames();
        return ok ? 0 : 1;
    }
    const bool ok = shootIntro() && shootMenuAndStartGame() && shootStatistics() &&
                    shootCapture() && shootRequest() && shootChat() && shootInfo() &&
                    openMenuForScreens() && shootScreens(false) && shootQuitBanner();
    removeSavedGames();
    return ok ? 0 : 1;
}
