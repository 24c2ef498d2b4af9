// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/indicators.h"

#include "anim/anim_manager.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "ui/interface.h"

namespace {

// Turns indicator `node` with preset `anim` to face White (0) or Black (180).
void turnIndicator(KNodeGraph* node, int animIndex, int colour) {
    if (!node || !g_anim) return;
    KAnim* anim = g_anim->node_anims[animIndex];
    anim->addKeyRot(100, KAnglesToQuat(0.0f, colour == 1 ? 180.0f : 0.0f, 0.0f));
    SetNodeAnim(node, animIndex);
    StartNodeAnim(node, ANIM_ONCE, KANIM_ROT, nullptr);
}

} // namespace

void showTurn(int colour) {
    turnIndicator(g_ui ? g_ui->turn : nullptr, ANIM_TURN_INDICATOR, colour);
}

void showPlayer(bool visible, int colour) {
    KNodeGraph* player = g_ui ? g_ui->player : nullptr;
    if (!player) return;
    player->hidden = visible ? 0 : 1;
    if (visible) turnIndicator(player, ANIM_PLAYER_INDICATOR, colour);
}

void resetIndicators() {
    if (g_ui) g_ui->menuActive = 0;
    showTurn(0);
    showPlayer(true, g_game->humanColour);
}
