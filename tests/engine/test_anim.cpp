// SPDX-License-Identifier: GPL-3.0-or-later
// Key sampling: at keys, between keys, before the first and after the last; the flag bits;
// rotation by the shorter arc; material and light keys; hierarchy animation.

#include <cmath>
#include <gtest/gtest.h>

#include "engine/KivEngine.h"

namespace {

struct PosCase {
    float time;
    float x; // expected position x for keys x = 0 at 0, 10 at 100, 40 at 200
};

} // namespace

TEST(AnimKeys, PositionsAreLinearAndHeldBeyondTheEnds) {
    KAnim a;
    a.addKeyPos(200, 40, 0, 0); // added out of order on purpose
    a.addKeyPos(0, 0, 0, 0);
    a.addKeyPos(100, 10, 5, 0);
    EXPECT_EQ(a.length, 200);
    const PosCase table[] = {{-50, 0},  {0, 0},       {25, 2.5f}, {99.5f, 9.95f}, {100, 10},
                             {150, 25}, {199, 39.7f}, {200, 40},  {1000, 40}};
    for (const PosCase& c : table) {
        KPRS t;
        a.putAnimKey(&t, c.time, KANIM_POS);
        EXPECT_NEAR(t.pos.x, c.x, 1e-4) << "time " << c.time;
    }
}

TEST(AnimKeys, AKeyAtAnExistingTimeReplacesIt) {
    KAnim a;
    a.addKeyPos(0, 0, 0, 0);
    a.addKeyPos(100, 1, 1, 1);
    a.addKeyPos(100, 0, 2, 0); // the board rewrites the key at 100 before every move
    ASSERT_EQ(a.posKeys.size(), 2u);
    KPRS t;
    a.putAnimKey(&t, 50, KANIM_POS);
    EXPECT_NEAR(t.pos.y, 1, 1e-5);
    EXPECT_NEAR(t.pos.x, 0, 1e-5);
}

TEST(AnimKeys, FlagBitsChooseWhatIsWritten) {
    KAnim a;
    a.addKeyPos(0, 1, 2, 3);
    a.addKeyRot(0, KAnglesToQuat(0, 90, 0));
    a.addKeySca(0, 3.0f);
    struct {
        int flag;
        bool pos, rot, sca;
    } table[] = {{1, true, false, false}, {2, false, true, false}, {3, true, true, false},
                 {4, false, false, true}, {7, true, true, true},   {0, false, false, false}};
    for (const auto& c : table) {
        KPRS t;
        t.changed = 0;
        a.putAnimKey(&t, 0, c.flag);
        EXPECT_EQ(t.pos.x == 1, c.pos) << "flag " << c.flag;
        EXPECT_EQ(std::fabs(t.rot.y - 90) < 1e-3, c.rot) << "flag " << c.flag;
        EXPECT_EQ(t.scale == 3.0f, c.sca) << "flag " << c.flag;
        EXPECT_EQ(t.changed, c.flag ? 1 : 0) << "flag " << c.flag;
    }
}

TEST(AnimKeys, PartsWithoutKeysAreLeftAlone) {
    KAnim a;
    a.addKeyRot(100, KAnglesToQuat(0, 0, 0));
    KPRS t;
    t.pos = KVector(4, 5, 6);
    t.scale = 0.8f;
    a.putAnimKey(&t, 50, KANIM_ALL);
    EXPECT_EQ(t.pos.x, 4);
    EXPECT_EQ(t.scale, 0.8f);
}

TEST(AnimKeys, RotationsAreSlerpedAlongTheShorterArc) {
    KAnim a;
    a.addKeyRot(0, KAnglesToQuat(0, 170, 0));
    a.addKeyRot(100, KAnglesToQuat(0, -170, 0)); // 20 degrees apart across 180
    KPRS t;
    a.putAnimKey(&t, 50, KANIM_ROT);
    EXPECT_NEAR(std::fabs(t.rot.y), 180, 1e-2);
    a.putAnimKey(&t, 25, KANIM_ROT);
    EXPECT_NEAR(t.rot.y, 175, 1e-2);
    // Pitch halfway: the angle grows evenly.
    KAnim p;
    p.addKeyRot(0, KAnglesToQuat(90, 0, 0));
    p.addKeyRot(100, KAnglesToQuat(-45, 0, 0));
    p.putAnimKey(&t, 50, KANIM_ROT);
    EXPECT_NEAR(t.rot.x, 22.5f, 1e-2);
}

