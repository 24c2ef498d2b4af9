// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The whole game built once per test process (CTest runs each case in its own process) and
// driven frame by frame with the test clock. The window is shrunk to the smallest size of the
// ladder: every frame is drawn by a software renderer here, and fewer pixels keep the tests
// quick without changing anything they look at.

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/app_state.h"
#include "app/game_main.h"
#include "app/input.h"
#include "engine/KivEngine.h"

class GameFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("SDL_VIDEODRIVER", "offscreen", 0); // as CTest sets it: no display needed
        KivInitDLL();
        KSetTestClock(true);
        built() = buildGame();
        if (built()) {
            shrinkWindow();
            shrinkWindow();
        }
    }
    void SetUp() override { ASSERT_TRUE(built()) << "the game could not be built"; }

    // False: frames are stepped without being drawn (for tests that look at no picture).
    static bool& drawFrames() {
        static bool value = true;
        return value;
    }
    static bool& built() {
        static bool value = false;
        return value;
    }

    // Runs frames of `dt` seconds until `done` holds; false when it never did in `maxFrames`
    // or the loop ended.
    template <class Done> static bool runFramesUntil(Done done, int maxFrames, double dt = 0.1) {
        for (int i = 0; i < maxFrames; ++i) {
            if (done()) return true;
            KAdvanceTestClock(dt);
            if (!(drawFrames() ? runFrame() : stepFrame())) return false;
        }
        return done();
    }
};
