// SPDX-License-Identifier: GPL-3.0-or-later
// Full screen on a display wider than 4:3: the move list stands on the bar right of the picture
// where it fits, over the board where not, and over the board again back in the window.

#include "app/input.h"
#include "board/camera_views.h"
#include "board/intro.h"
#include "chess/search.h"
#include "game/game_model.h"
#include "tests/app/game_fixture.h"
#include "ui/move_list.h"

namespace {

class WideScreenGame : public GameFixture {};

TEST_F(WideScreenGame, TheMoveListStandsOnTheBarWhereItFits) {
    IntroSkip();
    ASSERT_TRUE(runFramesUntil([] { return g_game->menuOpen && !IsCameraMoving(); }, 300));
    startNewGame(0);
    max_depth = 2;
    g_game->gameStarted = 1;
    toggleMenu();
    const MoveListView& v = moveListView();
    auto press = [](int key) {
        onKeyDown(key);
        onKeyUp(key);
        KAdvanceTestClock(0.04);
        return runFrame() && runFramesUntil([] { return !IsCameraMoving(); }, 300);
    };
    ASSERT_TRUE(press('M'));
    // Windows as wide as the display they stand for in full screen (the windowless driver).
    for (const auto& [windowWidth, onBar] : {std::pair{2000, true}, std::pair{1100, false}}) {
        SCOPED_TRACE(windowWidth);
        SetScreenSize(g_app->screen, windowWidth, 600);
        ASSERT_TRUE(press('F') && g_app->screen->fullscreen && v.title->visible);
        const int picture = g_app->width, bar = g_app->screen->originX;
        const int left = v.frame->x, right = left + v.frame->width;
        EXPECT_EQ(left >= picture && right <= picture + bar, onBar) << left << ".." << right;
        EXPECT_EQ(right <= picture && left > picture / 2, !onBar) << left << ".." << right;
        ASSERT_TRUE(press('F') && !g_app->screen->fullscreen);
        EXPECT_LE(v.frame->x + v.frame->width, g_app->width) << "beyond the window";
        EXPECT_GT(v.frame->x, g_app->width / 2);
    }
}

} // namespace
