// SPDX-License-Identifier: GPL-3.0-or-later
// The preset animations written once at start-up: camera views, light paths and fades, the piece
// glide and the indicators, the menu cubes' wave and the water growing in. The board's nodes
// are set on them by board/board_presets.cpp.

#include <cmath>

#include "anim/anim_manager.h"
#include "engine/KivEngine.h"

namespace {

KAnim* nodeAnim(int preset) {
    return g_anim->node_anims[preset];
}

void raiseLength(int& length, int atLeast) {
    if (length < atLeast) length = atLeast;
}

// One key at 100: with the start rule (keys at 0 from the node's pose) a move from wherever the
// camera is to this pose, in one second at speed 100.
void viewPreset(int preset, float px, float py, float pz, float ax, float ay, float az) {
    KAnim* a = nodeAnim(preset);
    a->addKeyPos(100, px, py, pz);
    a->addKeyRot(100, KAnglesToQuat(ax, ay, az));
    a->speed = 100;
}

// The circling tour of the pause view: 766 keys, 100 units apart from 800, rising and falling
// while circling the board; at its end the tour preset's rule sets the time back to 800.
void tourPreset() {
    KAnim* a = nodeAnim(ANIM_VIEW_TOUR);
    for (int i = 0; i <= 765; ++i) {
        const float c = std::cos(i * 3.1415927f * 0.0026143792f);
        const float r = (c + 1) * 2.5f + 1;
        const float ang = i * 3.1415927f * 0.007843138f;
        const int t = 100 * i + 800;
        a->addKeyPos(t, std::cos(ang) * r + 3.5f, (c + 1) * 1.5f + 2, std::sin(ang) * r + 3.5f);
        a->addKeyRot(t, KAnglesToQuat((1 - c) * 10 - 45, 90 - i * 1.4117647f, 0));
    }
    raiseLength(a->length, 77301);
    a->speed = 800;
}

// lightPivot1 circling the board at radius 15, one key every 10 units.
void lightCirclePreset() {
    KAnim* a = nodeAnim(ANIM_LIGHT_CIRCLE);
    for (int i = 0; 1 + 10 * i <= 7651; ++i) {
        const float ang = i * 0.008213314f;
        a->addKeyPos(1 + 10 * i, std::cos(ang) * 15 + 3.5f, 5, std::sin(ang) * 15 + 3.5f);
    }
    raiseLength(a->length, 7651);
    a->speed = 400;
}

// A light wandering round the board on a looping, rising and falling path.
void lightWanderPreset() {
    KAnim* a = nodeAnim(ANIM_LIGHT_WANDER);
    for (int i = 0; i <= 3000; ++i) {
        const float ang = i * 0.00033333333f * 6.2831855f;
        const float b = 8 * ang;
        const float r = (std::sin(b) + 2) * 0.6f + 0.9f;
        a->addKeyPos(i + 1, std::cos(3 * ang) * r + 3.5f, std::cos(b) * r * 0.3f + 2.2f,
                     std::sin(3 * ang) * r + 3.5f);
    }
    raiseLength(a->length, 3002);
    a->speed = 150;
}

struct LightFade {
    float diffFrom, diffTo; // grey levels of the diffuse colour at 0 and 100
    bool ambient;           // ambient from ambFrom to ambTo as well
    float ambFrom, ambTo;
    float speed;
};

// Light pool 0 to 5: on, off, and the menu's dimmer fades of the board lights.
constexpr LightFade LIGHT_FADES[6] = {
    {0.0f, 1.0f, false, 0, 0, 100}, {1.0f, 0.0f, false, 0, 0, 100}, {0.0f, 0.8f, true, 0, 1, 110},
    {0.8f, 0.0f, true, 1, 0, 110},  {0.0f, 0.5f, false, 0, 0, 110}, {0.5f, 0.0f, false, 0, 0, 110},
};

void lightFadePresets() {
    for (int i = 0; i < 6; ++i) {
        const LightFade& f = LIGHT_FADES[i];
        KAnimLgh* a = g_anim->light_anims[i];
        a->addKeyDiff(0, f.diffFrom, f.diffFrom, f.diffFrom);
        a->addKeyDiff(100, f.diffTo, f.diffTo, f.diffTo);
        if (f.ambient) {
            a->addKeyAmb(0, f.ambFrom, f.ambFrom, f.ambFrom);
            a->addKeyAmb(100, f.ambTo, f.ambTo, f.ambTo);
        }
        a->speed = f.speed;
    }
}

// A turn of 100 units to no rotation, 101 long: the board rewrites the key at 100 before use.
void turnPreset(int preset) {
    KAnim* a = nodeAnim(preset);
    a->addKeyRot(100, KAnglesToQuat(0, 0, 0));
    raiseLength(a->length, 101);
    a->speed = 100;
}

} // namespace

