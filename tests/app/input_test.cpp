// SPDX-License-Identifier: GPL-3.0-or-later
// Input dispatch and view states, driven through the screen callbacks with the test clock.

#include <gtest/gtest.h>

#include "board/camera_views.h"
#include "tests/app/game_fixture.h"

#include "anim/anim_manager.h"
#include "app/app_state.h"
#include "app/input.h"
#include "board/board_moves.h"
#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "game/game_record.h"
#include "ui/interface.h"

namespace {

class InputTest : public GameFixture {
protected:
    // Skips the intro and waits for the menu.
    void toMenu() {
        onKeyDown(27);
        onKeyUp(27);
        ASSERT_TRUE(runFramesUntil([] { return g_game->menuOpen != 0; }, 400));
    }
    // From the menu: a game against the computer with the local player on White, menu closed.
    void toGame() {
        toMenu();
        startNewGame(0);
        g_game->gameStarted = 1;
        setMenuOpen(false);
        ASSERT_TRUE(runFramesUntil([] { return !IsCameraMoving(); }, 400));
        ASSERT_FALSE(g_game->menuOpen);
    }
    void key(int code) {
        onKeyDown(code);
        onKeyUp(code);
    }
};

TEST_F(InputTest, OnlyEscapeCountsDuringTheIntro) {
    key('H');
    EXPECT_EQ(g_scene->statistics, 0);
    EXPECT_EQ(g_app->keysDown['H'], 0);
    key(27);
    EXPECT_FALSE(g_game->introRunning);
}

TEST_F(InputTest, EscapeBeforeAGameLeavesTheMenuOpenAndTogglesItAfter) {
    toMenu();
    key(27);
    EXPECT_TRUE(g_game->menuOpen);
    toGame();
    key(27);
    EXPECT_TRUE(g_game->menuOpen);
    EXPECT_TRUE(g_game->boardLocked);
}

TEST_F(InputTest, WindowLadderStopsAtBothEnds) {
    toMenu();
    for (int i = 0; i < 8; ++i)
        key(123); // F12
    EXPECT_EQ(g_app->width, 1600);
    EXPECT_EQ(g_app->height, 1200);
    for (int i = 0; i < 8; ++i)
        key(122); // F11
    EXPECT_EQ(g_app->width, 320);
    EXPECT_EQ(g_app->height, 240);
    key(123);
    EXPECT_EQ(g_app->width, 640);
}

TEST_F(InputTest, RequestKeysAskTheLocalPlayerOnceAndAreBlockedInTheMenuAndPause) {
    toGame();
    key('R');
    EXPECT_TRUE(g_game->questionShown);
    EXPECT_EQ(g_game->questionCode, 'R');

    // With a request pending, neither the same nor another request key does anything.
    g_game->requestPending = 1;
    g_game->questionCode = 0;
    key('S');
    key('b');
    EXPECT_EQ(g_game->questionCode, 0);
    g_game->requestPending = 0;

    // Pause view: blocked too.
    g_game->questionShown = 0;
    key(19);
    ASSERT_TRUE(g_game->cameraView);
    key('B');
    EXPECT_EQ(g_game->questionCode, 0);
}

TEST_F(InputTest, PauseIsIgnoredWhileTheCameraFliesBackFromTheMenu) {
    toGame();
    setMenuOpen(true);
    ASSERT_TRUE(runFramesUntil([] { return !IsCameraMoving(); }, 400));
    setMenuOpen(false);
    ASSERT_TRUE(IsCameraMoving());
    key(19);
    EXPECT_FALSE(g_game->cameraView);
    ASSERT_TRUE(runFramesUntil([] { return !IsCameraMoving(); }, 400));
    key(19);
    EXPECT_TRUE(g_game->cameraView);
    EXPECT_TRUE(g_game->boardLocked);
}

TEST_F(InputTest, PauseDuringTheTurnTowardsTheComputerStillLetsItAnswer) {
    toGame();
    ASSERT_TRUE(g_game->tryMove(g_game->pieceOf(0, 2, 4), &g_game->squares[36], true)); // e2-e4
    g_game->endTurn();
    // The glide ends, then the camera turns towards the computer's side.
    ASSERT_TRUE(runFramesUntil([] { return !g_game->pieceInMotion && IsCameraMoving(); }, 400));
    ASSERT_EQ(g_game->sideToMove, 1);
    key(19);
    ASSERT_TRUE(g_game->cameraView);
    key('A');                                 // no flight away from the pause tour
    runFramesUntil([] { return false; }, 40); // the tour runs for ever
    EXPECT_EQ(FindNodeEntry(g_board->camera)->preset, ANIM_VIEW_TOUR);
    key(19);
    ASSERT_FALSE(g_game->cameraView);
    EXPECT_TRUE(runFramesUntil([] { return g_game->sideToMove == 0; }, 400));
    EXPECT_EQ(g_game->record.moves.count, 2);
}

TEST_F(InputTest, NothingButTheSkipActsDuringTheFlightUpToTheMenu) {
    key(27); // skip: the camera flies up to the menu view
    ASSERT_FALSE(g_game->introRunning);
    ASSERT_TRUE(IsCameraMoving());
    ASSERT_FALSE(g_game->menuOpen);
    for (int code : {19, int('R'), int('S'), int('B'), int('A'), 35, 27})
        key(code);
    onMouseDown(1, g_app->width * 790 / 800, 2); // the close box
    onMouseUp();
    onMouseDown(1, g_app->width / 2, g_app->height / 2);
    EXPECT_FALSE(g_game->cameraView);
    EXPECT_FALSE(g_game->questionShown);
    ASSERT_TRUE(runFramesUntil([] { return g_game->menuOpen != 0; }, 100))
        << "the flight's end must still open the menu";
    EXPECT_EQ(g_ui->page, 0);
    EXPECT_FALSE(g_game->inputSuspended);
    EXPECT_EQ(FindNodeEntry(g_board->camera)->preset, ANIM_VIEW_MENU);
    // The menu works as after an untouched intro: no game yet, so Escape leaves it open.
    key(27);
    EXPECT_TRUE(g_game->menuOpen);
}

TEST_F(InputTest, PauseDuringAGlideKeepsTheTourAndTheComputerWaits) {
    toGame();
    ASSERT_TRUE(g_game->tryMove(g_game->pieceOf(0, 2, 4), &g_game->squares[36], true)); // e2-e4
    g_game->endTurn();
    ASSERT_TRUE(g_game->pieceInMotion);
    key(19);
    ASSERT_TRUE(g_game->cameraView);
    // The glide lands during the pause: the camera stays on its tour, the computer waits.
    runFramesUntil([] { return false; }, 40);
    EXPECT_FALSE(g_game->pieceInMotion);
    EXPECT_EQ(FindNodeEntry(g_board->camera)->preset, ANIM_VIEW_TOUR);
    EXPECT_EQ(g_game->record.moves.count, 1);
    EXPECT_FALSE(g_ui->pause->hidden);
    key(19);
    ASSERT_FALSE(g_game->cameraView);
    EXPECT_TRUE(runFramesUntil([] { return g_game->record.moves.count == 2; }, 400));
    EXPECT_EQ(g_anim->view_index_saved, 1) << "the camera came back to the side that moved";
}

TEST_F(InputTest, TheMenuClosedDuringAGlideStillFinishesClosing) {
    toGame();
    ASSERT_TRUE(g_game->tryMove(g_game->pieceOf(0, 2, 4), &g_game->squares[36], true)); // e2-e4
    g_game->endTurn();
    key(27);
    ASSERT_TRUE(g_game->menuOpen);
    runFramesUntil([] { return false; }, 2);
    key(27); // closed again before the glide lands: the landing turns the camera
    ASSERT_FALSE(g_game->menuOpen);
    ASSERT_TRUE(g_game->pieceInMotion);
    ASSERT_TRUE(
        runFramesUntil([] { return g_game->record.moves.count == 2 && !IsCameraMoving(); }, 400));
    EXPECT_TRUE(g_ui->wallRoot->hidden) << "the menu wall stayed up";
    EXPECT_EQ(g_scene->selectedLight, nullptr) << "the pointer's light stayed the scene's";
    EXPECT_FALSE(g_board->boardPivot->hidden);
    EXPECT_EQ(g_game->record.moves.count, 2) << "the computer answered once";
}

TEST_F(InputTest, CloseBoxOpensTheQuitPageButStartsADragWhileTheMenuIsOpen) {
    toGame();
    const int x = g_app->width * 790 / 800, y = 2; // in the close box at any width
    onMouseDown(1, x, y);
    EXPECT_TRUE(g_game->menuOpen);
    EXPECT_EQ(g_ui->page, 7);
    EXPECT_FALSE(g_app->dragging);
    onMouseUp();

    onMouseDown(1, x, y);
    EXPECT_TRUE(g_app->dragging);
    EXPECT_EQ(g_app->lastMouseX, x);
    onMouseUp();
    EXPECT_FALSE(g_app->dragging);
}

TEST_F(InputTest, CtrlWithoutButtonMovesNothingButTracksThePointer) {
    toGame();
    const KVector before = g_board->camera->prs.pos;
    onMouseMove(MK_CONTROL, 300, 300);
    onMouseMove(MK_CONTROL, 340, 320);
    EXPECT_EQ(g_board->camera->prs.pos.x, before.x);
    EXPECT_EQ(g_app->lastMouseX, 340);
    EXPECT_EQ(g_app->lastMouseY, 320);
    onMouseMove(MK_CONTROL | MK_LBUTTON, 360, 320);
    EXPECT_NE(g_board->camera->prs.pos.x, before.x);
}

TEST_F(InputTest, GeometryScalesWithTheWindowWidth) {
    EXPECT_TRUE(inTopStrip(800, 19));
    EXPECT_FALSE(inTopStrip(800, 20));
    EXPECT_TRUE(inTopStrip(1600, 39));
    EXPECT_FALSE(inCloseBox(800, 782));
    EXPECT_TRUE(inCloseBox(800, 783));
    EXPECT_FALSE(inCloseBox(800, 798));
    EXPECT_TRUE(inCloseBox(320, 313)); // 782 * 320 / 800 = 312
}

} // namespace
