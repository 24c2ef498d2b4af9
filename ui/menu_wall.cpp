// SPDX-License-Identifier: GPL-3.0-or-later
// The option menu's cube wall: building it, following the pointer with the light and the lens,
// and highlighting the entry under the pointer on the page picture.
#include <cmath>
#include <cstdio>

#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "ui/computer_page.h"
#include "ui/interface.h"

namespace {

// An entry's hover region on the wall plane (strict bounds) and its rectangle in the page
// picture.
struct EntryRegion {
    int page, entry;
    float xLo, xHi, zLo, zHi;
    PixelRect rect;
};

// Tested in this order; the first region that holds the pointer wins.
constexpr EntryRegion REGIONS[] = {
    {0, 1, -2.6f, 2.2f, 0.6f, 1.7f, {30, 151, 180, 45}},
    {0, 2, 3.7f, 6.0f, 0.6f, 1.7f, {260, 151, 90, 45}},
    {0, 5, 7.5f, 9.6f, 0.6f, 1.7f, {390, 151, 100, 45}},
    {0, 6, -1.3f, 2.1f, -2.4f, -1.2f, {75, 36, 135, 50}},
    {0, 7, 6.0f, 8.1f, -2.3f, -1.2f, {340, 36, 90, 50}},
    {0, RESIGN_ENTRY, 2.6f, 5.6f, -2.4f, -1.2f, {216, 36, 120, 50}}, // between Water and Quit
    {1, 3, -3.1f, 2.8f, -1.6f, -0.5f, {20, 66, 220, 50}},
    {1, 10, 4.3f, 10.1f, -1.6f, -0.5f, {280, 66, 210, 50}},
    {10, 3, -0.1f, 1.8f, -1.6f, -0.6f, {120, 71, 80, 40}},
    {10, 4, 4.9f, 7.6f, -1.6f, -0.6f, {300, 71, 100, 40}},
    {3, 1, -0.3f, 2.1f, -1.6f, -0.6f, {110, 66, 100, 50}},
    {3, 0, 4.7f, 7.5f, -1.6f, -0.6f, {290, 66, 110, 50}},
    // The computer page: levels 1 to 6, then the previous and the next engine.
    {11, 1, -2.7f, -1.2f, -1.7f, -0.7f, {90, 36, 52, 38}},
    {11, 2, -0.55f, 0.95f, -1.7f, -0.7f, {146, 36, 52, 38}},
    {11, 3, 1.65f, 3.15f, -1.7f, -0.7f, {202, 36, 52, 38}},
    {11, 4, 3.85f, 5.35f, -1.7f, -0.7f, {258, 36, 52, 38}},
    {11, 5, 6.05f, 7.55f, -1.7f, -0.7f, {314, 36, 52, 38}},
    {11, 6, 8.2f, 9.7f, -1.7f, -0.7f, {370, 36, 52, 38}},
    {11, 11, -3.9f, -2.1f, 0.65f, 1.75f, {58, 97, 60, 40}},
    {11, 12, 9.1f, 10.9f, 0.65f, 1.75f, {394, 97, 60, 40}},
};

const PixelRect* rectOf(int page, int entry) {
    for (const EntryRegion& r : REGIONS)
        if (r.page == page && r.entry == entry) return &r.rect;
    return nullptr;
}

// Pictures of pages 0, 1, 10, 3 are pages[0..3]; other pages have none.
PagePicture* pictureOf(int page) {
    switch (page) {
    case 0:
        return &g_ui->pages[0];
    case 1:
        return &g_ui->pages[1];
    case 10:
        return &g_ui->pages[2];
    case 3:
        return &g_ui->pages[3];
    case COMPUTER_PAGE:
        return computerPagePicture();
    default:
        return nullptr;
    }
}

bool turnedAway(int page) {
    return page == 2 || page == 4 || page == 5 || page == 6 || page == 7;
}

float clampTo(float v, float lo, float hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

// Gives the cube's mesh the texture coordinates of its tile (column i, row j) of the 16 x 8
// picture; each corner keeps its place in the model's 0..1 pattern.
void setTile(KNodeGraph* cube, int i, int j) {
    KObject* obj = cube ? cube->AsObject() : nullptr;
    if (!obj || !obj->mesh) return;
    for (KFace& f : obj->mesh->faces) {
        for (int k = 0; k < 3; ++k) {
            float u = clampTo(f.uv[k].u, 0.0f, 1.0f), v = clampTo(f.uv[k].v, 0.0f, 1.0f);
            f.SetUV(k, (i + u) / WALL_COLUMNS, (j + v) / WALL_ROWS);
        }
    }
    obj->mesh->changed = 1;
}

void loadPicture(PagePicture& pp, const char* folder, const char* base) {
    char tex[128], select[64], path[128];
    std::snprintf(tex, sizeof tex, "%s%s.jpg", folder, base);
    std::snprintf(select, sizeof select, "%sselect.jpg", base);
    std::snprintf(path, sizeof path, "%s%sselect.jpg", folder, base);
    if (!initPagePicture(pp, g_scene, tex, select, path))
        Log("menu: picture %s or its highlight is missing\n", tex);
}

} // namespace

const PixelRect* entryPictureRect(int page, int entry) {
    return rectOf(page, entry);
}

int entryAt(int page, float x, float z) {
    for (const EntryRegion& r : REGIONS) {
        if (r.page == page && r.xLo < x && x < r.xHi && r.zLo < z && z < r.zHi) return r.entry;
    }
    return -1;
}

void buildWall() {
    Interface* ui = g_ui;
    LoadSceneFromFILE(g_scene, ".\\M3D\\BasicCubes.m3d", nullptr);
    ui->wallRoot = new KShell(g_scene);
    ui->wallRoot->InsertAsChildOf(g_root);
    KNodeGraph* cubeTemplate = GetObjByName(g_scene, "basicCube");
    if (cubeTemplate)
        cubeTemplate->InsertAsChildOf(nullptr);
    else
        Log("menu: \"basicCube\" is missing\n");

    ui->wallHeight = 16.0f;
    for (int i = 0; i < WALL_COLUMNS; ++i) {
        for (int j = 0; j < WALL_ROWS; ++j) {
            KNodeGraph* cube = CopyNode(cubeTemplate, true);
            ui->cubes[j][i] = cube;
            if (!cube) continue;
            cube->InsertAsChildOf(ui->wallRoot);
            cube->prs.SetPosition(float(i - 4), ui->wallHeight, float(j - 3));
            cube->prs.SetAngles(0, 0, 0);
            cube->prs.SetScale(0.8f);
            setTile(cube, i, j);
        }
    }
    ui->wallRoot->hidden = 1;

    ui->lightHolder = new KShell(g_scene);
    ui->lightHolder->InsertAsChildOf(ui->wallRoot);
    ui->lightHolder->prs.SetPosition(0, 0, 0);
    ui->cubeLight = GetObjByName(g_scene, "cubelight");
    if (ui->cubeLight) {
        ui->cubeLight->InsertAsChildOf(ui->lightHolder);
        ui->cubeLight->prs.SetPosition(0, 0, 0);
        KSprite* glow = new KSprite(g_scene);
        glow->InsertAsChildOf(ui->cubeLight);
        glow->prs.SetPosition(0, 1.0f, 0);
        glow->width = glow->height = 0.2f;
        glow->mat = GetMatByName(g_scene, "cubelightMat");
        glow->depthTest = 0; // the pointer's glow shows over the cubes
    }
    ui->page = 0;

    const char* folder = ".\\textures\\Interfaces\\";
    loadPicture(ui->pages[0], folder, "general");
    loadPicture(ui->pages[1], folder, "newgame");
    loadPicture(ui->pages[2], folder, "multiplayer");
    loadPicture(ui->pages[3], folder, "color");
    loadPicture(ui->requestPicture, ".\\textures\\", "request");
    buildComputerPage();
}

void setWallVisible(bool show) {
    if (!g_ui || !g_ui->wallRoot) return;
    if (show) g_ui->choiceConfirmed = 0;
    g_ui->wallRoot->hidden = show ? 0 : 1;
    // Out of sight, the pages' pictures leave the driver (2 MB on the board); their pixels stay
    // here, and are sent again when the wall is next drawn.
    if (!show)
        for (PagePicture& pp : g_ui->pages)
            if (pp.picture && !pp.picture->pixels.empty()) pp.picture->DropGpuCopy();
    if (!show && computerPagePicture()->picture) computerPagePicture()->picture->DropGpuCopy();
}

void highlightEntry(int oldEntry, int newEntry) {
    PagePicture* pp = pictureOf(g_ui->page);
    if (!pp) return;
    const PixelRect* oldRect = rectOf(g_ui->page, oldEntry);
    const PixelRect* newRect = rectOf(g_ui->page, newEntry);
    if (!oldRect && !newRect) return;
    if (oldRect) restoreRect(*pp, *oldRect);
    if (newRect) pasteHighlight(*pp, *newRect);
    uploadPicture(*pp);
}

void wallStep() {
    Interface* ui = g_ui;
    if (!ui || !ui->wallRoot || ui->wallRoot->hidden || !g_scene) return;

    // 1. The pointer's ray through the camera, in the camera's space then in the world.
    KCamera* cam = g_scene->camera;
    if (!cam && g_board) cam = g_board->camera ? g_board->camera->AsCamera() : nullptr;
    if (!cam) return;
    const float w = float(g_scene->screenWidth), h = float(g_scene->screenHeight);
    if (w <= 0 || h <= 0) return;
    const float n = cam->nearDist;
    const float hh = std::tan(cam->angle * 0.017452778f) * n;
    KVector local((2.0f * (ui->mouseX - w / 2) * (w / h) * hh) / w,
                  (2.0f * (h / 2 - ui->mouseY) * hh) / h, -n);
    KMatrix world = cam->GetWorldMatrix();
    KVector d = world.TransformDir(local);
    KVector p = world.GetTrans();

    // 2. Where it meets the wall plane, kept inside the wall. A ray parallel to the plane
    // meets it nowhere: the pointer then stays where it was.
    if (std::fabs(d.y) > 1e-6f) {
        float t = -(p.y - ui->wallHeight) / d.y;
        float px = p.x + d.x * t, pz = p.z + d.z * t;
        if (std::isfinite(px) && std::isfinite(pz)) {
            ui->pointerX = clampTo(px, -4.5f, 11.6f);
            ui->pointerZ = clampTo(pz, -3.8f, 5.9f);
        }
    }
    ui->lightHolder->prs.SetPosition(ui->pointerX, ui->wallHeight - 4.0f, ui->pointerZ);

    // 3. The lens: cubes near the pointer swell towards the viewer.
    if (!turnedAway(ui->page)) {
        for (auto& row : ui->cubes) {
            for (KNodeGraph* cube : row) {
                if (!cube) continue;
                KVector& pos = cube->prs.pos;
                float f = std::cos((pos.x - ui->pointerX) * 0.2f) *
                          std::cos((pos.z - ui->pointerZ) * 0.2f) * 1.2f;
                cube->prs.SetScale(f > 1.0f ? 1.0f : (f <= 0.3f ? 0.3f : f));
                cube->prs.SetPosition(pos.x, ui->wallHeight - 1.3f * f, pos.z);
            }
        }
    }

    // 4. The entry under the pointer.
    if (!pictureOf(ui->page)) return;
    int entry = entryAt(ui->page, ui->pointerX, ui->pointerZ);
    if (entry != ui->hoveredEntry) {
        highlightEntry(ui->hoveredEntry, entry);
        ui->hoveredEntry = entry;
    }
}
