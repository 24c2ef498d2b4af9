// SPDX-License-Identifier: GPL-3.0-or-later
// The intro in the interface's stand-in world (no display, no generated data): the flight and
// the title's fade, the end in the menu view, and the skip key giving the same end state.

#include <cmath>

#include "anim/anim_manager.h"
#include "app/input.h"
#include "board/board_scene.h"
#include "board/camera_views.h"
#include "board/intro.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "tests/anim/anim_world.h"
#include "tests/ui/ui_world.h"
#include "ui/interface.h"

namespace {

KNodeGraph* obj(const char* name) {
    return GetObjByName(g_scene, name);
}

// What the player is left with once the intro is over.
struct EndState {
    KVector camPos, camForward;
    bool introRunning, inputSuspended, menuOpen, gameStarted, boardLocked;
    bool titleHidden, supportHidden, boardHidden, turnHidden, wallHidden;
    bool cameraMoving, fadeRunning;
    const KLight* light;
};

EndState endState() {
    KNodeGraph* cam = g_board->camera;
    const MaterialAnimEntry* fade = FindMaterialEntry(GetMatByName(g_scene, "intro"));
    return {cam->GetWorldMatrix().GetTrans(),
            cam->GetWorldMatrix().TransformDir(KVector(0, 0, -1)),
            g_game->introRunning != 0,
            g_game->inputSuspended != 0,
            g_game->menuOpen != 0,
            g_game->gameStarted != 0,
            g_game->boardLocked != 0,
            obj("intro")->hidden != 0,
            obj("support")->hidden != 0,
            g_board->boardPivot->hidden != 0,
            g_ui->turn->hidden != 0,
            g_ui->wallRoot->hidden != 0,
            IsCameraMoving(),
            fade && fade->state != ANIM_STOPPED,
            g_scene->selectedLight};
}

void expectMenuState(const EndState& s) {
    EXPECT_VEC_NEAR(s.camPos, 3.5f, 6, -4, 1e-4);
    EXPECT_NEAR(s.camForward.y, 0.866f, 1e-3); // up at the wall
    EXPECT_NEAR(s.camForward.z, 0.5f, 1e-3);
    EXPECT_FALSE(s.introRunning);
    EXPECT_FALSE(s.inputSuspended);
    EXPECT_TRUE(s.menuOpen);
    EXPECT_FALSE(s.gameStarted);
    EXPECT_TRUE(s.boardLocked);
    EXPECT_TRUE(s.titleHidden);
    EXPECT_TRUE(s.supportHidden);
    EXPECT_TRUE(s.boardHidden);
    EXPECT_TRUE(s.turnHidden);
    EXPECT_FALSE(s.wallHidden);
    EXPECT_FALSE(s.cameraMoving);
    EXPECT_FALSE(s.fadeRunning);
    EXPECT_EQ(s.light, g_ui->cubeLight->AsLight());
}

class Intro : public UiWorld {
protected:
    void SetUp() override {
        UiWorld::SetUp();
        // Stand-ins for the intro model's title (a plain object with its material).
        KObject* title = new KObject(g_scene);
        title->name = "intro";
        title->InsertAsChildOf(g_scene->root);
        KMaterial* mat = new KMaterial(g_scene);
        mat->name = "intro";
        SetupCameraViews();
        installIntroHooks();
        IntroSetup();
        IntroStart();
    }
};

} // namespace

TEST_F(Intro, SetupHangsTheTitleAndThePanelInFrontOfTheCamera) {
    for (const char* name : {"intro", "support"}) {
        SCOPED_TRACE(name);
        KNodeGraph* n = obj(name);
        EXPECT_EQ(n->parent, g_board->camera);
        EXPECT_EQ(n->tag, 15);
        EXPECT_VEC_NEAR(n->prs.pos, 0, 0, -1.2f, 0);
    }
    EXPECT_FALSE(obj("intro")->hidden);
    EXPECT_TRUE(obj("support")->hidden);
    EXPECT_TRUE(GetMatByName(g_scene, "intro")->blend); // so that its opacity shows
}

TEST_F(Intro, TheFlightSpiralsInWhileTheTitleFadesInAndOut) {
    EXPECT_TRUE(g_game->introRunning);
    EXPECT_TRUE(g_game->inputSuspended);
    EXPECT_TRUE(g_ui->turn->hidden);
    EXPECT_TRUE(g_ui->cadreTurn->hidden);
    // The camera starts 90 units out, on the flight's first key, looking along -z.
    KNodeGraph* cam = g_board->camera;
    EXPECT_VEC_NEAR(cam->prs.pos, 3.5f, 0.3f, 95.5f, 1e-3);
    const KMaterial* title = GetMatByName(g_scene, "intro");
    run(0.5);
    EXPECT_LT(title->opacity, 0.01f); // not yet
    run(4.5);
    EXPECT_NEAR(title->opacity, 0.7f, 1e-3);
    // Five seconds in: 900 key units, radius (1 - 0.45) * 90 round the board.
    const KVector p = cam->prs.pos;
    EXPECT_NEAR(std::hypot(p.x - 3.5f, p.z - 5.5f), 49.5f, 0.5f);
    run(5.5);
    EXPECT_LT(title->opacity, 0.01f); // faded out again
    EXPECT_TRUE(g_game->introRunning);
}

TEST_F(Intro, TheFlightEndsInTheMenuView) {
    run(10.9);
    EXPECT_TRUE(g_game->introRunning); // about 11.1 s
    run(0.4);
    EXPECT_FALSE(g_game->introRunning);
    EXPECT_TRUE(IsCameraMoving()); // up to the menu view
    run(1.2);
    expectMenuState(endState());
}

TEST_F(Intro, SkippingGivesTheSameEndStateAsTheWholeFlight) {
    run(3);
    IntroSkip();
    EXPECT_FALSE(g_game->introRunning);
    EXPECT_TRUE(g_game->inputSuspended) << "locked until the menu shows";
    run(1.2);
    expectMenuState(endState());
    // The flight's own end never comes after a skip, and a second skip changes nothing.
    IntroSkip();
    run(12);
    expectMenuState(endState());
}
