// SPDX-License-Identifier: GPL-3.0-or-later
// The intro: a flight from far out down to the board while a title fades in and out in front of
// the camera, then the flight up to the menu.

#include <cmath>

#include "board/intro.h"

#include "anim/anim_manager.h"
#include "app/app_state.h"
#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"

namespace {

IntroHooks g_introHooks;

constexpr int INTRO_TAG = 15;
constexpr float INTRO_DISTANCE = 1.2f; // in front of the camera

KNodeGraph* camera() {
    return g_board ? g_board->camera : nullptr;
}

void setHidden(KNodeGraph* node, bool hidden) {
    if (node) node->hidden = hidden ? 1 : 0;
}

// Hangs a panel of the intro model in front of the camera.
KNodeGraph* hangBeforeCamera(const char* name, bool hidden) {
    KNodeGraph* node = GetObjByName(g_scene, name);
    if (!node) {
        Log("Intro: object \"%s\" not found", name);
        return nullptr;
    }
    node->InsertAsChildOf(camera());
    node->prs.pos = KVector(0, 0, -INTRO_DISTANCE);
    node->prs.rot = KVector(0, 0, 0);
    node->prs.changed = 1;
    node->tag = INTRO_TAG;
    node->hidden = hidden ? 1 : 0;
    return node;
}

// The flight: 2000 keys spiralling in from 90 units out while rising, turning half a circle
// round the board; for the last fifth the camera turns to look up to where the menu will be.
void writeFlight() {
    KAnim* a = g_anim->node_anims[ANIM_INTRO];
    for (int t = 0; t < 2000; ++t) {
        const float f = t * 0.001f;
        const float r = (1 - f * 0.5f) * 90;
        a->addKeyPos(t, r * std::sin(f * 3.1415f) + 3.5f, f * 4 - 1 + 1.3f,
                     r * std::cos(f * 3.1415f) + 5.5f);
        if (t < 1600) a->addKeyRot(t, KAnglesToQuat(f * -10, f * 179, 0));
    }
    a->addKeyRot(1999, KAnglesToQuat(130, 0, 0));
    if (a->length < 2000) a->length = 2000;
    a->speed = 180; // about 11.1 seconds
}

// The title's fade: in from 200 to 500, held, out from 1500 to 1800 (same timing as the flight).
void writeFade() {
    KAnimMat* a = g_anim->material_anims[MATANIM_INTRO_FADE];
    a->addKeyType(KMATKEY_OPACITY, 200, 0);
    a->addKeyType(KMATKEY_OPACITY, 500, 0.7f);
    a->addKeyType(KMATKEY_OPACITY, 1500, 0.7f);
    a->addKeyType(KMATKEY_OPACITY, 1800, 0);
    if (a->length < 2000) a->length = 2000;
    a->speed = 180;
}

} // namespace

void RegisterIntroHooks(const IntroHooks& hooks) {
    g_introHooks = hooks;
}

void IntroSetup() {
    if (!g_anim || !g_scene) return;
    LoadSceneFromFILE(g_scene, ".\\M3D\\intro.m3d", nullptr);
    hangBeforeCamera("intro", false);
    hangBeforeCamera("support", true);
    // Opacity only shows on a blended material: the title starts invisible and fades in.
    if (KMaterial* mat = GetMatByName(g_scene, "intro")) {
        if (!mat->blend) {
            mat->blend = 1;
            mat->orderChanged = 1;
        }
        mat->opacity = 0;
        mat->changed = 1;
    }
    writeFlight();
    writeFade();
}

void IntroStart() {
    KNodeGraph* cam = camera();
    if (!g_anim || !g_app || !cam) return;
    if (g_introHooks.started) g_introHooks.started();

    const KAnim* flight = g_anim->node_anims[ANIM_INTRO];
    KVector start;
    KQuat turn;
    flight->SamplePos(0, start);
    flight->SampleRot(0, turn);
    const KVector angles = turn.GetAnglesYXZ();
    cam->prs.SetPosition(start.x, start.y, start.z);
    cam->prs.SetAngles(angles.x, angles.y, angles.z);

    SetNodeAnim(cam, ANIM_INTRO);
    StartNodeAnim(cam, ANIM_ONCE, KANIM_POS | KANIM_ROT, IntroEnd);
    KMaterial* title = g_scene ? GetMatByName(g_scene, "intro") : nullptr;
    SetMaterialAnim(title, MATANIM_INTRO_FADE);
    StartMaterialAnim(title, ANIM_ONCE, nullptr);
    g_game->introRunning = 1;
}

void IntroEnd() {
    // Once only: the skip key and the flight's end both come here, whichever is first.
    if (!g_anim || !g_app || !g_scene || !g_game->introRunning) return;
    KNodeGraph* title = GetObjByName(g_scene, "intro");
    if (NodeAnimEntry* e = FindNodeEntry(title)) {
        e->state = ANIM_STOPPED;
        e->on_end = nullptr;
    }
    // The fade plays on the title's material: it stops with the title.
    if (MaterialAnimEntry* e = FindMaterialEntry(GetMatByName(g_scene, "intro"))) {
        e->state = ANIM_STOPPED;
        e->on_end = nullptr;
    }
    setHidden(title, true);
    // The title is not shown again: its picture, 1.3 MB in the driver, goes.
    if (KMaterial* mat = GetMatByName(g_scene, "intro"); mat && mat->texture)
        mat->texture->DropGpuCopy();

    // The input stays locked during the flight up to the menu: a key or a click now would act
    // on a game that does not exist yet, or replace the flight whose end opens the menu. The
    // menu unlocks it when it shows (MenuReadyCallback).
    if (g_introHooks.flightUp) g_introHooks.flightUp();

    if (KNodeGraph* cam = camera()) {
        SetNodeAnim(cam, ANIM_VIEW_MENU);
        StartNodeAnim(cam, ANIM_ONCE, KANIM_POS | KANIM_ROT, MenuReadyCallback);
    }
    g_game->introRunning = 0;
}

void IntroSkip() {
    IntroEnd();
}

void MenuReadyCallback() {
    // A camera travel that cut the flight short hands this on: by then the menu may show
    // already, or a game may have started (the command line starts one at once).
    if (g_app && (g_game->menuOpen || g_game->gameStarted)) return;
    if (g_introHooks.menuReached) g_introHooks.menuReached();
}
