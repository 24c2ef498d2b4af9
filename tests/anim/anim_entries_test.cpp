// SPDX-License-Identifier: GPL-3.0-or-later
// The entry rules of the animation manager with the test clock: one-shot, loop and ease-out
// ends, the start from the node's pose, callbacks that start, append or stop entries, material,
// light and hierarchy entries.

#include <cmath>

#include "anim_world.h"
#include "board/board_presets.h"

namespace {

constexpr int FREE_PRESET = 30; // a node pool slot no preset uses

int g_ends = 0;
void countEnd() {
    ++g_ends;
}

// Pool animation FREE_PRESET: one key at 100 at (1, 2, 3), speed 100 (one second).
KAnim* oneSecondTo123() {
    KAnim* a = g_anim->node_anims[FREE_PRESET];
    a->addKeyPos(100, 1, 2, 3);
    a->addKeyRot(100, KAnglesToQuat(0, 90, 0));
    a->speed = 100;
    return a;
}

class AnimEntries : public AnimWorld {
protected:
    void SetUp() override {
        AnimWorld::SetUp();
        g_ends = 0;
    }
};

} // namespace

TEST_F(AnimEntries, StartingANodeWithoutEntryDoesNothing) {
    KShell* n = node(5, 0, 0);
    StartNodeAnim(n, ANIM_ONCE, KANIM_POS, countEnd);
    EXPECT_EQ(g_anim->node_entries.count, 0);
    startFrame();
    run(2);
    EXPECT_VEC_NEAR(n->prs.pos, 5, 0, 0, 0);
    EXPECT_EQ(g_ends, 0);
}

TEST_F(AnimEntries, SetNodeAnimAppendsOneEntryPerNodeAndReusesIt) {
    KShell* a = node();
    KShell* b = node();
    SetNodeAnim(a, FREE_PRESET);
    SetNodeAnim(b, FREE_PRESET);
    SetNodeAnim(a, ANIM_VIEW_WHITE); // the same entry pointed elsewhere
    ASSERT_EQ(g_anim->node_entries.count, 2);
    const NodeAnimEntry* e = FindNodeEntry(a);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->anim, g_anim->node_anims[ANIM_VIEW_WHITE]);
    EXPECT_EQ(e->preset, ANIM_VIEW_WHITE);
    EXPECT_EQ(e->state, ANIM_STOPPED);
    // Presets outside the pool are refused rather than read past its end.
    SetNodeAnim(node(), NODE_ANIM_COUNT);
    SetNodeAnim(node(), -1);
    EXPECT_EQ(g_anim->node_entries.count, 2);
    EXPECT_EQ(FindNodeEntry(nullptr), nullptr);
}

TEST_F(AnimEntries, OneShotStartsFromThePoseEndsOnTheLastKeyAndCallsBackOnce) {
    oneSecondTo123();
    KShell* n = node(5, 0, 1);
    n->prs.SetAngles(0, -30, 0);
    SetNodeAnim(n, FREE_PRESET);
    StartNodeAnim(n, ANIM_ONCE, KANIM_POS | KANIM_ROT, countEnd);
    startFrame();
    // Half way: between where the node stood and the key, turned half way (from -30 to 90).
    run(0.5);
    EXPECT_VEC_NEAR(n->prs.pos, 3, 1, 2, 1e-3);
    EXPECT_NEAR(n->prs.rot.y, 30, 0.5);
    EXPECT_EQ(FindNodeEntry(n)->on_end, countEnd); // armed while it plays
    run(0.49);
    EXPECT_EQ(g_ends, 0);
    run(0.02);
    EXPECT_EQ(g_ends, 1);
    EXPECT_VEC_NEAR(n->prs.pos, 1, 2, 3, 0);
    EXPECT_NEAR(n->prs.rot.y, 90, 0.01);
    const NodeAnimEntry* e = FindNodeEntry(n);
    EXPECT_EQ(e->state, ANIM_STOPPED);
    EXPECT_EQ(e->on_end, nullptr); // disarmed: nothing is flying any more

    // Once ended, nothing is written and nothing is called again.
    n->prs.SetPosition(9, 9, 9);
    run(2);
    EXPECT_EQ(g_ends, 1);
    EXPECT_VEC_NEAR(n->prs.pos, 9, 9, 9, 0);

    // A restart starts from the new pose.
    StartNodeAnim(n, ANIM_ONCE, KANIM_POS, countEnd);
    startFrame();
    run(0.5);
    EXPECT_VEC_NEAR(n->prs.pos, 5, 5.5f, 6, 1e-3);
    run(0.6);
    EXPECT_EQ(g_ends, 2);
}

