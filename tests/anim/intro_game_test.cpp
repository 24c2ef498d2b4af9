// SPDX-License-Identifier: GPL-3.0-or-later
// The intro of the real game with its generated data, driven frame by frame with the test
// clock: the flight from the intro model, the title's fade, the light pivot circling the board,
// and the arrival in the menu view.

#include <cmath>
#include <cstdlib>

#include "anim/anim_manager.h"
#include "app/game_main.h"
#include "board/board_scene.h"
#include "board/camera_views.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "tests/anim/anim_world.h"

namespace {

// Runs frames of `dt` seconds until `done`; the seconds that took, or -1 after `limit`.
template <class Done> double runUntil(Done done, double limit, double dt = 0.1) {
    for (double t = 0; t < limit; t += dt) {
        if (done()) return t;
        KAdvanceTestClock(dt);
        if (!runFrame()) return -1;
    }
    return done() ? limit : -1;
}

} // namespace

TEST(IntroGame, TheIntroFliesFromTheModelIntoTheMenuView) {
    if (!std::getenv("SDL_AUDIODRIVER")) setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("SDL_VIDEODRIVER", "offscreen", 0); // as CTest sets it: no display needed
    KivInitDLL();
    KSetTestClock(true);
    if (!buildGame()) GTEST_SKIP() << "the game could not be built here (no display or data)";

    KNodeGraph* title = GetObjByName(g_scene, "intro");
    KNodeGraph* support = GetObjByName(g_scene, "support");
    KMaterial* titleMat = GetMatByName(g_scene, "intro");
    ASSERT_NE(title, nullptr);
    ASSERT_NE(support, nullptr);
    ASSERT_NE(titleMat, nullptr);
    EXPECT_EQ(title->parent, g_board->camera);
    EXPECT_TRUE(support->hidden);
    EXPECT_TRUE(g_game->introRunning);

    // Four seconds in the title is shown at 0.7 and the light pivot circles the board.
    ASSERT_GE(runUntil([] { return false; }, 4), -1);
    EXPECT_NEAR(titleMat->opacity, 0.7f, 1e-3);
    const KVector pivot = g_board->lightPivot1->prs.pos;
    EXPECT_NEAR(std::hypot(pivot.x - 3.5f, pivot.z - 3.5f), 15, 0.1f);
    EXPECT_NEAR(pivot.y, 5, 1e-4);

    const double flight = runUntil([] { return !g_game->introRunning; }, 10);
    ASSERT_GE(flight, 0);
    EXPECT_NEAR(4 + flight, 2000 / 180.0, 0.25); // the whole flight, about 11.1 s
    EXPECT_TRUE(title->hidden);
    ASSERT_GE(runUntil([] { return g_game->menuOpen != 0; }, 2), 0);
    EXPECT_VEC_NEAR(g_board->camera->prs.pos, 3.5f, 6, -4, 1e-4);
    EXPECT_FALSE(IsCameraMoving());
    EXPECT_FALSE(g_game->inputSuspended);
    EXPECT_TRUE(g_board->boardPivot->hidden);
    const NodeAnimEntry* circle = FindNodeEntry(g_board->lightPivot1);
    ASSERT_NE(circle, nullptr);
    EXPECT_EQ(circle->state, ANIM_RUNNING);
    EXPECT_EQ(circle->mode, ANIM_LOOP);
}
