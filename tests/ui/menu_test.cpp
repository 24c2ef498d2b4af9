// SPDX-License-Identifier: GPL-3.0-or-later
// The option menu: hover regions, highlights, the pointer on the wall, and the click and key
// rules page by page, with the wall turns, the sub-pages, the quit banner and the water.
#include <algorithm>
#include <cmath>
#include <vector>

#include "anim/anim_manager.h"
#include "anim/water.h"
#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "platform/win32.h"
#include "tests/ui/ui_world.h"
#include "ui/interface.h"

namespace {

constexpr int ESC = 27;

class Menu : public UiWorld {
protected:
    void SetUp() override {
        UiWorld::SetUp();
        openMenu();
    }
    // Hovers `entry` of the current page (the middle of its region) and clicks.
    static bool clickEntryAt(float x, float z) {
        pointAtWall(x, z);
        return menuClick(nullptr, 1, g_ui->mouseX, g_ui->mouseY);
    }
    static KTexture* pagePicture(int index) { return g_ui->pages[index].picture; }
};

TEST_F(Menu, RegionsAreStrictAndBelongToTheirPage) {
    struct Case {
        int page;
        float x, z;
        int entry;
    } cases[] = {
        {0, 0.0f, 1.0f, 1},   {0, -2.6f, 1.0f, -1},  {0, 2.2f, 1.0f, -1},  {0, 0.0f, 0.6f, -1},
        {0, 0.0f, 1.7f, -1},  {0, 5.0f, 1.0f, 2},    {0, 8.0f, 1.5f, 5},   {0, 0.0f, -2.0f, 6},
        {0, 7.0f, -2.0f, 7},  {0, 7.0f, -2.35f, -1}, {0, 3.0f, 1.0f, -1},  {1, 0.0f, -1.0f, 3},
        {1, 7.0f, -1.0f, 10}, {1, 0.0f, 1.0f, -1},   {10, 1.0f, -1.0f, 3}, {10, 6.0f, -1.0f, 4},
        {10, 0.0f, 1.0f, -1}, {3, 1.0f, -1.0f, 1},   {3, 6.0f, -1.0f, 0},  {3, 3.0f, -1.0f, -1},
        {2, 0.0f, 1.0f, -1},  {7, 7.0f, -2.0f, -1},  {6, 0.0f, -2.0f, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(entryAt(c.page, c.x, c.z), c.entry) << c.page << " " << c.x << "," << c.z;
}

TEST_F(Menu, ThePointerLightFollowsTheMouseAndStopsAtTheWallsEdges) {
    pointAtWall(3.0f, 1.0f);
    EXPECT_NEAR(g_ui->pointerX, 3.0f, 0.05f);
    EXPECT_NEAR(g_ui->pointerZ, 1.0f, 0.05f);
    EXPECT_NEAR(g_ui->lightHolder->prs.pos.x, g_ui->pointerX, 1e-5);
    EXPECT_NEAR(g_ui->lightHolder->prs.pos.y, 12.0f, 1e-5);

    // From far below, the window's corners see the plane well beyond the wall.
    g_board->camera->prs.SetPosition(3.5f, -60.0f, 1.0f);
    g_board->camera->prs.SetAngles(90, 0, 0);
    // Looking straight up, the top of the window is +z.
    moveCursor(0, 0);
    frameStep();
    EXPECT_EQ(g_ui->pointerX, -4.5f);
    EXPECT_EQ(g_ui->pointerZ, 5.9f);
    moveCursor(799, 599);
    frameStep();
    EXPECT_EQ(g_ui->pointerX, 11.6f);
    EXPECT_EQ(g_ui->pointerZ, -3.8f);
    EXPECT_EQ(g_ui->lightHolder->prs.pos.z, -3.8f);

    // Looking level, the ray through the centre never meets the plane: the pointer stays.
    g_board->camera->prs.SetAngles(0, 0, 0);
    moveCursor(400, 300);
    frameStep();
    EXPECT_EQ(g_ui->pointerX, 11.6f);
    EXPECT_TRUE(std::isfinite(g_ui->cubes[0][0]->prs.scale));
}

TEST_F(Menu, TheLensSwellsTheCubesNearThePointer) {
    pointAtWall(3.0f, 1.0f); // cube column 7, row 4 stands at (3, 16, 1)
    KNodeGraph* near = g_ui->cubes[4][7];
    KNodeGraph* far = g_ui->cubes[0][15];
    EXPECT_NEAR(near->prs.scale, 1.0f, 1e-5);
    EXPECT_LT(near->prs.pos.y, 16.0f - 1.3f);
    EXPECT_NEAR(far->prs.scale, 0.3f, 1e-5);
    EXPECT_FLOAT_EQ(near->prs.pos.x, 3.0f);
}

TEST_F(Menu, HoverPastesTheHighlightAndRestoresThePreviousEntry) {
    KTexture* pic = pagePicture(0);
    pointAtWall(0.0f, 1.2f);
    EXPECT_EQ(g_ui->hoveredEntry, 1);
    EXPECT_EQ(pixel(pic, 30, 151), 200);
    EXPECT_EQ(pixel(pic, 209, 195), 200);
    EXPECT_EQ(pixel(pic, 210, 151), 10);
    pointAtWall(5.0f, 1.2f);
    EXPECT_EQ(g_ui->hoveredEntry, 2);
    EXPECT_EQ(pixel(pic, 30, 151), 10) << "entry 1 restored";
    EXPECT_EQ(pixel(pic, 260, 151), 200);
    pointAtWall(3.0f, 3.0f);
    EXPECT_EQ(g_ui->hoveredEntry, -1);
    EXPECT_EQ(pixel(pic, 260, 151), 10);
}

TEST_F(Menu, ClicksWalkThePagesToTheColourChoice) {
    EXPECT_TRUE(clickEntryAt(3.0f, 3.0f)) << "a click beside the entries is swallowed";
    EXPECT_EQ(g_ui->page, 0);

    EXPECT_TRUE(clickEntryAt(0.0f, 1.2f)); // new game
    EXPECT_EQ(g_ui->page, 1);
    EXPECT_EQ(g_ui->hoveredEntry, -1);
    EXPECT_EQ(pixel(pagePicture(0), 30, 151), 10) << "page 0 left without its highlight";

    EXPECT_TRUE(clickEntryAt(7.0f, -1.0f)); // network game
    EXPECT_EQ(g_ui->page, 10);
    EXPECT_EQ(g_ui->networkGame, 1);
    EXPECT_TRUE(menuKey(ESC));
    EXPECT_EQ(g_ui->page, 0);

    clickEntryAt(0.0f, 1.2f);
    EXPECT_TRUE(clickEntryAt(0.0f, -1.0f)); // against the computer: its engine and level
    EXPECT_EQ(g_ui->page, 11);
    EXPECT_TRUE(clickEntryAt(4.6f, -1.2f)); // level 4, the one in force
    EXPECT_EQ(g_ui->page, 3);
    EXPECT_EQ(g_ui->networkGame, 0);
    EXPECT_TRUE(clickEntryAt(3.0f, -1.0f)) << "no colour under the pointer";
    EXPECT_EQ(g_ui->page, 3);
    EXPECT_FALSE(g_game->gameStarted);
}

TEST_F(Menu, AClickOnTheWallWhileTheMenuIsClosingIsNotAPageEntry) {
    pointAtWall(0.0f, 1.2f);
    ASSERT_EQ(g_ui->hoveredEntry, 1);
    g_ui->menuActive = 0; // closed: the camera is flying back, the wall still in view
    EXPECT_TRUE(menuClick(nullptr, 1, g_ui->mouseX, g_ui->mouseY));
    EXPECT_EQ(g_ui->page, 0);
    EXPECT_EQ(g_ui->hoveredEntry, 1);
}

TEST_F(Menu, LeavingAPageByEscapeTakesItsHighlightAway) {
    clickEntryAt(0.0f, 1.2f);
    clickEntryAt(0.0f, -1.0f); // page 11
    clickEntryAt(4.6f, -1.2f); // page 3
    pointAtWall(1.0f, -1.0f);  // hover "play Black"
    EXPECT_EQ(pixel(pagePicture(3), 110, 66), 200);
    menuKey(ESC);
    EXPECT_EQ(g_ui->page, 0);
    EXPECT_EQ(pixel(pagePicture(3), 110, 66), 10)
        << "the colour page would show Black lit on the next visit";
}

TEST_F(Menu, KeysFollowThePageRules) {
    g_ui->menuActive = 0;
    EXPECT_FALSE(menuKey(ESC)) << "menu closed: the key goes on";
    g_ui->menuActive = 1;
    EXPECT_TRUE(menuKey('A')) << "every key is swallowed while the menu is open";

    EXPECT_TRUE(menuKey(ESC));
    EXPECT_TRUE(g_game->menuOpen) << "no game yet: Escape on page 0 leaves the menu open";
    EXPECT_EQ(g_ui->page, 0);

    for (int page : {1, 10, 3, 2, 5, 4}) {
        g_ui->page = page;
        EXPECT_TRUE(menuKey('X'));
        EXPECT_EQ(g_ui->page, page) << "only Escape turns back";
        EXPECT_TRUE(menuKey(ESC));
        EXPECT_EQ(g_ui->page, 0) << page;
    }
    g_ui->page = 6;
    EXPECT_TRUE(menuKey(ESC));
    EXPECT_EQ(g_ui->page, 6) << "the water page without its water swallows Escape";
    g_ui->page = 7;
    EXPECT_TRUE(menuKey(ESC));
    EXPECT_EQ(g_ui->page, 7) << "the quit page is left by its buttons only";
}

TEST_F(Menu, TheWallTurnsInADiagonalWaveSwingingBackFirst) {
    turnWall(1);
    g_ui->page = 1;
    KNodeGraph* first = g_ui->cubes[7][15];
    KNodeGraph* last = g_ui->cubes[0][0];
    run(0.7); // the far corner is at its back swing, row 0 column 0 has not moved
    EXPECT_LT(first->prs.rot.x, -30.0f);
    EXPECT_NEAR(last->prs.rot.x, 0.0f, 0.5f);
    run(1.8); // 2.5 s: row 0 column 0 at its back swing of -45, the far corner arrived
    EXPECT_NEAR(first->prs.rot.x, 90.0f, 0.5f);
    EXPECT_NEAR(last->prs.rot.x, -45.0f, 3.0f);
    run(0.8);
    for (auto& row : g_ui->cubes)
        for (KNodeGraph* c : row)
            EXPECT_NEAR(c->prs.rot.x, 90.0f, 0.5f);
}

TEST_F(Menu, ASubScreenOpensWhenTheTurnEndsUnlessEscapeInterruptsIt) {
    clickEntryAt(5.0f, 1.2f); // load
    EXPECT_EQ(g_ui->page, 2);
    run(1.0);
    EXPECT_TRUE(screensOpened.empty());
    EXPECT_TRUE(menuKey(ESC)); // turned back while still turning away
    EXPECT_EQ(g_ui->page, 0);
    run(4.0);
    EXPECT_TRUE(screensOpened.empty()) << "the interrupted turn's completion never runs";

    clickEntryAt(8.0f, 1.2f); // save
    EXPECT_EQ(g_ui->page, 5);
    run(2.5);
    ASSERT_EQ(screensOpened.size(), 1u);
    EXPECT_EQ(screensOpened[0], 5);
    EXPECT_TRUE(g_ui->saveScreenOpen);
    EXPECT_TRUE(clickEntryAt(0.0f, 1.2f)) << "clicks are swallowed while the screen is open";
    EXPECT_EQ(g_ui->page, 5);
    closeScreens();
    EXPECT_FALSE(g_ui->saveScreenOpen);
}

TEST_F(Menu, TheQuitBannerAsksAndNoTurnsBack) {
    clickEntryAt(7.0f, -2.0f); // quit
    EXPECT_EQ(g_ui->page, 7);
    run(2.5);
    EXPECT_TRUE(g_ui->quitBannerShown);
    EXPECT_FALSE(g_ui->quit->hidden);
    EXPECT_TRUE(menuKey(ESC));
    EXPECT_TRUE(g_ui->quitBannerShown) << "Escape does not leave the quit page";

    // The flag waves while shown; its phase advances only then.
    KMesh* flag = g_ui->quit->AsObject()->mesh;
    ASSERT_EQ(flag->verts.size(), 33u * 33u);
    const float phase = g_ui->bannerPhase;
    EXPECT_GT(phase, 0.0f);
    const float z = flag->verts[500].pos.z;
    frameStep();
    EXPECT_NE(flag->verts[500].pos.z, z);

    EXPECT_TRUE(clickEntryAt(4.0f, -1.5f)); // "no"
    EXPECT_FALSE(g_ui->quitBannerShown);
    EXPECT_TRUE(g_ui->quit->hidden) << "the banner must not stay frozen over the wall";
    EXPECT_EQ(g_ui->page, 0);
    const float stopped = g_ui->bannerPhase;
    run(0.5);
    EXPECT_EQ(g_ui->bannerPhase, stopped);
}

TEST_F(Menu, YesFadesTheClosingPanelThenPostsTheQuitMessage) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    clickEntryAt(7.0f, -2.0f);
    run(2.5);
    EXPECT_TRUE(clickEntryAt(2.8f, -1.5f)); // "yes"
    EXPECT_FALSE(g_ui->quitBannerShown);
    EXPECT_FALSE(GetObjByName(g_scene, "support")->hidden);
    run(5.0);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) << "not before the fade ends";
    EXPECT_GT(GetMatByName(g_scene, "support")->opacity, 0.8f);
    run(7.0);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 18u);
}

