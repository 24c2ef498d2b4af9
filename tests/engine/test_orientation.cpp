// SPDX-License-Identifier: GPL-3.0-or-later
// Orientation conventions: where the preset camera views look, the angle-to-quaternion
// conversion against the node's own angles, GetAnglesYXZ, and the camera's projection
// agreeing with picking rays and the wall step's pointer ray.

#include <cmath>
#include <gtest/gtest.h>

#include "engine/KivEngine.h"

namespace {

constexpr float K = 0.017453292f;

KVector forwardOf(float x, float y, float z) {
    KPRS t;
    t.rot = KVector(x, y, z);
    t.CreateMatrix();
    return t.matrix.TransformDir(KVector(0, 0, -1));
}

float angleBetweenDeg(const KVector& a, const KVector& b) {
    float c = a.Normalized().Dot(b.Normalized());
    return std::acos(std::fmax(-1.0f, std::fmin(1.0f, c))) * 57.29578f;
}

void expectSameRotation(const KMatrix& a, const KMatrix& b, float tol = 1e-4f) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(a.m[i * 4 + j], b.m[i * 4 + j], tol) << "element " << i * 4 + j;
}

// The conversion exactly as the animations write it: Z, then X, then Y by minus the angle,
// each new rotation multiplied in front, then GetQuat.
KQuat recipe(float x, float y, float z) {
    KMatrix m, r;
    m.RotateZMatrix(z * K);
    r.RotateXMatrix(x * K);
    m = r * m;
    r.RotateYMatrix(-y * K);
    m = r * m;
    return m.GetQuat();
}

struct View {
    const char* what;
    KVector pos, angles;
};

} // namespace

TEST(Orientation, ElementaryTurnsFollowTheRightHandedConvention) {
    // Yaw +90 turns a view along -z towards -x; pitch +30 looks up.
    KVector f = forwardOf(0, 90, 0);
    EXPECT_NEAR(f.x, -1, 1e-5);
    EXPECT_NEAR(f.z, 0, 1e-5);
    f = forwardOf(30, 0, 0);
    EXPECT_GT(f.y, 0.49f);
    EXPECT_LT(f.z, 0);
    // Roll turns the camera's up vector, not where it looks.
    KPRS t;
    t.rot = KVector(0, 0, 90);
    t.CreateMatrix();
    KVector up = t.matrix.TransformDir(KVector(0, 1, 0));
    EXPECT_NEAR(up.x, -1, 1e-5);
}

TEST(Orientation, GameViewsLookAtTheBoardCentreFromTheirSide) {
    const KVector centre(3.5f, 0, 3.5f);
    const View views[] = {
        {"view 0, White's side", {3.5f, 5, 9.5f}, {-45, 0, 0}},
        {"view 1, Black's side", {3.5f, 5, -2.5f}, {-45, 179.9f, 0}},
        {"view 2, h-file side", {9.5f, 5, 3.5f}, {-45, 90, 0}},
        {"view 3, a-file side", {-2.5f, 5, 3.5f}, {-45, -90, 0}},
    };
    for (const View& v : views) {
        KVector f = forwardOf(v.angles.x, v.angles.y, v.angles.z);
        EXPECT_LT(angleBetweenDeg(f, centre - v.pos), 8.0f) << v.what;
        // Where the view axis meets the board plane: on the board, near its middle.
        float t = -v.pos.y / f.y;
        KVector hit = v.pos + f * t;
        EXPECT_LT((hit - centre).Length(), 1.5f) << v.what;
    }
}

TEST(Orientation, MenuViewLooksUpAtTheCubeWall) {
    KVector pos(3.5f, 6, -4), f = forwardOf(120, 0, 0);
    ASSERT_GT(f.y, 0) << "the menu view must look up";
    float t = (16.0f - pos.y) / f.y; // the wall plane is y = 16
    KVector hit = pos + f * t;
    EXPECT_GT(hit.x, -4);
    EXPECT_LT(hit.x, 11);
    EXPECT_GT(hit.z, -3);
    EXPECT_LT(hit.z, 4);
}

