// SPDX-License-Identifier: GPL-3.0-or-later
// The water pool: a still surface stays still, a drop makes a ring that spreads and dies out,
// and drops near the rim or outside the grid never write outside it.

#include <cmath>
#include <gtest/gtest.h>

#include "anim/water.h"
#include "engine/KivEngine.h"

namespace {

class WaterTest : public ::testing::Test {
protected:
    void SetUp() override {
        scene = CreateScene();
        material = new KMaterial(scene);
        material->name = "water";
        water = new WaterSurface(scene);
        water->build(70, 70, 4.0f, 4.0f);
    }
    float maxAbs(const std::vector<float>& values) const {
        float m = 0;
        for (float v : values)
            m = std::max(m, std::fabs(v));
        return m;
    }
    KScene* scene = nullptr;
    KMaterial* material = nullptr;
    WaterSurface* water = nullptr;
};

TEST_F(WaterTest, BuildMakesTheGridWithTheEggBoxSwell) {
    ASSERT_EQ(water->mesh->verts.size(), 70u * 70u);
    EXPECT_EQ(water->mesh->faces.size(), 2u * 69u * 69u);
    EXPECT_EQ(water->node->mesh, water->mesh);
    EXPECT_EQ(water->mesh->faces[0].mat, material);
    // Corner (0, 0): cos(0) * cos(0) + 1 = 2, times 0.3.
    EXPECT_NEAR(water->mesh->verts[0].pos.y, 0.6f, 1e-6f);
    EXPECT_NEAR(water->mesh->verts[0].pos.x, -2.0f, 1e-6f);
    EXPECT_TRUE(material->Has(KMAT_VERTEXCOLOR | KMAT_SPECULAR));
    EXPECT_FALSE(material->Has(KMAT_UNLIT));
    EXPECT_EQ(maxAbs(water->displacement), 0.0f);
}

TEST_F(WaterTest, StillSurfaceStaysStillAndTakesTheRestColour) {
    for (int i = 0; i < 50; ++i)
        water->step();
    EXPECT_EQ(maxAbs(water->displacement), 0.0f);
    for (const KVertex& v : water->mesh->verts) {
        EXPECT_FLOAT_EQ(v.color.r, 0.6f);
        EXPECT_FLOAT_EQ(v.color.b, 0.8f);
    }
    EXPECT_EQ(water->mesh->changed, 1);
}

TEST_F(WaterTest, DropSetsARingOfVelocities) {
    water->drop(30, 30, 0);
    const int nx = water->nx;
    int inner = 0, outer = 0;
    for (int r = 0; r < water->nz; ++r) {
        for (int c = 0; c < nx; ++c) {
            const float v = water->velocity[r * nx + c];
            if (v == 0.0f) continue;
            // Ring points (grid indices cut toward zero) lie around the drop, within radius 2.
            EXPECT_LE(std::hypot(c - 30.0, r - 30.0), 2.9) << c << "," << r;
            if (v == -0.3f)
                ++inner;
            else if (v == -0.15f)
                ++outer;
            else
                ADD_FAILURE() << "unexpected velocity " << v;
        }
    }
    EXPECT_GE(inner, 4);                                    // radius 1 at strength -0.3
    EXPECT_GE(outer, 8);                                    // radius 2 at half the strength
    EXPECT_FLOAT_EQ(water->velocity[30 * nx + 32], -0.15f); // radius 2 at angle 0
    water->step();
    EXPECT_LT(water->displacement[30 * nx + 32], 0.0f); // the ring dips
}

TEST_F(WaterTest, RingSpreadsThenDiesOut) {
    water->drop(35, 35, 0);
    const int nx = water->nx;
    for (int i = 0; i < 10; ++i)
        water->step();
    EXPECT_NE(water->displacement[35 * nx + 42], 0.0f); // reached 7 columns away
    float early = maxAbs(water->displacement);
    for (int i = 0; i < 2000; ++i)
        water->step();
    EXPECT_LT(maxAbs(water->displacement), early * 0.2f);
}

TEST_F(WaterTest, BorderNeverMovesAndRimDropsStayInside) {
    water->drop(70, 70, 0); // centre outside the grid: only the inside points take effect
    water->drop(69, 0, 0);
    water->drop(-5, -5, 0);
    water->drop(500, 500, 1); // a single drop off the grid is ignored
    for (int i = 0; i < 30; ++i)
        water->step();
    const int nx = water->nx, nz = water->nz;
    for (int c = 0; c < nx; ++c) {
        EXPECT_EQ(water->displacement[c], 0.0f);
        EXPECT_EQ(water->displacement[(nz - 1) * nx + c], 0.0f);
    }
    EXPECT_GT(maxAbs(water->displacement), 0.0f);
}

TEST_F(WaterTest, NoRingsBelowRadiusTwo) {
    water->ringRadius = 1;
    water->drop(30, 30, 0);
    EXPECT_EQ(maxAbs(water->velocity), 0.0f);
}

TEST_F(WaterTest, StartDropsMoveTheSurface) {
    water->startDrops();
    water->step();
    EXPECT_GT(maxAbs(water->displacement), 0.1f);
}

} // namespace
