// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup_check.h"

#include <cstdio>
#include <string>
#include <unistd.h>

#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "ui/interface.h"

namespace {

// Everything the game reads at start-up but the music, whose absence only means silence.
const char* const DATA_FILES[] = {
    ".\\M3D\\Decor.m3d",
    ".\\M3D\\Case.m3d",
    ".\\M3D\\echiquier.m3d",
    ".\\M3D\\ChessBoardN.M3D",
    ".\\M3D\\ChessBoardB.M3D",
    ".\\M3D\\BasicCubes.m3d",
    ".\\M3D\\Option.m3d",
    ".\\M3D\\mouse.m3d",
    ".\\M3D\\intro.m3d",
    ".\\M3D\\animCircle.m3d",
    ".\\textures\\font.bmp",
    ".\\textures\\chatfont.bmp",
    ".\\textures\\request.jpg",
    ".\\textures\\requestselect.jpg",
    ".\\textures\\Interfaces\\general.jpg",
    ".\\textures\\Interfaces\\generalselect.jpg",
    ".\\textures\\Interfaces\\newgame.jpg",
    ".\\textures\\Interfaces\\newgameselect.jpg",
    ".\\textures\\Interfaces\\multiplayer.jpg",
    ".\\textures\\Interfaces\\multiplayerselect.jpg",
    ".\\textures\\Interfaces\\color.jpg",
    ".\\textures\\Interfaces\\colorselect.jpg",
    ".\\textures\\Interfaces\\computer.jpg",
    ".\\textures\\Interfaces\\computerselect.jpg",
    ".\\textures\\Interfaces\\engines.jpg",
};

bool require(const void* object, const char* name) {
    if (object) return true;
    reportMissing("model object", name);
    return false;
}

} // namespace

void reportMissing(const char* kind, const char* what) {
    std::fprintf(stderr,
                 "chess3d: missing %s \"%s\" (run from the build's bin folder, where the "
                 "game data is generated)\n",
                 kind, what);
    Log("chess3d: missing %s \"%s\"\n", kind, what);
}

bool checkDataFiles() {
    for (const char* file : DATA_FILES) {
        if (access(KDataPath(file).c_str(), R_OK) != 0) {
            reportMissing("data file", file);
            return false;
        }
    }
    return true;
}

bool checkStartupObjects() {
    const BoardScene* b = g_board;
    bool ok =
        require(b->camera, "camera") && require(b->dome, "dome") && require(b->light1, "light") &&
        require(b->light2, "light2") && require(b->selectMarkerWhite, "caseSelectB") &&
        require(b->selectMarkerBlack, "caseSelectN") &&
        require(b->targetMarkerWhite, "caseDestB") && require(b->targetMarkerBlack, "caseDestN");
    for (int i = 0; ok && i < 64; ++i)
        ok = require(g_game->squares[i].node, "caseR/caseB");
    for (int i = 0; ok && i < 32; ++i)
        ok = require(g_game->pieces[i] ? g_game->pieces[i]->node : nullptr, "piece model");
    if (!ok) return false;
    const Interface* ui = g_ui;
    return require(ui->cubeLight, "cubelight") && require(ui->load, "load") &&
           require(ui->save, "save") && require(ui->client, "client") &&
           require(ui->quit, "quit") && require(ui->info, "info") &&
           require(ui->request, "request") && require(ui->turn, "turn") &&
           require(ui->player, "player") && require(ui->pause, "pause") &&
           require(ui->pauseBoule, "pauseBoule") && require(ui->cadreTurn, "cadreTurn") &&
           require(ui->selectionBar, "selectionBar") && require(ui->selectionOK, "selectionOK") &&
           require(ui->chat, "chat") && require(ui->windowBar, "windowBar") &&
           require(ui->cursor, "mouse.m3d cursor");
}
