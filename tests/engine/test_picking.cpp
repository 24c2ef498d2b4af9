// SPDX-License-Identifier: GPL-3.0-or-later
// Picking: the nearest triangle of a drawn object under a window pixel wins; hidden, detached
// and out-of-view objects are never picked.

#include <gtest/gtest.h>

#include "engine/KivEngine.h"

namespace {

// A square of side `size` in the local xy plane, centred on the node.
KObject* makeQuad(KScene& scene, KNodeGraph* parent, float size, float z, const char* name) {
    auto* mesh = new KMesh(&scene, 4, 2);
    float h = size / 2;
    KColor white{1, 1, 1, 1};
    mesh->addVert(KVector(-h, -h, 0), KVector(0, 0, 1), white, white);
    mesh->addVert(KVector(h, -h, 0), KVector(0, 0, 1), white, white);
    mesh->addVert(KVector(h, h, 0), KVector(0, 0, 1), white, white);
    mesh->addVert(KVector(-h, h, 0), KVector(0, 0, 1), white, white);
    KFace f;
    f.initFace();
    f.SetVertsRef(0, 1, 2);
    mesh->addFace(f);
    f.SetVertsRef(0, 2, 3);
    mesh->addFace(f);
    auto* obj = new KObject(&scene);
    obj->SetMesh(mesh);
    obj->name = name;
    obj->prs.SetPosition(0, 0, z);
    obj->InsertAsChildOf(parent);
    return obj;
}

class Picking : public testing::Test {
protected:
    void SetUp() override {
        scene.screenWidth = 800;
        scene.screenHeight = 600;
        cam = new KCamera(&scene);
        cam->InsertAsChildOf(scene.root);
        cam->prs.SetPosition(0, 0, 10); // looking along -z at the origin
        cam->nearDist = 0.5f;
        scene.camera = cam;
        group = new KShell(&scene);
        group->InsertAsChildOf(scene.root);
        nearQuad = makeQuad(scene, group, 2, 0, "near");
        farQuad = makeQuad(scene, scene.root, 20, -5, "far");
    }

    KScene scene;
    KCamera* cam = nullptr;
    KShell* group = nullptr;
    KObject* nearQuad = nullptr;
    KObject* farQuad = nullptr;
};

} // namespace

TEST_F(Picking, NearestHitWinsAndReportsWhere) {
    KPickInfo info;
    EXPECT_EQ(scene.Getinfo(400, 300, &info), nearQuad);
    EXPECT_NEAR(info.point.z, 0, 1e-4);
    EXPECT_NEAR(info.distance, 10, 1e-3);
    EXPECT_GE(info.face, 0);
    // Off the small quad but on the large one behind it.
    EXPECT_EQ(scene.Getinfo(700, 300), farQuad);
}

TEST_F(Picking, HiddenAndDetachedObjectsAreNeverPicked) {
    nearQuad->hidden = 1;
    EXPECT_EQ(scene.Getinfo(400, 300), farQuad);
    nearQuad->hidden = 0;
    group->hidden = 1; // a hidden ancestor hides it too
    EXPECT_EQ(scene.Getinfo(400, 300), farQuad);
    group->hidden = 0;
    nearQuad->InsertAsChildOf(nullptr);
    EXPECT_EQ(scene.Getinfo(400, 300), farQuad);
    farQuad->hidden = 1;
    EXPECT_EQ(scene.Getinfo(400, 300), nullptr);
}

TEST_F(Picking, APixelOffEveryObjectGivesNone) {
    farQuad->hidden = 1;
    KPickInfo info;
    info.object = farQuad;
    EXPECT_EQ(scene.Getinfo(5, 5, &info), nullptr);
    EXPECT_EQ(info.object, nullptr);
}

TEST_F(Picking, FollowsTheObjectsWorldTransform) {
    farQuad->hidden = 1;
    // Moved right by 3 units through its parent: the centre pixel misses, a pixel to the right
    // hits. At distance 10 with a 60 degree view, 3 units are 300 * 3 / (10 tan 30) pixels.
    group->prs.SetPosition(3, 0, 0);
    EXPECT_EQ(scene.Getinfo(400, 300), nullptr);
    int x = 400 + static_cast<int>(300 * 3 / (10 * 0.57735f));
    EXPECT_EQ(scene.Getinfo(x, 300), nearQuad);
    // Turned 60 degrees about y: its near edge comes towards the camera and the far edge
    // recedes, so a pixel 0.8 units right of centre now misses while 0.3 units still hits.
    group->prs.SetPosition(0, 0, 0);
    nearQuad->prs.SetAngles(0, 60, 0);
    EXPECT_EQ(scene.Getinfo(400 + static_cast<int>(300 * 0.8f / (10 * 0.57735f)), 300), nullptr);
    EXPECT_EQ(scene.Getinfo(400 + static_cast<int>(300 * 0.3f / (10 * 0.57735f)), 300), nearQuad);
    // The quick box follows the mesh's edits: its right edge pulled out to x = 4 is hit.
    nearQuad->prs.SetAngles(0, 0, 0);
    EXPECT_EQ(scene.Getinfo(x, 300), nullptr);
    for (int i : {1, 2})
        nearQuad->mesh->moveVert(i, 4, nearQuad->mesh->verts[i].pos.y, 0);
    EXPECT_EQ(scene.Getinfo(x, 300), nearQuad);
}

TEST_F(Picking, NothingBehindTheCameraOrBeforeTheNearPlane) {
    farQuad->hidden = 1;
    nearQuad->prs.SetPosition(0, 0, 20); // behind the camera
    EXPECT_EQ(scene.Getinfo(400, 300), nullptr);
    nearQuad->prs.SetPosition(0, 0, 9.8f); // 0.2 in front: nearer than the near plane
    EXPECT_EQ(scene.Getinfo(400, 300), nullptr);
    nearQuad->prs.SetPosition(0, 0, 9.0f);
    EXPECT_EQ(scene.Getinfo(400, 300), nearQuad);
}

TEST_F(Picking, MeshesWithoutQuickModelOrWithStaleFacesStillPickSafely) {
    nearQuad->mesh->DeleteRapidModel();
    EXPECT_EQ(scene.Getinfo(400, 300), nearQuad);
    // A face written by hand naming a vertex that is gone is skipped, not read.
    nearQuad->mesh->faces[0].ref[2] = 99;
    nearQuad->mesh->faces[1].ref[1] = -3;
    EXPECT_EQ(scene.Getinfo(400, 300), farQuad);
}

TEST_F(Picking, NoCameraNoPick) {
    scene.camera = nullptr;
    EXPECT_EQ(scene.Getinfo(400, 300), nullptr);
}