void SetupCameraViews() {
    if (!g_anim) return;
    viewPreset(ANIM_VIEW_WHITE, 3.5f, 5, 9.5f, -45, 0, 0);
    viewPreset(ANIM_VIEW_BLACK, 3.5f, 5, -2.5f, -45, 179.9f, 0);
    viewPreset(ANIM_VIEW_HFILE, 9.5f, 5, 3.5f, -45, 90, 0);
    viewPreset(ANIM_VIEW_AFILE, -2.5f, 5, 3.5f, -45, -90, 0);
    KAnim* look = nodeAnim(ANIM_LOOK);
    look->addKeyRot(100, KAnglesToQuat(-45, 0, 0)); // rewritten by LookTowardsPoint
    look->speed = 250;
    viewPreset(ANIM_VIEW_MENU, 3.5f, 6, -4, 120, 0, 0);
    tourPreset();
}

void WriteLightPresets() {
    if (!g_anim) return;
    lightCirclePreset();
    lightWanderPreset();
    lightFadePresets();
}

void WritePieceGlidePreset() {
    if (!g_anim) return;
    // The board rewrites the position key at 100 before each move; the rotation key at 100 is
    // no rotation.
    KAnim* glide = nodeAnim(ANIM_PIECE_MOVE);
    glide->addKeyPos(100, 0, 1, 0);
    glide->addKeyRot(100, KAnglesToQuat(0, 0, 0));
    raiseLength(glide->length, 101);
    glide->speed = 100;
}

void WriteIndicatorTurnPresets() {
    if (!g_anim) return;
    turnPreset(ANIM_TURN_INDICATOR);
    turnPreset(ANIM_PLAYER_INDICATOR);
}

void SetupMenuAnims() {
    if (!g_anim) return;
    // Cube (row, column) turns with a delay d that grows towards row 0, column 0, so the wall
    // turns in a diagonal wave; the menu rewrites the key values for each page.
    for (int row = 0; row < 8; ++row) {
        for (int column = 0; column < 16; ++column) {
            KAnim* a = nodeAnim(ANIM_MENU_CUBE0 + row * 16 + column);
            const int d = -2000 * (row + column) / 24; // truncated towards zero
            a->addKeyRot(1, KAnglesToQuat(90, 0, 0));
            a->addKeyRot(d + 1900, KAnglesToQuat(90, 0, 0));
            a->addKeyRot(d + 2500, KAnglesToQuat(45, 0, 0));
            a->addKeyRot(d + 3100, KAnglesToQuat(0, 0, 0));
            a->addKeyRot(3000, KAnglesToQuat(0, 0, 0));
            a->addKeyPos(1, 0, 0, 0);
            a->addKeyPos(3000, 0, 0, 0);
            a->addKeySca(1, 1);
            a->addKeySca(3000, 1);
            raiseLength(a->length, 3001);
            a->speed = 1000;
        }
    }
    KAnim* water = nodeAnim(ANIM_WATER_GROW);
    water->addKeySca(0, 0);
    water->addKeySca(500, 2);
    raiseLength(water->length, 501);
    water->speed = 250;
}
