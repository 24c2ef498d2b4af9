// SPDX-License-Identifier: GPL-3.0-or-later
// The whole game built once per test process (CTest runs each case on its own), driven frame by
// frame with the test clock: the frame loop, the intro and its skip, and the quit message.

#include <SDL.h>
#include <gtest/gtest.h>

#include "tests/app/game_fixture.h"

#include "anim/anim_manager.h"
#include "app/app_state.h"
#include "app/game_main.h"
#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "ui/interface.h"

namespace {

int g_callbackRuns = 0;

void countingCallback() {
    ++g_callbackRuns;
}

void pushKey(SDL_Keycode key, SDL_Scancode scancode) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.windowID = SDL_GetWindowID(g_app->screen->window);
    e.key.state = SDL_PRESSED;
    e.key.keysym.sym = key;
    e.key.keysym.scancode = scancode;
    SDL_PushEvent(&e);
    e.type = SDL_KEYUP;
    e.key.state = SDL_RELEASED;
    SDL_PushEvent(&e);
}

// Runs frames, advancing the test clock by `dt` before each, until `done` or `maxFrames`.
class GameTest : public GameFixture {
protected:
};

TEST_F(GameTest, StartsInTheIntroWithInputLocked) {
    // The first render happened inside buildGame, with the intro already running.
    EXPECT_TRUE(g_game->introRunning);
    EXPECT_TRUE(g_game->inputSuspended);
    EXPECT_GT(g_scene->stats.nbVisObjects, 0);
}

TEST_F(GameTest, EveryQueuedMessageIsHandledBeforeTheFrame) {
    // Escape skips the intro; the camera then flies to the menu and the menu shows.
    pushKey(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    ASSERT_TRUE(runFrame());
    EXPECT_FALSE(g_game->introRunning);
    ASSERT_TRUE(runFramesUntil([] { return g_game->menuOpen != 0; }, 200));
    EXPECT_FALSE(g_game->gameStarted);

    // Three H presses queued at once are all dispatched before the one frame that follows.
    const unsigned char before = g_scene->statistics;
    pushKey(SDLK_h, SDL_SCANCODE_H);
    pushKey(SDLK_h, SDL_SCANCODE_H);
    pushKey(SDLK_h, SDL_SCANCODE_H);
    ASSERT_TRUE(runFrame());
    EXPECT_NE(g_scene->statistics, before);
}

TEST_F(GameTest, EscapeBeforeAnyGameLeavesTheMenuOpen) {
    pushKey(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    ASSERT_TRUE(runFramesUntil([] { return g_game->menuOpen != 0; }, 200));
    pushKey(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    ASSERT_TRUE(runFrame());
    EXPECT_TRUE(g_game->menuOpen);
}

// Last: the quit message ends the loop, even with an animation running, and no completion
// callback runs after it.
TEST_F(GameTest, QuitMessageEndsTheLoopMidAnimation) {
    SetNodeAnim(g_board->camera, ANIM_VIEW_WHITE);
    StartNodeAnim(g_board->camera, ANIM_ONCE, 3, countingCallback);
    ASSERT_TRUE(runFrame());
    PostQuitMessage(18);
    KAdvanceTestClock(5.0);
    EXPECT_FALSE(runFrame());
    EXPECT_EQ(quitCode(), 18);
    EXPECT_EQ(g_callbackRuns, 0);
    shutdownGame();
}

} // namespace
