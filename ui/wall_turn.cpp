// SPDX-License-Identifier: GPL-3.0-or-later
// The wall's turn from page to page: every cube plays its own node animation (presets 90 to
// 217), whose keys are rewritten for the page, in a diagonal wave from the far corner to row 0,
// column 0. Sub-screens open when that last cube arrives.
#include <cmath>

#include "anim/anim_manager.h"
#include "engine/KivEngine.h"
#include "ui/interface.h"

namespace {

constexpr int CUBE_ANIM_FIRST = 90;

// Completions of the turn to a sub-page: the screen of that page opens.
void openLoadPage() {
    if (g_ui->screens.toggleLoadScreen) g_ui->screens.toggleLoadScreen();
}
void openConnectPage() {
    if (g_ui->screens.toggleConnectScreen) g_ui->screens.toggleConnectScreen();
}
void openSavePage() {
    if (g_ui->screens.toggleSaveScreen) g_ui->screens.toggleSaveScreen();
}
void openWaterPage() {
    toggleWater();
}
void openQuitPage() {
    toggleQuitBanner();
}

using Completion = void (*)();

Completion completionOf(int page) {
    switch (page) {
    case 2:
        return openLoadPage;
    case 4:
        return openConnectPage;
    case 5:
        return openSavePage;
    case 6:
        return openWaterPage;
    case 7:
        return openQuitPage;
    default:
        return nullptr;
    }
}

bool pageFace(int page, KVector& target) {
    switch (page) {
    case 0:
        target = {0, 0, 0};
        return true;
    case 1:
        target = {90, 0, 0};
        return true;
    case 10:
        target = {0, 0, 90};
        return true;
    case 3:
        target = {-90, 0, 0};
        return true;
    case 11: // the computer's page
        target = {180, 0, 0};
        return true;
    default:
        return false;
    }
}

// Rotation keys: the current angles at the first two times, the half-way swing at the third,
// the target at the last two.
void writeRotation(KAnim* anim, int d, const KVector& from, const KVector& mid, const KVector& to) {
    anim->addKeyRot(1, KAnglesToQuat(from.x, from.y, from.z));
    anim->addKeyRot(d + 1900, KAnglesToQuat(from.x, from.y, from.z));
    anim->addKeyRot(d + 2500, KAnglesToQuat(mid.x, mid.y, mid.z));
    anim->addKeyRot(d + 3100, KAnglesToQuat(to.x, to.y, to.z));
    anim->addKeyRot(3000, KAnglesToQuat(to.x, to.y, to.z));
    if (anim->length < 3001) anim->length = 3001;
}

} // namespace

void turnWall(int p) {
    Interface* ui = g_ui;
    if (!ui) return;
    // The highlight belongs to the page being left: take it off now, or the picture keeps it
    // and shows the entry lit on the next visit although nothing hovers it.
    highlightEntry(ui->hoveredEntry, -1);
    ui->hoveredEntry = -1;
    if (!g_anim) return;

    KVector face;
    const bool toFace = pageFace(p, face);
    const bool rises = p == 6 || p == 7;
    for (int row = 0; row < WALL_ROWS; ++row) {
        for (int col = 0; col < WALL_COLUMNS; ++col) {
            KNodeGraph* cube = ui->cubes[row][col];
            if (!cube) continue;
            const int index = CUBE_ANIM_FIRST + row * WALL_COLUMNS + col;
            KAnim* anim = g_anim->node_anims[index];
            const int d = -2000 * (row + col) / 24;
            const KVector a = cube->prs.rot;
            int flag;
            if (toFace) {
                KVector mid((a.x - face.x) / 2, a.y / 2, (a.z - face.z) / 2);
                writeRotation(anim, d, a, mid, face);
                anim->speed = 1000;
                flag = KANIM_ROT;
            } else {
                KVector away(0, 0, -90);
                KVector mid(a.x / 2, a.y / 2, (a.z + 90) / 2);
                writeRotation(anim, d, a, mid, away);
                const KVector pos = cube->prs.pos;
                const float c = std::cos((pos.x - 3.5f) * 0.3f) * std::cos(pos.z * 0.3f);
                const float y = rises ? ui->wallHeight + 2.6f * c : ui->wallHeight - 2.6f * c;
                anim->addKeyPos(1, pos.x, pos.y, pos.z);
                anim->addKeyPos(3000, pos.x, y, pos.z);
                float s = c < 0.2f ? 0.2f : c;
                if (!rises && s > 0.8f) s = 0.8f;
                anim->addKeySca(1, cube->prs.scale);
                anim->addKeySca(3000, s);
                anim->speed = 1500;
                flag = KANIM_ALL;
            }
            SetNodeAnim(cube, index);
            StartNodeAnim(cube, 1, flag, row == 0 && col == 0 ? completionOf(p) : nullptr);
        }
    }
}
