// SPDX-License-Identifier: GPL-3.0-or-later
// The heads-up objects of the option model, the quit banner with its waving flag mesh, the quit
// sequence and the water page.
#include <cmath>

#include "anim/anim_manager.h"
#include "anim/water.h"
#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "platform/win32.h"
#include "ui/fades.h"
#include "ui/interface.h"

namespace {

constexpr int BANNER_SIDE = 33;         // vertices along each side of the flag
constexpr float BANNER_STEP = 0.08f;    // distance between neighbouring vertices
constexpr float BANNER_ORIGIN = -1.28f; // first vertex, in x and y
constexpr float WAVE_K = 0.098171875f;  // spatial frequency of the wave
constexpr int WATER_GROW_ANIM = 219;    // node preset: scale 0 to 2

enum ParentKind { UNDER_CAMERA, UNDER_BOARD };

struct HeadUpObject {
    const char* name;
    KNodeGraph* Interface::*field;
    ParentKind parent;
    float x, y, z;
    int tag; // 0: keep the model's
    bool hidden;
    bool noReflection; // not drawn in mirror reflections
};

const HeadUpObject OBJECTS[] = {
    {"load", &Interface::load, UNDER_CAMERA, 0, 0, -2.0f, 10, true, false},
    {"save", &Interface::save, UNDER_CAMERA, 0, 0, -2.0f, 11, true, false},
    {"client", &Interface::client, UNDER_CAMERA, 0, 0, -2.0f, 12, true, false},
    {"selectionBar", &Interface::selectionBar, UNDER_CAMERA, 0, 0, -1.8f, 0, true, false},
    {"selectionOK", &Interface::selectionOK, UNDER_CAMERA, 0.455f, 0.481f, -1.8f, 0, true, false},
    {"turn", &Interface::turn, UNDER_CAMERA, 1.352f, 0.926f, -2.0f, 0, false, true},
    {"player", &Interface::player, UNDER_CAMERA, -1.69f, 1.2f, -2.5f, 0, false, true},
    {"pause", &Interface::pause, UNDER_CAMERA, 1.352f, 1.015f, -2.0f, 0, true, true},
    {"pauseBoule", &Interface::pauseBoule, UNDER_BOARD, 3.5f, 2.2f, 3.5f, 0, true, true},
    {"cadreTurn", &Interface::cadreTurn, UNDER_CAMERA, 1.69f, 1.2f, -2.5f, 0, false, true},
    {"info", &Interface::info, UNDER_CAMERA, 0, 0.7f, -1.8f, 0, true, true},
    {"request", &Interface::request, UNDER_CAMERA, 0, 0, -2.0f, 0, true, true},
    {"chat", &Interface::chat, UNDER_CAMERA, 0, -1.0f, -2.0f, 16, true, true},
    {"windowBar", &Interface::windowBar, UNDER_CAMERA, 0, 1.101f, -2.0f, 16, true, true},
};

void place(KNodeGraph* n, float x, float y, float z) {
    n->prs.SetPosition(x, y, z);
    n->prs.SetAngles(0, 0, 0);
}

// The banner's flag: a 33 x 33 grid of vertices in its own plane, two triangles a cell.
void buildBannerMesh(KNodeGraph* banner) {
    KObject* obj = banner->AsObject();
    KMaterial* mat = GetMatByName(g_scene, "quit");
    if (!obj) return;
    KMesh* mesh = obj->mesh;
    if (!mesh) {
        mesh = new KMesh(g_scene, 0, 0);
        obj->SetMesh(mesh);
    }
    mesh->Clear();
    const KVector zero(0, 0, 0);
    const KColor white{1, 1, 1, 1};
    for (int r = 0; r < BANNER_SIDE; ++r)
        for (int c = 0; c < BANNER_SIDE; ++c)
            mesh->addVert(
                KVector(BANNER_ORIGIN + BANNER_STEP * c, BANNER_ORIGIN + BANNER_STEP * r, 0), zero,
                white, white);
    if (mat) mat->SetOption(KMAT_DOUBLESIDED, true); // the flag shows both of its sides
    const int cells = BANNER_SIDE - 1;
    for (int r = 0; r < cells; ++r) {
        for (int c = 0; c < cells; ++c) {
            const int k = r * BANNER_SIDE + c;
            const float u0 = c / 32.0f, u1 = (c + 1) / 32.0f;
            const float v0 = 1.0f - r / 32.0f, v1 = 1.0f - (r + 1) / 32.0f;
            KFace f;
            f.initFace();
            f.SetMaterial(mat);
            f.SetVertsRef(k, k + 1, k + BANNER_SIDE + 1);
            f.SetUV(0, u0, v0);
            f.SetUV(1, u1, v0);
            f.SetUV(2, u1, v1);
            mesh->addFace(f);
            f.SetVertsRef(k, k + BANNER_SIDE + 1, k + BANNER_SIDE);
            f.SetUV(0, u0, v0);
            f.SetUV(1, u1, v1);
            f.SetUV(2, u0, v1);
            mesh->addFace(f);
        }
    }
    mesh->isStatic = 0; // rewritten every frame while shown
    g_scene->changed = 1;
}

void postQuit() {
    PostQuitMessage(18);
}

} // namespace