TEST_F(Menu, TheWaterPageGrowsStirsAndGoesWithEscape) {
    clickEntryAt(0.0f, -2.0f); // water
    EXPECT_EQ(g_ui->page, 6);
    run(2.5);
    ASSERT_TRUE(g_ui->waterShown);
    EXPECT_FALSE(g_ui->waterNode->hidden);
    run(2.5);
    EXPECT_NEAR(g_ui->waterNode->prs.scale, 2.0f, 1e-4);

    WaterSurface* w = g_ui->water;
    // The drop a grid point gets from the water itself, to compare the pointer's drop with.
    auto dropAt = [w](int gx, int gy) {
        std::fill(w->velocity.begin(), w->velocity.end(), 0.0f);
        w->drop(gx, gy, 0);
        std::vector<float> v = w->velocity;
        std::fill(w->velocity.begin(), w->velocity.end(), 0.0f);
        return v;
    };
    pointAtWall(3.5f, 1.0f); // the pool's centre: grid column 34, row 35
    std::vector<float> centre = dropAt(34, 35);
    EXPECT_TRUE(menuClick(nullptr, 1, g_ui->mouseX, g_ui->mouseY));
    EXPECT_EQ(w->velocity, centre);
    EXPECT_EQ(g_ui->page, 6) << "a click on the water stays on its page";

    // Halves round up: u = v = 0.75 gives column 53 - 1 = 52 and row 70 - 52 - 1 = 17.
    std::vector<float> corner = dropAt(52, 17);
    g_ui->pointerX = 5.5f;
    g_ui->pointerZ = -1.0f;
    dropUnderPointer();
    EXPECT_EQ(w->velocity, corner);

    std::fill(w->velocity.begin(), w->velocity.end(), 0.0f);
    g_ui->pointerX = 11.0f; // off the pool
    g_ui->pointerZ = 5.5f;
    dropUnderPointer();
    for (float v : w->velocity)
        ASSERT_EQ(v, 0.0f);

    EXPECT_TRUE(menuKey(ESC));
    EXPECT_FALSE(g_ui->waterShown);
    EXPECT_TRUE(g_ui->waterNode->hidden);
    EXPECT_EQ(g_ui->page, 0);
}

