// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/material_balance.h"

#include <cstdio>
#include <cstring>

#include "board/board_scene.h"
#include "board/captured_row.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"
#include "ui/text_panel.h"

namespace {

constexpr float TEXT_SIZE = 0.8f;                    // factor on the classic font's size
constexpr float TEXT_RGB[3] = {0.95f, 0.82f, 0.45f}; // the corner signs' gold
constexpr int LEFT_PER_800 = 14, TOP_PER_600 = 134;  // just under the player panel

struct Balance {
    KTexte* text = nullptr;
    int balance = 0;
    int layoutWidth = 0, layoutHeight = 0;
} g_balance;

bool boardInView() {
    return g_game && g_game->gameStarted && !g_game->menuOpen && !g_game->cameraView &&
           !g_game->introRunning;
}

} // namespace

void buildMaterialBalance() {
    const TextOverlay* o = g_ui ? g_ui->overlay : nullptr;
    if (!g_scene || !o || !o->classicFont) return;
    g_balance = Balance{};
    g_balance.text = makeOverlayLine(o->classicFont, TEXT_SIZE, TEXT_RGB);
}

void materialBalanceStep() {
    KTexte* text = g_balance.text;
    if (!text) return;
    const int balance = boardInView() ? materialBalance() : 0;
    if (balance == 0) {
        text->visible = 0;
        g_balance.balance = 0;
        return;
    }
    const TextOverlay* o = g_ui->overlay;
    if (balance != g_balance.balance) {
        char line[32];
        std::snprintf(line, sizeof line, "%s +%d", balance > 0 ? "White" : "Black",
                      balance > 0 ? balance : -balance);
        text->SetTexte(line);
        g_balance.balance = balance;
    }
    if (o->screenWidth != g_balance.layoutWidth || o->screenHeight != g_balance.layoutHeight) {
        text->x = o->screenWidth * LEFT_PER_800 / 800;
        text->y = o->screenHeight * TOP_PER_600 / 600;
        g_balance.layoutWidth = o->screenWidth;
        g_balance.layoutHeight = o->screenHeight;
    }
    text->visible = 1;
}

const char* materialBalanceText() {
    return g_balance.text && g_balance.text->visible ? g_balance.text->texte : "";
}