TEST(Orientation, PauseTourLooksAtTheBoardAllTheWayRound) {
    for (int i : {0, 60, 128, 200, 383, 500, 640, 765}) {
        float c = std::cos(i * 3.1415927f * 0.0026143792f);
        float r = (c + 1) * 2.5f + 1, a = i * 3.1415927f * 0.007843138f;
        KVector pos(std::cos(a) * r + 3.5f, (c + 1) * 1.5f + 2, std::sin(a) * r + 3.5f);
        KVector f = forwardOf((1 - c) * 10 - 45, 90 - i * 1.4117647f, 0);
        KVector toCentre = KVector(3.5f, 0, 3.5f) - pos;
        EXPECT_LT(angleBetweenDeg(KVector(f.x, 0, f.z), KVector(toCentre.x, 0, toCentre.z)), 3.0f)
            << "key " << i;
        ASSERT_LT(f.y, 0) << "key " << i;
        KVector hit = pos + f * (-pos.y / f.y);
        EXPECT_TRUE(hit.x > -0.5f && hit.x < 7.5f && hit.z > -0.5f && hit.z < 7.5f)
            << "key " << i << " meets the ground at " << hit.x << ", " << hit.z;
    }
}

TEST(Orientation, AnimationRecipeGivesTheNodesOwnOrientation) {
    const KVector table[] = {{0, 0, 0},     {-45, 0, 0},   {-45, 179.9f, 0}, {-45, 90, 0},
                             {-45, -90, 0}, {120, 0, 0},   {0, 180, 0},      {90, 0, 0},
                             {-90, 0, 0},   {0, 0, 90},    {10, 20, 30},     {-25, 250, -70},
                             {130, 0, 0},   {45, -135, 15}};
    for (const KVector& a : table) {
        KPRS node;
        node.rot = a;
        node.CreateMatrix();
        SCOPED_TRACE(testing::Message() << a.x << ", " << a.y << ", " << a.z);
        expectSameRotation(recipe(a.x, a.y, a.z).GetMatrix(), node.matrix);
        expectSameRotation(KAnglesToQuat(a.x, a.y, a.z).GetMatrix(), node.matrix);
    }
}

TEST(Orientation, AnimationStartingFromTheNodesPoseDoesNotJump) {
    KScene scene;
    auto* node = new KShell(&scene);
    node->prs.SetPosition(3.5f, 5, 9.5f);
    node->prs.SetAngles(-45, 179.9f, 0);
    node->prs.CreateMatrix();
    KMatrix before = node->prs.matrix;

    KAnim anim;
    anim.addKeyPos(0, node->prs.pos.x, node->prs.pos.y, node->prs.pos.z);
    anim.addKeyRot(0, recipe(node->prs.rot.x, node->prs.rot.y, node->prs.rot.z));
    anim.addKeyPos(100, 0, 10, 0);
    anim.addKeyRot(100, recipe(-45, 0, 0));
    anim.putAnimKey(node, 0.0f, KANIM_POS | KANIM_ROT);
    node->prs.CreateMatrix();
    expectSameRotation(node->prs.matrix, before);
    EXPECT_NEAR(node->prs.matrix.m[14], before.m[14], 1e-5);
}

TEST(Orientation, GetAnglesYXZRoundTrips) {
    const KVector exact[] = {{0, 0, 0},    {-45, 0, 0},      {-45, 179.9f, 0}, {-45, -90, 0},
                             {10, 20, 30}, {-80, 170, -170}, {89, -30, 5},     {-10, 0, 179}};
    for (const KVector& a : exact) {
        KVector b = KAnglesToQuat(a.x, a.y, a.z).GetAnglesYXZ();
        EXPECT_NEAR(b.x, a.x, 1e-2) << a.x << " " << a.y << " " << a.z;
        EXPECT_NEAR(b.y, a.y, 1e-2) << a.x << " " << a.y << " " << a.z;
        EXPECT_NEAR(b.z, a.z, 1e-2) << a.x << " " << a.y << " " << a.z;
    }
    // Pitches beyond 90 (the menu view) and straight up come back as other angles for the
    // same orientation.
    for (const KVector& a :
         {KVector(120, 0, 0), KVector(90, 30, 0), KVector(-90, 0, 40), KVector(200, 10, -20)}) {
        KVector b = KAnglesToQuat(a.x, a.y, a.z).GetAnglesYXZ();
        KPRS pa, pb;
        pa.rot = a;
        pb.rot = b;
        pa.CreateMatrix();
        pb.CreateMatrix();
        expectSameRotation(pa.matrix, pb.matrix, 1e-3f);
    }
}