TEST(AnimKeys, ZeroRotationKeyOfAFreshPoolCountsAsNoRotation) {
    KAnim a;
    a.addKeyPos(0, 0, 0, 0);
    a.addKeyRot(0, 0, 0, 0, 0); // how the pools are filled at start-up
    a.addKeyRot(100, KAnglesToQuat(0, 90, 0));
    KPRS t;
    a.putAnimKey(&t, 0, KANIM_ROT);
    EXPECT_FALSE(std::isnan(t.rot.x) || std::isnan(t.rot.y) || std::isnan(t.rot.z));
    EXPECT_NEAR(t.rot.y, 0, 1e-4);
    a.putAnimKey(&t, 50, KANIM_ROT);
    EXPECT_NEAR(t.rot.y, 45, 1e-2);
}

TEST(AnimKeys, IntroFlightWithThousandsOfKeys) {
    KAnim a;
    for (int t = 0; t < 2000; ++t)
        a.addKeyPos(t, static_cast<float>(t), 0, 0);
    a.addKeyRot(1999, KAnglesToQuat(130, 0, 0));
    EXPECT_EQ(a.posKeys.size(), 2000u);
    KPRS p;
    a.putAnimKey(&p, 1234.25f, KANIM_POS);
    EXPECT_NEAR(p.pos.x, 1234.25f, 1e-3);
}

TEST(AnimKeys, MaterialOpacityIsKindFive) {
    KScene scene;
    KMaterial* mat = new KMaterial(&scene);
    KAnimMat fade;
    fade.addKeyType(5, 200, 0);
    fade.addKeyType(5, 500, 0.7f);
    fade.addKeyType(5, 1500, 0.7f);
    fade.addKeyType(5, 1800, 0);
    fade.addKeyType(99, 10, 1); // unknown kinds are ignored
    EXPECT_EQ(fade.length, 1800);
    struct {
        float time, opacity;
    } table[] = {{0.1f, 0}, {200, 0}, {350, 0.35f}, {1000, 0.7f}, {1650, 0.35f}, {2000, 0}};
    for (const auto& c : table) {
        mat->changed = 0;
        fade.putAnimKey(mat, c.time);
        EXPECT_NEAR(mat->opacity, c.opacity, 1e-4) << "time " << c.time;
        EXPECT_EQ(mat->changed, 1);
    }
    EXPECT_FLOAT_EQ(mat->diffuse.r, 0.8f); // kinds without keys untouched
}

TEST(AnimKeys, LightAmbientAndDiffuse) {
    KScene scene;
    auto* light = new KLight(&scene);
    light->ambient = KColor{0.3f, 0.3f, 0.3f, 1};
    KAnimLgh on;
    on.addKeyDiff(0, 0, 0, 0);
    on.addKeyDiff(100, 0.8f, 0.8f, 0.8f);
    on.putAnimKey(light, 25);
    EXPECT_NEAR(light->diffuse.g, 0.2f, 1e-5);
    EXPECT_NEAR(light->ambient.r, 0.3f, 1e-6); // no ambient keys: kept
    on.addKeyAmb(0, 0, 0, 0);
    on.addKeyAmb(100, 1, 1, 1);
    on.putAnimKey(light, 100);
    EXPECT_NEAR(light->ambient.b, 1, 1e-6);
    EXPECT_NEAR(light->diffuse.r, 0.8f, 1e-6);
}

TEST(AnimKeys, SkeletonWritesEveryObjectDepthFirst) {
    KScene scene;
    auto* top = new KShell(&scene);
    auto* a = new KObject(&scene);
    auto* a1 = new KObject(&scene);
    auto* b = new KObject(&scene);
    a->InsertAsChildOf(top);
    a1->InsertAsChildOf(a);
    b->InsertAsChildOf(top);
    KSkeleton sk;
    sk.Bind(top);
    ASSERT_EQ(sk.tracks.size(), 3u);
    EXPECT_EQ(sk.tracks[0].node, a);
    EXPECT_EQ(sk.tracks[1].node, a1); // children before the next sibling
    EXPECT_EQ(sk.tracks[2].node, b);
    sk.TrackOf(a1)->addKeyPos(0, 0, 0, 0);
    sk.TrackOf(a1)->addKeyPos(10, 0, 2, 0);
    sk.TrackOf(b)->addKeyRot(10, KAnglesToQuat(0, 30, 0));
    sk.UpdateLength();
    EXPECT_EQ(sk.length, 10);
    sk.putAnimKey(5);
    EXPECT_NEAR(a1->prs.pos.y, 1, 1e-5);
    EXPECT_NEAR(b->prs.rot.y, 30, 1e-3);
    EXPECT_EQ(a->prs.pos.y, 0);
}
