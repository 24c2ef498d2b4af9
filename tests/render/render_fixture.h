// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One window and GL context for the whole test program (opening one is slow under software
// rendering), a fresh scene per test, and helpers to build meshes and read pixels.

#include "engine/KivEngine.h"

#include <epoxy/gl.h>
#include <gtest/gtest.h>

struct Rgb {
    int r, g, b;
};

class RenderTest : public ::testing::Test {
protected:
    static constexpr int W = 320, H = 240;
    static KScreen* screen;

    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Camera at `pos` with angles `rot` (degrees), under the root.
    KCamera* addCamera(const KVector& pos, const KVector& rot);
    KMaterial* addMaterial(const KColor& diffuse, bool unlit);
    // Quad with corners a, b, c, d counter-clockwise as seen from its front, texture
    // coordinates (0,0) (1,0) (1,1) (0,1) at those corners, under the root.
    KObject* addQuad(KMaterial* mat, const KVector& a, const KVector& b, const KVector& c,
                     const KVector& d);
    // A box of side 2 half around the origin, its faces seen from inside (the material should
    // show both sides), each with texture coordinates (0,0) to (1,1), under the root: a sky.
    KObject* addSkyBox(KMaterial* mat, float half);
    void render();
    // Pixel at window position (x, y) from the top left of the last render.
    Rgb pixel(int x, int y);
    // Window position of a world point as the camera sees it.
    void project(const KVector& p, int& x, int& y);

    KScene* scene = nullptr;
    KCamera* camera = nullptr;
    KVector clear{0.4f, 0.3f, 0.4f};
};

// Colours agree within a few steps (blending and multisampling round).
#define EXPECT_RGB_NEAR(actual, er, eg, eb)                                                        \
    do {                                                                                           \
        const Rgb _a = (actual);                                                                   \
        EXPECT_NEAR(_a.r, er, 6);                                                                  \
        EXPECT_NEAR(_a.g, eg, 6);                                                                  \
        EXPECT_NEAR(_a.b, eb, 6);                                                                  \
    } while (0)