TEST(Orientation, TransformRefreshBuildsRotationScaleThenTranslation) {
    KPRS t;
    t.SetPosition(1, 2, 3);
    t.SetAngles(0, 90, 0);
    t.SetScale(2);
    EXPECT_EQ(t.changed, 1);
    t.Refresh();
    EXPECT_EQ(t.changed, 0);
    // Local (1, 0, 0): scaled to 2, yawed +90 to (0, 0, -2), moved by (1, 2, 3).
    KVector p = t.matrix.TransformPoint(KVector(1, 0, 0));
    EXPECT_NEAR(p.x, 1, 1e-5);
    EXPECT_NEAR(p.y, 2, 1e-5);
    EXPECT_NEAR(p.z, 1, 1e-5);
    KMatrix inv = t.matrix.Inverse();
    KVector back = inv.TransformPoint(p);
    EXPECT_NEAR(back.x, 1, 1e-5);
    EXPECT_NEAR(back.z, 0, 1e-5);
}

TEST(Orientation, MovObjMovesAlongTheNodesOwnAxesAndRotateObjExtAddsDegrees) {
    KScene scene;
    auto* cam = new KCamera(&scene);
    cam->prs.SetAngles(0, 90, 0); // looking along -x
    MovObj(cam, 0, 0, -2);        // two units forward
    EXPECT_NEAR(cam->prs.pos.x, -2, 1e-5);
    EXPECT_NEAR(cam->prs.pos.z, 0, 1e-5);
    EXPECT_EQ(cam->prs.changed, 1);
    RotateObjExt(cam, 1.5f, -90, 0);
    EXPECT_NEAR(cam->prs.rot.x, 1.5f, 1e-5);
    EXPECT_NEAR(cam->prs.rot.y, 0, 1e-5);
}

TEST(Orientation, ProjectionPickingRayAndWallStepRayAgree) {
    KScene scene;
    scene.screenWidth = 800;
    scene.screenHeight = 600;
    auto* cam = new KCamera(&scene);
    cam->InsertAsChildOf(scene.root);
    cam->prs.SetPosition(3.5f, 6, -4);
    cam->prs.SetAngles(120, 0, 0);
    scene.camera = cam;
    KUpdateWorld(scene.root);

    // A world point projected to a window pixel; the picking ray through that pixel passes
    // through the point.
    KVector p(5.0f, 16.0f, 2.0f);
    KMatrix clip = cam->GetProjMatrix(800.0f / 600.0f) * cam->GetViewMatrix();
    float cx = clip.m[0] * p.x + clip.m[4] * p.y + clip.m[8] * p.z + clip.m[12];
    float cy = clip.m[1] * p.x + clip.m[5] * p.y + clip.m[9] * p.z + clip.m[13];
    float cw = clip.m[3] * p.x + clip.m[7] * p.y + clip.m[11] * p.z + clip.m[15];
    float px = (cx / cw + 1) * 0.5f * 800, py = (1 - cy / cw) * 0.5f * 600;
    KVector o, d;
    ASSERT_TRUE(scene.PixelRay(px, py, o, d));
    KVector toP = p - o;
    EXPECT_LT(angleBetweenDeg(d, toP), 0.01f);

    // The menu's pointer ray: direction ((2(mx - W/2)(W/H)h)/W, (2(H/2 - my)h)/H, -n) with
    // h = tan(angle) * n, turned by the camera's world matrix.
    float mx = 123, my = 456, n = cam->nearDist, h = std::tan(cam->angle * 0.017452778f) * n;
    KVector local((2 * (mx - 400) * (800.0f / 600.0f) * h) / 800, (2 * (300 - my) * h) / 600, -n);
    KVector wallDir = cam->world.TransformDir(local);
    ASSERT_TRUE(scene.PixelRay(mx, my, o, d));
    EXPECT_LT(angleBetweenDeg(d, wallDir), 0.05f);
}
