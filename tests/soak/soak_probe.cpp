// SPDX-License-Identifier: GPL-3.0-or-later
// The soft-lock probe: from whatever state the random run reached, a player who waits ten
// seconds, answers a question window if one is up, closes the chat if it is open and presses
// Escape (at most a few times, each after the camera had time to fly) must find the menu's main
// page usable, must reach the quit banner from it (and leave it with "no"), and, in a game
// against the computer, must be able to play on once the menu is closed again.

#include <cstdio>

#include "anim/anim_manager.h"
#include "app/app_state.h"
#include "board/board_moves.h"
#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/game_end_state.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "netplay/rejoin.h"
#include "tests/soak/soak_player.h"
#include "tests/soak/soak_world.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"

namespace soak {

namespace {

constexpr int QUIT_ENTRY = 7;
constexpr int ESCAPES = 4;

bool cameraResting() {
    const NodeAnimEntry* e = g_board ? FindNodeEntry(g_board->camera) : nullptr;
    return !e || e->state == ANIM_STOPPED || e->preset == ANIM_VIEW_TOUR;
}

// The menu's main page, open and answering: the wall shown at page 0 with the camera at rest in
// front of it, no screen, banner or question over it.
bool mainPageUsable() {
    const Interface* ui = g_ui;
    return g_game->menuOpen && ui->menuActive && ui->page == 0 && ui->wallRoot &&
           !ui->wallRoot->hidden && cameraResting() && !ui->loadScreenOpen && !ui->saveScreenOpen &&
           !ui->connectScreenOpen && !ui->quitBannerShown && !ui->waterShown &&
           !g_game->questionShown;
}

} // namespace

// Game clock passes in a few frames (an animation started in one frame moves from the next).
void Player::probeWait(double seconds) {
    constexpr int FRAMES = 3;
    for (int i = 0; i < FRAMES; ++i)
        plan_.push_back({"probe: wait", nullptr, seconds / FRAMES});
}

void Player::probe() {
    plan_.clear();
    probeWait(10.0);
    const size_t waited = plan_.size();
    plan_.push_back({"probe: answer the question window if one is up",
                     [this] {
                         if (!g_game->questionShown) return;
                         int x, y;
                         requestButtonPixel(random_.below(2), x, y);
                         mouseMove(0, x, y);
                         clickAt(x, y);
                     },
                     0.05});
    probeWait(1.0);
    plan_.push_back({"probe: close the chat if it is open",
                     [] {
                         if (chatTakesKeys()) press(VK_TAB);
                     },
                     0.1});
    for (int i = 0; i < ESCAPES; ++i) {
        plan_.push_back({"probe: Escape unless the menu's main page is up",
                         [] {
                             // The banner does not take Escape: the pointer goes to its "no",
                             // clicked on the next step.
                             // Lines the peer sent before it kept still may have opened the
                             // chat again, which takes Escape: it is closed first.
                             if (chatTakesKeys()) press(VK_TAB);
                             // While the joining side tries to get back to its host the
                             // board and the banner wait; Escape gives up.
                             int x, y;
                             if (rejoining())
                                 press(VK_ESCAPE);
                             else if (g_ui->quitBannerShown && quitButtonPixel(1, x, y))
                                 mouseMove(0, x, y);
                             else if (!mainPageUsable())
                                 press(VK_ESCAPE);
                         },
                         0.05});
        plan_.push_back({"probe: click no if the banner is up",
                         [] {
                             int x, y;
                             if (g_ui->quitBannerShown && quitButtonPixel(1, x, y)) clickAt(x, y);
                         },
                         0.05});
        probeWait(3.0);
    }
    plan_.push_back({"probe: the menu's main page is reachable", nullptr, 0.01, [] {
                         return mainPageUsable()
                                    ? std::string()
                                    : std::string("soft-lock: the menu cannot be reached");
                     }});
    float x = 0, z = 0;
    entryCentre(0, QUIT_ENTRY, x, z);
    plan_.push_back({"probe: point at the quit entry",
                     [x, z] {
                         int px, py;
                         if (wallPixel(x, z, px, py)) mouseMove(0, px, py);
                     },
                     0.05});
    plan_.push_back({"probe: click the quit entry",
                     [x, z] {
                         int px, py;
                         if (wallPixel(x, z, px, py)) clickAt(px, py);
                     },
                     0.05});
    probeWait(3.0);
    plan_.push_back({"probe: the quit banner shows", nullptr, 0.01, [] {
                         if (g_ui->quitBannerShown) return std::string();
                         char where[160];
                         std::snprintf(where, sizeof where,
                                       " (page %d, menu %d, pointer %.2f %.2f, window %d x %d)",
                                       g_ui->page, g_game->menuOpen, g_ui->pointerX, g_ui->pointerZ,
                                       g_app->width, g_app->height);
                         return "soft-lock: the quit banner cannot be reached" + std::string(where);
                     }});
    planQuitNo();
    probeWait(3.0);
    plan_.push_back({"probe: the main page is back", nullptr, 0.01, [] {
                         return mainPageUsable()
                                    ? std::string()
                                    : std::string("soft-lock: no back from the banner");
                     }});
    // Back to the game (or, before any game, into one), and it goes on: against the computer
    // the player can move within ten seconds, or the game has ended.
    plan_.push_back({"probe: Escape back to the board",
                     [] {
                         if (g_game->gameStarted) press(VK_ESCAPE);
                     },
                     0.05});
    // An earlier position of the game may show: the computer waits there until the player goes
    // back to the latest one (Down, the replay's jump to the end).
    plan_.push_back({"probe: Down unless the latest position shows",
                     [] {
                         if (g_game && g_game->record.replayPlies >= 0) press(VK_DOWN);
                     },
                     0.05});
    probeWait(13.0);
    plan_.push_back({"probe: the game goes on", nullptr, 0.01, [] {
                         if (!g_game->gameStarted || !localGame() || g_game->menuOpen)
                             return std::string();
                         const bool over =
                             !g_game->hasLegalMove(g_game->sideToMove) || gameFinished();
                         if (over || g_game->mayPlayerClickBoard()) return std::string();
                         return std::string("soft-lock: the player cannot move");
                     }});
    // From the way back to the menu on, the other side keeps still.
    for (size_t i = waited; i < plan_.size(); ++i)
        plan_[i].hushOthers = true;
}

} // namespace soak
