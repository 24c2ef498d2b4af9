// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/ui/ui_world.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "anim/anim_manager.h"
#include "anim/water.h"
#include "app/app_state.h"
#include "app/wiring.h"
#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "game/settings.h"
#include "ui/computer_page.h"
#include "ui/interface.h"

std::vector<std::string> UiWorld::sentLines;
std::vector<int> UiWorld::answers;
std::vector<int> UiWorld::screensOpened;

namespace {

KMesh* quadMesh(KMaterial* mat) {
    KMesh* m = new KMesh(g_scene, 4, 2);
    const KVector n(0, 0, 1);
    const KColor white{1, 1, 1, 1};
    m->addVert(KVector(-1, -1, 0), n, white, white);
    m->addVert(KVector(1, -1, 0), n, white, white);
    m->addVert(KVector(1, 1, 0), n, white, white);
    m->addVert(KVector(-1, 1, 0), n, white, white);
    KFace f;
    f.initFace();
    f.SetMaterial(mat);
    f.SetVertsRef(0, 1, 2);
    f.SetUV(0, 0, 0);
    f.SetUV(1, 1, 0);
    f.SetUV(2, 1, 1);
    m->addFace(f);
    f.SetVertsRef(0, 2, 3);
    f.SetUV(1, 1, 1);
    f.SetUV(2, 0, 1);
    m->addFace(f);
    return m;
}

KMaterial* material(const char* name) {
    KMaterial* m = new KMaterial(g_scene);
    m->name = name;
    return m;
}

// An object of the option model: a quad with a material of the same name, under the root.
void standIn(const char* name) {
    KObject* o = new KObject(g_scene);
    o->name = name;
    o->SetMesh(quadMesh(material(name)));
    o->InsertAsChildOf(g_scene->root);
}

void picture(const char* name, int w, int h) {
    KTexture* t = new KTexture(g_scene);
    t->name = name;
    t->width = w;
    t->height = h;
    t->pixels.assign(size_t(w) * h * 4, 10);
    t->dirty = 0;
}

void standInHighlight(PagePicture& pp, int w, int h) {
    pp.highlight->width = w;
    pp.highlight->height = h;
    pp.highlight->pixels.assign(size_t(w) * h * 4, 200);
}

} // namespace

void UiWorld::SetUp() {
    setenv("SDL_VIDEODRIVER", "dummy", 1); // no window: the tests need no display
    KSetTestClock(true);
    sentLines.clear();
    answers.clear();
    screensOpened.clear();

    g_scene = CreateScene();
    g_root = new KShell(g_scene);
    g_root->InsertAsChildOf(g_scene->root);
    g_app = new AppState(800, 600);
    g_game = new GameModel();
    installGameHooks();
    netPort() = DEFAULT_NET_PORT;
    g_board = new BoardScene();
    g_anim = new AnimManager();
    SetupMenuAnims();

    KCamera* cam = new KCamera(g_scene);
    cam->name = "camera";
    cam->InsertAsChildOf(g_root);
    g_board->camera = cam;
    g_board->boardPivot = new KShell(g_scene);
    g_board->boardPivot->InsertAsChildOf(g_root);
    g_scene->camera = cam;

    // The cube model: one face pattern of a 0..1 quad, the light and its glow's material.
    KObject* cube = new KObject(g_scene);
    cube->name = "basicCube";
    cube->SetMesh(quadMesh(material("page")));
    KLight* light = new KLight(g_scene);
    light->name = "cubelight";
    material("cubelightMat");
    for (const char* n :
         {"load", "save", "client", "selectionBar", "selectionOK", "turn", "player", "pause",
          "pauseBoule", "cadreTurn", "info", "request", "chat", "windowBar", "quit", "support"})
        standIn(n);
    material("water");
    material("mouseMat");
    for (const char* n :
         {".\\textures\\Interfaces\\general.jpg", ".\\textures\\Interfaces\\newgame.jpg",
          ".\\textures\\Interfaces\\multiplayer.jpg", ".\\textures\\Interfaces\\color.jpg",
          ".\\textures\\Interfaces\\computer.jpg"})
        picture(n, 512, 256);
    picture(".\\textures\\request.jpg", 256, 128);

    g_ui = new Interface();
    buildWall();
    buildOptionObjects();
    buildFonts();
    layout(800, 600);
    for (PagePicture& pp : g_ui->pages)
        standInHighlight(pp, 512, 256);
    standInHighlight(g_ui->requestPicture, 256, 128);
    standInHighlight(*computerPagePicture(), 512, 256);

    ScreenHooks& s = g_ui->screens;
    s.sendChatLine = [](const char* line) { sentLines.emplace_back(line); };
    s.answerRequest = [](bool accepted) { answers.push_back(accepted ? 1 : 0); };
    s.toggleLoadScreen = [] {
        g_ui->loadScreenOpen = !g_ui->loadScreenOpen;
        screensOpened.push_back(2);
    };
    s.toggleSaveScreen = [] {
        g_ui->saveScreenOpen = !g_ui->saveScreenOpen;
        screensOpened.push_back(5);
    };
    s.toggleConnectScreen = [] {
        g_ui->connectScreenOpen = !g_ui->connectScreenOpen;
        screensOpened.push_back(4);
    };
}

void UiWorld::TearDown() {
    delete g_ui->water;
    delete g_ui->overlay;
    delete g_ui;
    g_ui = nullptr;
    delete g_anim;
    g_anim = nullptr;
    delete g_board;
    g_board = nullptr;
    delete g_app;
    g_app = nullptr;
    delete g_game;
    g_game = nullptr;
    g_scene->Reset();
    delete g_scene;
    g_scene = nullptr;
    g_root = nullptr;
    KSetTestClock(false);
}

void UiWorld::run(double seconds) {
    const double step = 1.0 / 60.0;
    for (double t = 0; t < seconds - 1e-9; t += step) {
        KAdvanceTestClock(step);
        UpdateAnimations();
        frameStep();
    }
}

void UiWorld::openMenu() {
    g_game->menuOpen = 1;
    g_ui->menuActive = 1;
    setWallVisible(true);
    KNodeGraph* cam = g_board->camera;
    cam->prs.SetPosition(3.5f, 6.0f, -4.0f);
    cam->prs.SetAngles(120, 0, 0);
}

void wallPixel(float x, float z, int* px, int* py) {
    KNodeGraph* cam = g_board->camera;
    KMatrix view = cam->GetWorldMatrix().Inverse();
    KVector c = view.TransformPoint(KVector(x, g_ui->wallHeight, z));
    const float w = float(g_scene->screenWidth), h = float(g_scene->screenHeight);
    const float hh = std::tan(cam->AsCamera()->angle * 0.017452778f);
    const float sx = c.x / -c.z, sy = c.y / -c.z; // on the plane at distance 1
    *px = int(std::lround(w / 2 + sx * w / (2 * hh * (w / h))));
    *py = int(std::lround(h / 2 - sy * h / (2 * hh)));
}

void UiWorld::pointAtWall(float x, float z) {
    int px, py;
    wallPixel(x, z, &px, &py);
    moveCursor(px, py);
    frameStep();
}

void UiWorld::fill(KTexture* t, unsigned char value) {
    t->pixels.assign(t->pixels.size(), value);
}

int UiWorld::pixel(const KTexture* t, int x, int y) {
    return t->pixels[(size_t(y) * t->width + x) * 4];
}