TEST_F(AnimEntries, LoopWrapsAndNeverEnds) {
    oneSecondTo123();
    KShell* n = node(5, 0, 1);
    SetNodeAnim(n, FREE_PRESET);
    StartNodeAnim(n, ANIM_LOOP, KANIM_POS, countEnd);
    startFrame();
    run(0.9);
    EXPECT_LT(n->prs.pos.x, 1.5f); // near the end of the first round
    run(0.4);                      // into the second round
    EXPECT_GT(n->prs.pos.x, 3.5f);
    run(5);
    EXPECT_EQ(g_ends, 0);
    EXPECT_EQ(FindNodeEntry(n)->state, ANIM_RUNNING);
}

TEST_F(AnimEntries, EaseOutRunsTheFirstFifthAtFullSpeedThenSlowsAndEndsOnTheLastKey) {
    oneSecondTo123();
    KShell* n = node(5, 0, 1);
    SetNodeAnim(n, FREE_PRESET);
    StartNodeAnim(n, ANIM_EASE_OUT, KANIM_POS, countEnd);
    startFrame();
    run(0.2);
    EXPECT_NEAR(FindNodeEntry(n)->time, 20, 0.5);
    run(0.8); // a linear move would be over by now
    EXPECT_EQ(g_ends, 0);
    EXPECT_LT(FindNodeEntry(n)->time, 80);
    // The speed falls to about 0.009 of full towards the end: the whole move takes about 3 s.
    const double rest = runUntilStopped(n);
    EXPECT_GT(rest, 1.5);
    EXPECT_LT(rest, 2.5);
    EXPECT_EQ(g_ends, 1);
    EXPECT_VEC_NEAR(n->prs.pos, 1, 2, 3, 0);
}

TEST_F(AnimEntries, TheTourPresetGoesRoundAgainInsteadOfEnding) {
    SetupCameraViews();
    SetNodeAnim(cam, ANIM_VIEW_TOUR);
    StartNodeAnim(cam, ANIM_ONCE, KANIM_POS | KANIM_ROT, countEnd);
    startFrame();
    const float length = static_cast<float>(g_anim->node_anims[ANIM_VIEW_TOUR]->length);
    run(length / 800.0f + 5, 0.05);
    const NodeAnimEntry* e = FindNodeEntry(cam);
    EXPECT_EQ(e->state, ANIM_RUNNING);
    EXPECT_EQ(g_ends, 0);
    EXPECT_GE(e->time, 800); // back on the tour, not on the flight in from the start pose
    EXPECT_LT(e->time, length);
    // Circling the board: 1 to 6 units from its vertical axis, 2 to 5 units up.
    const KVector p = position(cam);
    const float r = std::hypot(p.x - 3.5f, p.z - 3.5f);
    EXPECT_GT(r, 0.99f);
    EXPECT_LT(r, 6.01f);
    EXPECT_GT(p.y, 1.99f);
    EXPECT_LT(p.y, 5.01f);
}

namespace {

KShell* g_appended[40];

// Animates forty new nodes from inside the update: the entry list grows several times.
void appendMany() {
    ++g_ends;
    for (KShell*& n : g_appended) {
        n = new KShell(g_scene);
        n->InsertAsChildOf(g_scene->root);
        SetNodeAnim(n, FREE_PRESET);
        StartNodeAnim(n, ANIM_ONCE, KANIM_POS, countEnd);
    }
}

void stopEverything() {
    ++g_ends;
    StopAll();
}

} // namespace

