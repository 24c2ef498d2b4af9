// SPDX-License-Identifier: GPL-3.0-or-later
// The option menu's clicks and keys, page by page, and the answer to the request window.
#include <cmath>

#include "anim/music.h"
#include "anim/sound_player.h"
#include "anim/water.h"
#include "app/input.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "game/unfinished_game.h"
#include "netplay/connection.h"
#include "ui/computer_page.h"
#include "ui/interface.h"

namespace {

constexpr int KEY_ESCAPE = 27;
constexpr int BUTTON_LEFT = 1, BUTTON_MIDDLE = 16;

void restartMusic() {
    playMusic();
}

// Turns the wall back to the main page.
void backToMainPage() {
    turnWall(0);
    g_ui->page = 0;
}

// The computer's choice confirmed: on to the colour page.
void toColourPage() {
    turnWall(3);
    g_ui->page = 3;
    g_ui->hoveredEntry = -1;
    restartMusic();
}

// Rounded to the nearer integer, a tie going up.
int roundHalfUp(float v) {
    return int(std::floor(v + 0.5f));
}

bool inside(float x, float z, float xLo, float xHi, float zLo, float zHi) {
    return xLo < x && x < xHi && zLo < z && z < zHi;
}

// A click on page 3: the game starts with the local player's colour `colour`.
void startGameFromMenu(int colour) {
    Interface* ui = g_ui;
    highlightEntry(colour, -1); // on the colour page, before the new game turns the wall away
    startNewGame(colour);
    if (!ui->networkGame) {
        // A game against the computer: no connection is kept from an earlier network game, and
        // the unfinished game before is given up.
        leaveNetworkGame();
        forgetUnfinishedGame();
        showInfo(true, true, opponentLabel()); // who plays: "Stockfish, level 3"
    } else if (ui->screens.hostGame) {
        ui->screens.hostGame();
    }
    g_game->gameStarted = 1;
    setMenuOpen(false); // the new game may have closed it already
    backToMainPage();
    restartMusic();
    ui->hoveredEntry = -1;
}

// Sub-pages (load, save, water, quit): a click there returns to the main page, except on the
// water and quit pages, where the quit banner's buttons are looked at.
void clickOnSubPage() {
    Interface* ui = g_ui;
    if (ui->page != 6 && ui->page != 7) {
        backToMainPage();
        restartMusic();
    }
    if (!ui->quitBannerShown) return;
    const float x = ui->pointerX, z = ui->pointerZ;
    if (inside(x, z, 2.3f, 3.4f, -1.9f, -1.2f)) {
        quitGame();
    } else if (inside(x, z, 3.5f, 4.7f, -1.9f, -1.2f)) {
        toggleQuitBanner(); // hides it
        backToMainPage();
    }
}

} // namespace

void dropUnderPointer() {
    Interface* ui = g_ui;
    WaterSurface* w = ui ? ui->water : nullptr;
    if (!w || w->nx <= 0 || w->sizeX == 0 || w->sizeZ == 0) return;
    float u = ((ui->pointerX - 3.5f) / w->sizeX + 1.0f) * 0.5f;
    float v = (1.0f - (ui->pointerZ - 1.0f) / w->sizeZ) * 0.5f;
    int gx = roundHalfUp(w->nx * u) - 1;
    int gy = w->nz - (roundHalfUp(w->nz * v) - 1) - 1;
    if (gx > 0 && gx <= w->nx - 1 && gy > 0 && gy <= w->nz - 1) w->drop(gx, gy, 0);
}

bool menuClick(KNodeGraph* picked, int buttons, int x, int y) {
    Interface* ui = g_ui;
    if (!ui) return false;
    bool wallShown = ui->wallRoot && !ui->wallRoot->hidden;
    if (!wallShown && !g_game->questionShown) return false;

    if (!g_game->questionShown) {
        // The wall stays in view while the camera flies to or from the menu. A click then is
        // swallowed, as any click while the wall shows, but takes no entry: it would start
        // games or open pages behind a closed menu.
        if (!ui->menuActive) return true;
        if (ui->waterShown && (buttons & (BUTTON_LEFT | BUTTON_MIDDLE))) dropUnderPointer();
        if (ui->saveScreenOpen || ui->loadScreenOpen) return true;
        const int page = ui->page;
        if (page == 4) return true;
        if (page == 0 || page == 10 || page == 1) {
            const int entry = ui->hoveredEntry;
            if (entry == -1) return true;
            // Resign asks as the G key does; the question closes the menu (text_overlay.h).
            if (page == 0 && entry == RESIGN_ENTRY) {
                if (ui->screens.resign) ui->screens.resign();
                return true;
            }
            if (page == 1) ui->networkGame = entry == 10 ? 1 : 0;
            // Against the computer, its engine and level come before the colour.
            const int next = page == 1 && entry == 3 ? COMPUTER_PAGE : entry;
            if (next == COMPUTER_PAGE) openComputerPage();
            turnWall(next);
            highlightEntry(entry, -1);
            ui->page = next;
            ui->hoveredEntry = -1;
            restartMusic();
            return true;
        }
        if (page == 3) {
            if (ui->hoveredEntry != -1) startGameFromMenu(ui->hoveredEntry);
            return true;
        }
        if (page == COMPUTER_PAGE) {
            if (computerPageClick(ui->hoveredEntry)) toColourPage();
            return true;
        }
        clickOnSubPage();
        return true;
    }

    // The request window is up: only a click with a button under the pointer answers it.
    if (ui->questionButton == 0 || ui->questionButton == 1) answerQuestion(ui->questionButton == 0);
    return true;
}

void answerQuestion(bool accepted) {
    Interface* ui = g_ui;
    if (!ui || !g_game->questionShown) return;
    if (ui->screens.answerRequest)
        ui->screens.answerRequest(accepted);
    else
        answerLocalRequest(accepted);
    showRequest(false, nullptr, nullptr);
}

bool menuKey(int code) {
    Interface* ui = g_ui;
    if (!ui || !ui->menuActive) return false;
    const int page = ui->page;
    const bool escape = code == KEY_ESCAPE;
    if (ui->quitBannerShown || page == 7) return true;
    if (escape && (page == 1 || page == 10 || page == 3 || page == COMPUTER_PAGE)) {
        backToMainPage();
        return true;
    }
    if (page == COMPUTER_PAGE) {
        if (computerPageKey(code)) toColourPage();
        return true;
    }
    if (ui->waterShown && escape) {
        toggleWater(); // hides it
        backToMainPage();
        return true;
    }
    if (page == 6) return true;
    if (ui->loadScreenOpen) {
        if (ui->screens.loadScreenKey) ui->screens.loadScreenKey(code);
        return true;
    }
    if (page == 2 && escape) {
        backToMainPage();
        return true;
    }
    if (ui->saveScreenOpen) {
        if (ui->screens.saveScreenKey) ui->screens.saveScreenKey(code);
        return true;
    }
    if (page == 5 && escape) {
        backToMainPage();
        return true;
    }
    if (ui->connectScreenOpen) {
        if (ui->screens.connectScreenKey) ui->screens.connectScreenKey(code);
        return true;
    }
    if (page == 4 && escape) {
        backToMainPage();
        return true;
    }
    if (escape) toggleMenu();
    return true;
}