TEST_F(Menu, ClosingTheMenuPutsAwayTheBannerAndTheWater) {
    toggleQuitBanner();
    toggleWater();
    closeScreens();
    EXPECT_FALSE(g_ui->quitBannerShown);
    EXPECT_TRUE(g_ui->quit->hidden);
    EXPECT_FALSE(g_ui->waterShown);
    EXPECT_TRUE(g_ui->waterNode->hidden);
}

// A slow frame never slows the wall: the water page opens as long after the click at 5 frames a
// second as at 200 (row 0, column 0 turns away last: its keys run to 3100 at 1500 a second).
TEST_F(Menu, TheWallTurnsOnTheClockAtFiveAndTwoHundredFramesASecond) {
    auto openWater = [](double step) {
        pointAtWall(0.0f, -2.0f); // water
        EXPECT_EQ(g_ui->hoveredEntry, 6);
        // As in the game's loop: the click is handled at the start of a frame.
        KAdvanceTestClock(step);
        EXPECT_TRUE(menuClick(nullptr, 1, g_ui->mouseX, g_ui->mouseY));
        double opened = -1;
        for (double t = 0; t < 5 && opened < 0; t += step) {
            if (t > 0) KAdvanceTestClock(step);
            UpdateAnimations();
            frameStep();
            if (g_ui->waterShown) opened = t;
        }
        EXPECT_TRUE(menuKey(ESC));
        run(3.5);
        EXPECT_EQ(g_ui->page, 0);
        return opened;
    };
    const double slow = openWater(0.2), fast = openWater(0.005);
    EXPECT_NEAR(fast, 3100.0 / 1500, 0.006);
    EXPECT_GE(slow, fast - 1e-6) << "seen at the first frame after it";
    EXPECT_LT(slow, fast + 0.2);
}

} // namespace
