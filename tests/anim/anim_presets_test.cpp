// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up presets that other subsystems play: the piece glide, the light pivot's circle
// and the menu cubes' wave; and a frame that allocates nothing.

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>

#include "anim_world.h"
#include "board/board_presets.h"
#include "game/game_model.h"

namespace {

std::atomic<long> g_allocations{0};
std::atomic<bool> g_counting{false};

int g_ends = 0;
void countEnd() {
    ++g_ends;
}

class AnimPresets : public AnimWorld {
protected:
    void SetUp() override {
        AnimWorld::SetUp();
        g_ends = 0;
    }
};

// Rotation of pool animation `preset` at key time t, as angles.
KVector rotationAt(int preset, float t) {
    KQuat q;
    g_anim->node_anims[preset]->SampleRot(t, q);
    return q.GetAnglesYXZ();
}

} // namespace

// Every allocation of the process is counted while a test asks for it.
void* operator new(std::size_t n) {
    if (g_counting) ++g_allocations;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

TEST_F(AnimPresets, EveryPieceGlidesInOnePointZeroOneSecondsToItsKey) {
    for (PieceRecord* p : g_game->pieces)
        p->node = node(0, 0.4f, 0);
    SetupPieceAnims();
    for (PieceRecord* p : g_game->pieces) {
        const NodeAnimEntry* e = FindNodeEntry(p->node);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->preset, ANIM_PIECE_MOVE);
        EXPECT_EQ(e->state, ANIM_STOPPED);
    }
    // The board writes the target into the key at 100 and starts the glide.
    KNodeGraph* knight = g_game->pieces[24]->node;
    knight->prs.SetAngles(0, 35, 0);
    g_anim->node_anims[ANIM_PIECE_MOVE]->addKeyPos(100, 1, 0.4f, -2);
    StartNodeAnim(knight, ANIM_ONCE, KANIM_POS | KANIM_ROT, countEnd);
    startFrame();
    run(0.5);
    EXPECT_VEC_NEAR(knight->prs.pos, 0.5f, 0.4f, -1, 1e-3);
    run(0.505, 0.001);
    EXPECT_EQ(g_ends, 0); // the length is 101: not over at 1.005 seconds
    run(0.01);
    EXPECT_EQ(g_ends, 1);
    EXPECT_VEC_NEAR(knight->prs.pos, 1, 0.4f, -2, 0);
}

TEST_F(AnimPresets, TheLightPivotCirclesTheBoardEndlessly) {
    g_board->lightPivot1 = new KShell(scene);
    g_board->lightPivot1->InsertAsChildOf(scene->root);
    SetupLights();
    EXPECT_VEC_NEAR(g_board->lightPivot1->prs.pos, 8, 2, 3.5f, 0);
    const NodeAnimEntry* e = FindNodeEntry(g_board->lightPivot1);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->state, ANIM_STOPPED); // until the start-up starts it
    StartNodeAnim(g_board->lightPivot1, ANIM_LOOP, KANIM_POS | KANIM_ROT, countEnd);
    startFrame();
    // One round lasts 7651 / 400 s; watch three of them at several phases.
    for (int i = 0; i < 12; ++i) {
        run(4.7, 0.02);
        const KVector p = g_board->lightPivot1->prs.pos;
        EXPECT_NEAR(std::hypot(p.x - 3.5f, p.z - 3.5f), 15, 0.05f);
        EXPECT_FLOAT_EQ(p.y, 5);
    }
    EXPECT_EQ(g_ends, 0);
}

TEST_F(AnimPresets, TheMenuWallTurnsInADiagonalWaveFromTheFarCorner) {
    SetupMenuAnims();
    const int nearCube = ANIM_MENU_CUBE0;              // row 0, column 0
    const int farCube = ANIM_MENU_CUBE0 + 7 * 16 + 15; // row 7, column 15
    for (int k = 0; k < 128; ++k) {
        const KAnim* a = g_anim->node_anims[ANIM_MENU_CUBE0 + k];
        EXPECT_GE(a->length, 3001);
        EXPECT_EQ(a->speed, 1000);
    }
    // Early on the far corner has swung past 45 degrees while the near corner has not moved.
    EXPECT_NEAR(rotationAt(farCube, 800).x, 45 * (1 - 133.0f / 600), 0.5f);
    EXPECT_NEAR(rotationAt(nearCube, 800).x, 90, 0.01f);
    // Both face the viewer at the end of the turn.
    EXPECT_NEAR(rotationAt(farCube, 3001).x, 0, 0.01f);
    EXPECT_NEAR(rotationAt(nearCube, 3101).x, 0, 0.01f);
    // Cubes of one diagonal turn together.
    EXPECT_NEAR(rotationAt(ANIM_MENU_CUBE0 + 2 * 16 + 5, 1500).x,
                rotationAt(ANIM_MENU_CUBE0 + 5 * 16 + 2, 1500).x, 1e-4);
}

TEST_F(AnimPresets, AFrameOfRunningAnimationsAllocatesNothing) {
    SetupCameraViews();
    SetupLights();
    SetupMenuAnims();
    SetNodeAnim(cam, ANIM_VIEW_TOUR);
    StartNodeAnim(cam, ANIM_ONCE, KANIM_POS | KANIM_ROT, nullptr);
    KShell* cube = node();
    SetNodeAnim(cube, ANIM_MENU_CUBE0 + 3);
    StartNodeAnim(cube, ANIM_LOOP, KANIM_ALL, nullptr);
    KMaterial* mat = new KMaterial(scene);
    g_anim->material_anims[20]->addKeyType(KMATKEY_OPACITY, 300, 1);
    SetMaterialAnim(mat, 20);
    StartMaterialAnim(mat, ANIM_LOOP, nullptr);
    KLight* light = new KLight(scene);
    SetLightAnim(light, 2);
    StartLightAnim(light, ANIM_LOOP, nullptr);

    g_allocations = 0;
    g_counting = true;
    startFrame();
    run(20, 0.02); // every entry starts, runs, wraps and restarts its round
    g_counting = false;
    EXPECT_EQ(g_allocations.load(), 0);
    EXPECT_EQ(FindNodeEntry(cam)->state, ANIM_RUNNING);
}
