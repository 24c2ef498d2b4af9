// Full screen on a display wider than 4:3: the move list leaves the board for the black bar
// beside the picture when the bar is wide enough for it, keeps its place over the board when
// not, and comes back over the board in the window.

#include <gtest/gtest.h>

#include "app/input.h"
#include "board/camera_views.h"
#include "board/intro.h"
#include "chess/search.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "tests/app/game_fixture.h"
#include "ui/move_list.h"

namespace {

class WideScreenGame : public GameFixture {
protected:
    static bool settled() {
        return !g_game->menuOpen && !g_game->pieceInMotion && !IsCameraMoving();
    }
    static void pressKey(int key) {
        onKeyDown(key);
        onKeyUp(key);
        KAdvanceTestClock(0.04);
        runFrame();
    }
};

TEST_F(WideScreenGame, TheMoveListStandsOnTheBarWhereItFits) {
    IntroSkip();
    ASSERT_TRUE(runFramesUntil([] { return g_game->menuOpen && !IsCameraMoving(); }, 300));
    startNewGame(0);
    max_depth = 2;
    g_game->gameStarted = 1;
    toggleMenu();
    ASSERT_TRUE(runFramesUntil(settled, 300));
    pressKey('M');
    const MoveListView& v = moveListView();
    ASSERT_TRUE(v.title->visible);

    // Windows as wide as the display they stand for in full screen (SDL's windowless driver).
    const struct {
        int windowWidth;
        bool onBar;
    } cases[] = {{2000, true}, {1100, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.windowWidth);
        SetScreenSize(g_app->screen, c.windowWidth, 600);
        pressKey('F');
        ASSERT_TRUE(g_app->screen->fullscreen);
        const int picture = g_app->width, bar = g_app->screen->originX;
        ASSERT_GT(bar, 0);
        const int left = v.frame->x, right = v.frame->x + v.frame->width;
        if (c.onBar) {
            EXPECT_GE(left, picture) << "over the board";
            EXPECT_LE(right, picture + bar) << "beyond the window";
            EXPECT_GT(v.rows[0]->x, left);
        } else {
            EXPECT_LE(right, picture) << "on a bar too narrow for it";
            EXPECT_GT(left, picture / 2);
        }
        pressKey('F');
        ASSERT_FALSE(g_app->screen->fullscreen);
        EXPECT_LE(v.frame->x + v.frame->width, g_app->width) << "beyond the window";
        EXPECT_GT(v.frame->x, g_app->width / 2);
    }
}

} // namespace