TEST_F(AnimEntries, ACallbackMayAppendEntriesWhileTheListIsWalked) {
    oneSecondTo123();
    KShell* first = node();
    KShell* second = node(5, 0, 0);
    SetNodeAnim(first, FREE_PRESET);
    SetNodeAnim(second, FREE_PRESET);
    StartNodeAnim(first, ANIM_ONCE, KANIM_POS, appendMany);
    StartNodeAnim(second, ANIM_ONCE, KANIM_POS, countEnd);
    startFrame();
    run(1.05);
    EXPECT_EQ(g_ends, 2); // both ended, in the same frame
    EXPECT_EQ(g_anim->node_entries.count, 42);
    startFrame();
    run(1.05);
    EXPECT_EQ(g_ends, 42);
    for (KShell* n : g_appended)
        EXPECT_VEC_NEAR(n->prs.pos, 1, 2, 3, 0);
}

TEST_F(AnimEntries, StopAllFromACallbackStopsTheRestOfThePass) {
    oneSecondTo123();
    KShell* first = node();
    KShell* second = node();
    SetNodeAnim(first, FREE_PRESET);
    SetNodeAnim(second, FREE_PRESET);
    StartNodeAnim(first, ANIM_ONCE, KANIM_POS, stopEverything);
    StartNodeAnim(second, ANIM_ONCE, KANIM_POS, countEnd);
    KMaterial* mat = new KMaterial(scene);
    g_anim->material_anims[40]->addKeyType(KMATKEY_OPACITY, 100, 1);
    SetMaterialAnim(mat, 40);
    StartMaterialAnim(mat, ANIM_LOOP, nullptr);
    startFrame();
    run(1.05);
    EXPECT_EQ(g_ends, 1); // the second entry, due in the same frame, never ends
    EXPECT_EQ(FindNodeEntry(second)->state, ANIM_STOPPED);
    EXPECT_EQ(FindNodeEntry(second)->on_end, nullptr);
    EXPECT_EQ(FindMaterialEntry(mat)->state, ANIM_STOPPED);
    run(2);
    EXPECT_EQ(g_ends, 1);
}

TEST_F(AnimEntries, MaterialEntriesFadeOnceOrLoop) {
    KMaterial* mat = new KMaterial(scene);
    KAnimMat* fade = g_anim->material_anims[50];
    fade->addKeyType(KMATKEY_OPACITY, 0, 0);
    fade->addKeyType(KMATKEY_OPACITY, 500, 1);
    fade->speed = 1000;
    StartMaterialAnim(mat, ANIM_ONCE, countEnd); // no entry yet: nothing
    EXPECT_EQ(g_anim->material_entries.count, 0);
    SetMaterialAnim(mat, 50);
    StartMaterialAnim(mat, ANIM_ONCE, countEnd);
    startFrame();
    EXPECT_NEAR(mat->opacity, 0.0002f, 1e-4); // the key at 0.1 on the first frame
    run(0.25);
    EXPECT_NEAR(mat->opacity, 0.5f, 0.01f);
    run(0.3);
    EXPECT_EQ(g_ends, 1);
    EXPECT_FLOAT_EQ(mat->opacity, 1.0f);
    run(1);
    EXPECT_EQ(g_ends, 1);

    StartMaterialAnim(mat, ANIM_LOOP, countEnd);
    startFrame();
    run(0.7);
    EXPECT_NEAR(mat->opacity, 0.4f, 0.03f); // second round
    EXPECT_EQ(g_ends, 1);
}

TEST_F(AnimEntries, LightFadesGoFromTheirFirstToTheirLastColour) {
    SetupLights(); // no board pivot and no model here: only the presets
    KLight* light = new KLight(scene);
    struct Case {
        int preset;
        float diffuseHalf, diffuseEnd, ambientEnd;
    };
    const Case cases[] = {
        {LIGHTANIM_ON, 0.5f, 1.0f, -1}, {LIGHTANIM_OFF, 0.5f, 0.0f, -1},
        {2, 0.4f, 0.8f, 1.0f},          {3, 0.4f, 0.0f, 0.0f},
        {4, 0.25f, 0.5f, -1},           {5, 0.25f, 0.0f, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.preset);
        light->ambient = KColor{0.3f, 0.3f, 0.3f, 1};
        SetLightAnim(light, c.preset);
        StartLightAnim(light, ANIM_ONCE, countEnd);
        startFrame();
        const float speed = g_anim->light_anims[c.preset]->speed;
        run(50.0 / speed, 0.001);
        EXPECT_NEAR(light->diffuse.g, c.diffuseHalf, 0.01f);
        run(1);
        EXPECT_FLOAT_EQ(light->diffuse.r, c.diffuseEnd);
        EXPECT_FLOAT_EQ(light->diffuse.b, c.diffuseEnd);
        EXPECT_FLOAT_EQ(light->ambient.g, c.ambientEnd < 0 ? 0.3f : c.ambientEnd);
    }
    EXPECT_EQ(g_ends, 6);
    EXPECT_EQ(g_anim->light_entries.count, 1);
}

