// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small world for the animation tests: a scene built in code, the AnimManager and a board
// whose camera is a real camera node, all behind the process-wide pointers, with the engine's
// test clock so that time moves only when a test says so.

#include <gtest/gtest.h>

#include "anim/anim_manager.h"
#include "app/wiring.h"
#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"

class AnimWorld : public ::testing::Test {
protected:
    KScene* scene = nullptr;
    KCamera* cam = nullptr;

    void SetUp() override {
        KSetTestClock(true);
        scene = new KScene();
        g_scene = scene;
        g_anim = new AnimManager();
        g_game = new GameModel();
        installGameHooks();
        g_board = new BoardScene();
        cam = new KCamera(scene);
        cam->InsertAsChildOf(scene->root);
        g_board->camera = cam;
    }

    void TearDown() override {
        delete g_board;
        g_board = nullptr;
        delete g_game;
        g_game = nullptr;
        delete g_anim;
        g_anim = nullptr;
        g_scene = nullptr;
        delete scene;
        KSetTestClock(false);
    }

    // A node under the scene root at (x, y, z).
    KShell* node(float x = 0, float y = 0, float z = 0) {
        KShell* n = new KShell(scene);
        n->InsertAsChildOf(scene->root);
        n->prs.SetPosition(x, y, z);
        return n;
    }

    // The update that picks up entries started since the last one (no time passes).
    static void startFrame() { UpdateAnimations(); }

    // Frames of `step` seconds covering `seconds`.
    static void run(double seconds, double step = 0.01) {
        const int frames = static_cast<int>(seconds / step + 0.5);
        for (int i = 0; i < frames; ++i) {
            KAdvanceTestClock(step);
            UpdateAnimations();
        }
    }

    // Runs frames until the node's entry has stopped; the seconds that took, or -1 after `limit`.
    static double runUntilStopped(const KNodeGraph* n, double limit = 10, double step = 0.01) {
        double t = 0;
        while (t < limit) {
            const NodeAnimEntry* e = FindNodeEntry(n);
            if (!e || e->state == ANIM_STOPPED) return t;
            KAdvanceTestClock(step);
            UpdateAnimations();
            t += step;
        }
        return -1;
    }

    // Where the node looks (its local -z in world space) and where it stands.
    static KVector forward(KNodeGraph* n) {
        return n->GetWorldMatrix().TransformDir(KVector(0, 0, -1)).Normalized();
    }
    static KVector position(KNodeGraph* n) { return n->GetWorldMatrix().GetTrans(); }
};

// Angle in degrees between two directions.
float angleBetween(const KVector& a, const KVector& b);

#define EXPECT_VEC_NEAR(v, ex, ey, ez, tol)                                                        \
    do {                                                                                           \
        const KVector vv = (v);                                                                    \
        EXPECT_NEAR(vv.x, (ex), (tol));                                                            \
        EXPECT_NEAR(vv.y, (ey), (tol));                                                            \
        EXPECT_NEAR(vv.z, (ez), (tol));                                                            \
    } while (0)
