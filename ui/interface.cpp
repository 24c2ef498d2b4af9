// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/interface.h"

#include "anim/water.h"
#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/file_jobs.h"
#include "game/player_info.h"
#include "ui/fades.h"

Interface* g_ui = nullptr;

namespace {

// The board's and the game record's messages: the info line, shown and timed.
void showPlayerMessage(const char* text) {
    if (g_ui && g_ui->overlay) showInfo(true, true, text);
}

} // namespace

Interface::Interface() {
    overlay = new TextOverlay();
    setPlayerMessageSink(showPlayerMessage);
    LoadSceneFromFILE(g_scene, ".\\M3D\\mouse.m3d", nullptr);
    KMaterial* mouseMat = GetMatByName(g_scene, "mouseMat");
    cursor = new KImage2D(g_scene);
    cursor->width = 30;
    cursor->height = 30;
    cursor->mat = mouseMat;
    cursor->x = 200;
    cursor->y = 200;
    hoveredEntry = -1;
}

void frameStep() {
    if (!g_ui) return;
    file_jobs_step(); // the load list's parts, a save's outcome
    wallStep();
    if (g_ui->waterShown && g_ui->water) g_ui->water->step();
    if (g_ui->quitBannerShown) waveQuitBanner();
}

void closeScreens() {
    Interface* ui = g_ui;
    if (!ui) return;
    if (ui->connectScreenOpen) {
        if (ui->screens.toggleConnectScreen) {
            ui->screens.toggleConnectScreen(); // closes it
        } else {
            playFade(GetMatByName(g_scene, "client"), FADE_PANEL_OUT,
                     ui->screens.connectScreenHidden);
            turnWall(0);
            ui->page = 0;
        }
        ui->connectScreenOpen = 0;
    }
    // The screens' own close resets their state; without one the flag is all there is.
    if (ui->loadScreenOpen) {
        if (ui->screens.toggleLoadScreen) ui->screens.toggleLoadScreen();
        ui->loadScreenOpen = 0;
    }
    if (ui->saveScreenOpen) {
        if (ui->screens.toggleSaveScreen) ui->screens.toggleSaveScreen();
        ui->saveScreenOpen = 0;
    }
    if (ui->quitBannerShown) {
        if (ui->quit) ui->quit->hidden = 1;
        ui->quitBannerShown = 0;
    }
    if (ui->waterShown) toggleWater();
}