TEST_F(AnimEntries, HierarchyEntriesMoveEveryObjectOfTheHierarchy) {
    KObject* top = new KObject(scene);
    KObject* child = new KObject(scene);
    top->InsertAsChildOf(scene->root);
    child->InsertAsChildOf(top);
    KSkeleton* sk = g_anim->skeleton_anims[0];
    sk->Bind(top);
    ASSERT_EQ(sk->tracks.size(), 2u);
    sk->TrackOf(top)->addKeyPos(0, 0, 0, 0);
    sk->TrackOf(top)->addKeyPos(100, 2, 0, 0);
    sk->TrackOf(child)->addKeyPos(0, 0, 1, 0);
    sk->TrackOf(child)->addKeyPos(100, 0, 3, 0);
    sk->UpdateLength();
    sk->speed = 100;
    SetSkeletonAnim(sk);
    StartSkeletonAnim(sk, ANIM_ONCE);
    startFrame();
    run(0.5);
    EXPECT_NEAR(top->prs.pos.x, 1, 1e-3);
    EXPECT_NEAR(child->prs.pos.y, 2, 1e-3);
    run(0.6);
    EXPECT_FLOAT_EQ(top->prs.pos.x, 2);
    EXPECT_FLOAT_EQ(child->prs.pos.y, 3);
    EXPECT_EQ(g_anim->skeleton_entries[0].state, ANIM_STOPPED);
}

// Time is the clock's at any frame rate: an eased move, a loop and a chain of moves started
// from each other's ends pass the same places at the same moments in frames of 0.2 s (5 a
// second) as in frames of 0.005 s (200 a second).
TEST_F(AnimEntries, EveryModeKeepsToTheClockAtFiveAndTwoHundredFramesASecond) {
    oneSecondTo123();
    struct Seen {
        KVector eased[4], looped[4], chained[4];
    };
    static KShell* second = nullptr;
    auto play = [this](double step) {
        KShell* eased = node(5, 0, 1);
        KShell* looped = node(5, 0, 1);
        KShell* first = node(5, 0, 1);
        second = node(5, 0, 1);
        for (KShell* n : {eased, looped, first, second})
            SetNodeAnim(n, FREE_PRESET);
        StartNodeAnim(eased, ANIM_EASE_OUT, KANIM_POS, nullptr);
        StartNodeAnim(looped, ANIM_LOOP, KANIM_POS, nullptr);
        StartNodeAnim(first, ANIM_ONCE, KANIM_POS, [] {
            second->prs.SetPosition(5, 0, 1);
            StartNodeAnim(second, ANIM_ONCE, KANIM_POS, nullptr);
        });
        startFrame();
        Seen seen;
        const double moments[4] = {0.6, 1.4, 1.8, 2.2}; // seconds, on both frame grids
        double now = 0;
        for (int k = 0; k < 4; ++k) {
            run(moments[k] - now, step);
            now = moments[k];
            seen.eased[k] = eased->prs.pos;
            seen.looped[k] = looped->prs.pos;
            seen.chained[k] = second->prs.pos;
        }
        return seen;
    };
    const Seen slow = play(0.2), fast = play(0.005);
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        EXPECT_VEC_NEAR(slow.eased[k], fast.eased[k].x, fast.eased[k].y, fast.eased[k].z, 2e-3);
        EXPECT_VEC_NEAR(slow.looped[k], fast.looped[k].x, fast.looped[k].y, fast.looped[k].z, 2e-3);
        EXPECT_VEC_NEAR(slow.chained[k], fast.chained[k].x, fast.chained[k].y, fast.chained[k].z,
                        2e-3);
    }
    // The second move started when the first arrived, 1 s in: at 1.4 s it is 0.4 s along.
    EXPECT_VEC_NEAR(fast.chained[1], 5 - 4 * 0.4f, 2 * 0.4f, 1 + 2 * 0.4f, 2e-3);
}
