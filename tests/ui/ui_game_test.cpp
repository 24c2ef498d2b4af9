// SPDX-License-Identifier: GPL-3.0-or-later
// The interface in the whole game, built once per process and driven through the screen's
// callbacks with the test clock: the menu after the intro, a game started from the colour page,
// the request window answered with the mouse, the chat, resigning, and the quit through the banner.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/game_main.h"
#include "app/input.h"
#include "engine/KivEngine.h"
#include "game/game_end_state.h"
#include "game/game_model.h"
#include "game/player_info.h"
#include "tests/ui/ui_world.h"
#include "ui/interface.h"

namespace {

bool g_built = false;

// Runs frames of `dt` seconds until `done` or `maxFrames`; false when the quit message came.
template <class Done> bool runUntil(Done done, int maxFrames, double dt = 0.05) {
    for (int i = 0; i < maxFrames; ++i) {
        if (done()) return true;
        KAdvanceTestClock(dt);
        if (!runFrame()) return false;
    }
    return done();
}

// Frames are slow without a GPU: long waits take few, long frames.
void runFor(double seconds, double dt = 0.1) {
    for (double t = 0; t < seconds; t += dt) {
        KAdvanceTestClock(dt);
        runFrame();
    }
}

// Moves the mouse to the wall point (x, z), lets a frame follow, and clicks there.
void clickWall(float x, float z) {
    int px, py;
    wallPixel(x, z, &px, &py);
    onMouseMove(0, px, py);
    KAdvanceTestClock(0.02);
    runFrame();
    onMouseDown(1, px, py);
    onMouseUp();
}

void clickWindow(int x, int y) {
    onMouseMove(0, x, y);
    onMouseDown(1, x, y);
    onMouseUp();
}

class UiGame : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("SDL_VIDEODRIVER", "offscreen", 0); // as CTest sets it: no display needed
        KivInitDLL();
        KSetTestClock(true);
        g_built = buildGame();
        if (!g_built) return;
        onKeyDown(27); // skip the intro
        g_built = runUntil([] { return g_game->menuOpen != 0; }, 100, 0.1);
    }
    void SetUp() override {
        if (!g_built) GTEST_SKIP() << "the game could not be built here (no display or data)";
    }
};

// One story, in order: each step needs the state the previous one left.
TEST_F(UiGame, FromTheMenuThroughAGameToTheQuitBanner) {
    // The menu after the intro: the wall shows page 0, no game yet, Escape leaves it open.
    EXPECT_FALSE(g_ui->wallRoot->hidden);
    EXPECT_EQ(g_ui->page, 0);
    onKeyDown(27);
    runFor(0.2);
    EXPECT_TRUE(g_game->menuOpen);
    clickWall(4.1f, -1.8f); // Resign, with no game: refused in words, nothing asked
    EXPECT_STREQ(lastPlayerMessage(), "No game to resign");

    // New game, against the computer, White.
    clickWall(0.0f, 1.2f);
    EXPECT_EQ(g_ui->page, 1);
    clickWall(0.0f, -1.0f);
    EXPECT_EQ(g_ui->page, 11);
    clickWall(4.6f, -1.2f); // level 4, the one in force
    EXPECT_EQ(g_ui->page, 3);
    clickWall(6.0f, -1.0f);
    EXPECT_TRUE(g_game->gameStarted);
    EXPECT_FALSE(g_game->menuOpen);
    EXPECT_EQ(g_ui->page, 0);
    EXPECT_EQ(g_game->humanColour, 0);
    ASSERT_TRUE(runUntil([] { return g_ui->wallRoot->hidden != 0; }, 40, 0.1))
        << "the wall goes when the camera is back at the board";

    // S asks to swap colours; a click between the buttons does nothing, accept swaps.
    onKeyDown(83);
    onKeyUp(83);
    ASSERT_TRUE(g_game->questionShown);
    EXPECT_STREQ(g_ui->overlay->requestLine1->texte, "Asking swap colors");
    runFor(0.4);
    EXPECT_TRUE(g_ui->overlay->requestLine2->visible);
    clickWindow(400, 362);
    EXPECT_TRUE(g_game->questionShown);
    clickWindow(320, 362);
    EXPECT_FALSE(g_game->questionShown);
    EXPECT_EQ(g_game->humanColour, 1);
    runFor(3.0, 0.5);

    // The chat opens with Tab, takes typed keys, and Escape there does not open the menu.
    onKeyDown(9);
    onKeyUp(9);
    onKeyDown(72);
    onKeyUp(72);
    onKeyDown(73);
    onKeyUp(73);
    onKeyDown(27);
    onKeyUp(27);
    EXPECT_FALSE(g_game->menuOpen);
    EXPECT_TRUE(g_ui->overlay->chatLines[0]->visible);
    onKeyDown(9);
    onKeyUp(9);
    EXPECT_FALSE(g_ui->overlay->chatLines[0]->visible);

    // Resign on the wall asks as G does, over the board (the menu closes); Escape refuses. G,
    // accepted: Black (the player since the swap) resigns; Resign after the end is refused.
    onKeyDown(27);
    onKeyUp(27);
    EXPECT_TRUE(g_game->menuOpen);
    ASSERT_TRUE(runUntil([] { return !g_ui->wallRoot->hidden; }, 10));
    runFor(1.5);
    clickWall(4.1f, -1.8f);
    ASSERT_TRUE(g_game->questionShown);
    EXPECT_STREQ(g_ui->overlay->requestLine1->texte, "Resign :");
    EXPECT_FALSE(g_game->menuOpen);
    onKeyDown(27);
    onKeyUp(27);
    EXPECT_FALSE(g_game->questionShown);
    EXPECT_FALSE(gameFinished());
    onKeyDown('G');
    onKeyUp('G');
    runFor(0.4);
    clickWindow(320, 362);
    EXPECT_STREQ(lastPlayerMessage(), "1-0 {Black resigns}");

    // Escape opens the menu; quit, then yes: the closing panel, then the quit message 18.
    onKeyDown(27);
    onKeyUp(27);
    EXPECT_TRUE(g_game->menuOpen);
    ASSERT_TRUE(runUntil([] { return !g_ui->wallRoot->hidden; }, 10));
    runFor(1.5);
    clickWall(4.1f, -1.8f);
    EXPECT_STREQ(lastPlayerMessage(), "Game over : R for a new game");
    clickWall(7.0f, -2.0f);
    EXPECT_EQ(g_ui->page, 7);
    ASSERT_TRUE(runUntil([] { return g_ui->quitBannerShown != 0; }, 40, 0.1));
    clickWall(2.8f, -1.5f);
    EXPECT_FALSE(g_ui->quitBannerShown);
    bool quit = !runUntil([] { return false; }, 60, 0.25); // the closing panel: 11.1 s
    EXPECT_TRUE(quit);
    EXPECT_EQ(quitCode(), 18);
}

} // namespace