void buildOptionObjects() {
    Interface* ui = g_ui;
    LoadSceneFromFILE(g_scene, ".\\M3D\\Option.m3d", nullptr);
    KNodeGraph* camera = g_board ? g_board->camera : nullptr;
    KNodeGraph* boardPivot = g_board ? g_board->boardPivot : nullptr;
    for (const HeadUpObject& o : OBJECTS) {
        KNodeGraph* n = GetObjByName(g_scene, o.name);
        ui->*o.field = n;
        if (!n) {
            Log("menu: object \"%s\" is missing\n", o.name);
            continue;
        }
        n->InsertAsChildOf(o.parent == UNDER_CAMERA ? camera : boardPivot);
        place(n, o.x, o.y, o.z);
        if (o.tag) n->tag = o.tag;
        n->hidden = o.hidden ? 1 : 0;
        if (o.noReflection) n->reflect = 0;
    }

    ui->water = new WaterSurface(g_scene);
    ui->water->build(70, 70, 4.0f, 4.0f);
    ui->waterNode = ui->water->node;
    if (KNodeGraph* w = ui->waterNode) {
        w->InsertAsChildOf(ui->wallRoot);
        place(w, 3.5f, 13.5f, 1.0f);
        w->prs.SetScale(2.0f);
        w->tag = 14;
        w->hidden = 1;
    }

    ui->quit = GetObjByName(g_scene, "quit");
    if (KNodeGraph* q = ui->quit) {
        q->InsertAsChildOf(ui->wallRoot);
        q->prs.SetPosition(3.5f, 16.5f, 0);
        q->prs.SetAngles(90, 0, 0);
        q->prs.SetScale(3.0f);
        q->tag = 13;
        q->hidden = 1;
        buildBannerMesh(q);
    } else {
        Log("menu: object \"quit\" is missing\n");
    }

    writeFadePresets();
}

void toggleQuitBanner() {
    Interface* ui = g_ui;
    if (ui->quitBannerShown) {
        if (ui->quit) ui->quit->hidden = 1;
        ui->quitBannerShown = 0;
        return;
    }
    if (ui->quit) ui->quit->hidden = 0;
    KMaterial* mat = GetMatByName(g_scene, "quit");
    prepareFade(mat, 0.0f);
    playFade(mat, FADE_QUIT_IN, nullptr);
    ui->quitBannerShown = 1;
}

void waveQuitBanner() {
    Interface* ui = g_ui;
    KObject* obj = ui->quit ? ui->quit->AsObject() : nullptr;
    KMesh* mesh = obj ? obj->mesh : nullptr;
    ui->bannerPhase += 0.5f;
    if (!mesh) return;
    const float t = ui->bannerPhase;
    for (int r = 0; r < BANNER_SIDE; ++r) {
        for (int c = 0; c < BANNER_SIDE; ++c) {
            float z = 0.3f * std::sin(WAVE_K * (c + t)) * std::cos(WAVE_K * (r + t * 0.6666667f));
            mesh->moveVert(r * BANNER_SIDE + c, BANNER_ORIGIN + BANNER_STEP * c,
                           BANNER_ORIGIN + BANNER_STEP * r, z);
        }
    }
}

void quitGame() {
    toggleQuitBanner(); // hides it
    if (KNodeGraph* support = GetObjByName(g_scene, "support")) support->hidden = 0;
    KMaterial* mat = GetMatByName(g_scene, "support");
    if (!g_anim || !mat) {
        postQuit(); // nothing to fade: quit at once rather than never
        return;
    }
    KAnimMat* anim = g_anim->material_anims[FADE_SUPPORT];
    anim->addKeyType(KMATKEY_OPACITY, 50, 0.0f);
    anim->addKeyType(KMATKEY_OPACITY, 200, 0.9f);
    anim->addKeyType(KMATKEY_OPACITY, 1800, 0.9f);
    anim->addKeyType(KMATKEY_OPACITY, 2000, 0.0f);
    if (anim->length < 2000) anim->length = 2000;
    anim->speed = 180;
    prepareFade(mat, 0.0f);
    playFade(mat, FADE_SUPPORT, postQuit);
}

void toggleWater() {
    Interface* ui = g_ui;
    KNodeGraph* node = ui->waterNode;
    if (ui->waterShown) {
        if (node) node->hidden = 1;
        ui->waterShown = 0;
        return;
    }
    if (node) {
        node->hidden = 0;
        node->prs.SetScale(0);
        if (g_anim) {
            SetNodeAnim(node, WATER_GROW_ANIM);
            StartNodeAnim(node, 1, KANIM_SCALE, nullptr);
        }
    }
    if (ui->water) ui->water->startDrops();
    ui->waterShown = 1;
}
