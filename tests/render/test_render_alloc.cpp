// SPDX-License-Identifier: GPL-3.0-or-later
// The frame loop must not allocate: after the first frames, RenderScene and SwapBuffers make
// no C++ allocation (the GL driver's own memory is its business).

#include "render_fixture.h"

#include <vector>

#include "tests/support/allocation_count.h"

namespace {

class FrameLoop : public RenderTest {};

TEST_F(FrameLoop, RenderingAgainAllocatesNothing) {
    addCamera({0, 3, 6}, {-26.565f, 0, 0});
    auto* floorMat = addMaterial({0.2f, 0.2f, 0.2f, 1}, false);
    floorMat->reflect = 0.5f;
    addQuad(floorMat, {-4, 0, 4}, {4, 0, 4}, {4, 0, -4}, {-4, 0, -4});
    for (int i = 0; i < 20; ++i) {
        auto* m = addMaterial({0.1f * (i % 10), 0.5f, 0.5f, 1}, i % 3 == 0);
        m->blend = i % 4 == 0;
        m->opacity = 0.5f;
        const float x = -3 + 0.3f * i;
        addQuad(m, {x, 0, 0}, {x + 0.25f, 0, 0}, {x + 0.25f, 1, 0}, {x, 1, 0});
    }
    auto* light = new KLight(scene);
    light->InsertAsChildOf(scene->root);
    light->prs.SetPosition(0, 4, 2);
    auto* glow = new KSprite(scene);
    glow->mat = addMaterial({1, 1, 0, 1}, true);
    glow->InsertAsChildOf(scene->root);
    auto* image = new KImage2D(scene);
    image->mat = glow->mat;
    auto* font = new KFont(scene);
    auto* text = new KTexte;
    text->font = font;
    text->visible = 1;
    text->SetTexte("FPS 59.9");
    scene->AddTexte(text);
    // A mesh rewritten every frame, as the water is.
    KObject* water =
        addQuad(addMaterial({0, 0, 1, 1}, false), {-1, 2, 0}, {1, 2, 0}, {1, 3, 0}, {-1, 3, 0});
    water->mesh->isStatic = 0;

    // The first frame sends meshes and grows the frame's lists: that does allocate, which also
    // shows the counter sees the engine's allocations.
    const long start = allocationCount();
    for (int i = 0; i < 3; ++i) {
        render();
        SwapBuffers(screen);
    }
    EXPECT_GT(allocationCount() - start, 0);
    const long before = allocationCount();
    for (int i = 0; i < 10; ++i) {
        water->mesh->moveVert(0, -1, 2 + 0.01f * i, 0);
        render();
        SwapBuffers(screen);
    }
    EXPECT_EQ(allocationCount() - before, 0);
}

// The menu wall's way: many small meshes of one material, merged into one draw, every one of
// them moving every frame (the lens), so the merged draw is rebuilt every frame.
TEST_F(FrameLoop, MergedDrawsRebuiltEveryFrameAllocateNothing) {
    addCamera({0, 0, 8}, {0, 0, 0});
    KMaterial* face = addMaterial({0.3f, 0.3f, 0.8f, 1}, false);
    KMaterial* back = addMaterial({0.1f, 0.1f, 0.1f, 1}, true);
    std::vector<KObject*> cubes;
    for (int i = 0; i < 32; ++i) {
        const float x = -3.5f + (i % 8), y = -1.5f + (i / 8);
        KObject* c =
            addQuad(face, {x, y, 0}, {x + 0.8f, y, 0}, {x + 0.8f, y + 0.8f, 0}, {x, y + 0.8f, 0});
        addQuad(back, {x, y + 0.8f, -0.1f}, {x + 0.8f, y + 0.8f, -0.1f}, {x + 0.8f, y, -0.1f},
                {x, y, -0.1f})
            ->InsertAsChildOf(c);
        cubes.push_back(c);
    }
    auto* light = new KLight(scene);
    light->InsertAsChildOf(scene->root);
    light->prs.SetPosition(0, 0, 4);
    for (int i = 0; i < 3; ++i) {
        render();
        SwapBuffers(screen);
    }
    const long before = allocationCount();
    for (int frame = 0; frame < 10; ++frame) {
        for (size_t k = 0; k < cubes.size(); ++k)
            cubes[k]->prs.SetScale(0.8f + 0.02f * float((frame + k) % 5));
        render();
        SwapBuffers(screen);
    }
    EXPECT_EQ(allocationCount() - before, 0);
    EXPECT_EQ(scene->stats.nbDrawCalls, 2) << "one draw per material";
}

} // namespace
