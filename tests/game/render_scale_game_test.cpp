// SPDX-License-Identifier: GPL-3.0-or-later
// The automatic render scale in the game: fed with slow or quick frames, it stays within its
// bounds, and while a piece glides it holds still whatever the frames say.

#include <gtest/gtest.h>

#include "anim/anim_manager.h"
#include "app/input.h"
#include "board/camera_views.h"
#include "board/intro.h"
#include "board/square_picking.h"
#include "chess/search.h"
#include "engine/KivEngine.h"
#include "engine/render_state.h"
#include "game/game_model.h"
#include "tests/app/game_fixture.h"

namespace {

class RenderScaleGame : public GameFixture {
protected:
    static bool settled() {
        return !g_game->menuOpen && !g_game->pieceInMotion && !IsCameraMoving();
    }
    static float scale() { return GetRenderScale(g_app->screen); }
    static void click(int square) {
        onBoardClick(g_game->squares[square].node);
        KAdvanceTestClock(0.04);
        runFrame();
    }
};

TEST_F(RenderScaleGame, StaysInItsBoundsAndHoldsStillWhileAPieceGlides) {
    // A game as White; a window above 800 x 600, where the scene may be drawn smaller.
    IntroSkip();
    ASSERT_TRUE(runFramesUntil([] { return g_game->menuOpen && !IsCameraMoving(); }, 300));
    startNewGame(0);
    max_depth = 2; // the computer's answer is not what is looked at
    g_game->gameStarted = 1;
    toggleMenu();
    ASSERT_TRUE(runFramesUntil(settled, 300));
    while (g_app->width < 1024)
        growWindow();
    SetRenderScale(g_app->screen, KRENDER_SCALE_AUTO);
    KRenderState& rs = *g_app->screen->render;
    const float floor = KRenderScaleFloor(long(g_app->width) * g_app->height);
    ASSERT_LT(floor, 1.0f);

    // 1. Slow frames with nothing moving: the scale comes down, not below its floor.
    rs.givenFrameSeconds = 0.1;
    for (int i = 0; i < 25 && scale() == 1.0f; ++i) {
        KAdvanceTestClock(0.04);
        ASSERT_TRUE(runFrame());
        ASSERT_GE(scale(), floor);
    }
    const float low = scale();
    ASSERT_LT(low, 1.0f);

    // 2. Quick frames from the move on: while the pawn and the computer's answer glide the scale
    //    stays where it was; the first frame the board and the camera rest raises it, never past
    //    full size.
    rs.givenFrameSeconds = 0.002;
    const int e2 = 6 * 8 + 4, e4 = 4 * 8 + 4;
    click(e2);
    click(e4);
    click(e4);
    int glideFrames = 0;
    for (int i = 0; i < 200 && (glideFrames == 0 || scale() == low); ++i) {
        const bool gliding = g_game->pieceInMotion;
        if (gliding) ASSERT_EQ(scale(), low) << "frame " << i << " of the glide";
        glideFrames += gliding;
        KAdvanceTestClock(gliding ? 0.1 : 0.5); // the camera's flights, which hold it too, quickly
        ASSERT_TRUE(runFrame());
        ASSERT_LE(scale(), 1.0f);
    }
    EXPECT_GT(glideFrames, 5);
    EXPECT_GT(scale(), low);
    rs.givenFrameSeconds = 0;
}

} // namespace
