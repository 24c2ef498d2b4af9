// SPDX-License-Identifier: GPL-3.0-or-later
// The board's own nodes on their preset animations at start-up: the circling light and the
// pieces' glide.

#include "board/board_presets.h"

#include "anim/anim_manager.h"
#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"

void SetupLights() {
    if (!g_anim) return;
    if (g_board && g_board->lightPivot1) {
        g_board->lightPivot1->prs.SetPosition(8, 2, 3.5f);
        SetNodeAnim(g_board->lightPivot1, ANIM_LIGHT_CIRCLE); // started by the start-up
    }
    if (g_scene) LoadSceneFromFILE(g_scene, ".\\M3D\\animCircle.m3d", nullptr);
    WriteLightPresets();
}

void SetupPieceAnims() {
    if (!g_anim) return;
    WritePieceGlidePreset();
    if (g_board)
        for (PieceRecord* p : g_game->pieces)
            if (p && p->node) SetNodeAnim(p->node, ANIM_PIECE_MOVE);
    WriteIndicatorTurnPresets();
}
