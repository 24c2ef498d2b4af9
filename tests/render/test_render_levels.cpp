// SPDX-License-Identifier: GPL-3.0-or-later
// Levels of detail: an object is drawn with the level its size on screen asks for, its mirror
// image with the coarsest level, and a mesh edited in code with itself. The "levels" here are
// told apart by where they stand, so the pixels show which one was drawn.

#include "render_fixture.h"

namespace {

class Levels : public RenderTest {
protected:
    // A quad standing upright on the floor (y from 0 to 1), between x0 and x1 at z = 0.
    KMesh* uprightQuad(KMaterial* mat, float x0, float x1) {
        KObject* o = addQuad(mat, {x0, 0, 0}, {x1, 0, 0}, {x1, 1, 0}, {x0, 1, 0});
        o->InsertAsChildOf(nullptr); // only its mesh is wanted
        return o->mesh;
    }
};

TEST_F(Levels, SizeOnScreenPicksTheLevelAndTheMirrorShowsTheCoarsest) {
    addCamera({0, 2, 6}, {-18.43f, 0, 0}); // looks at (0, 0, 0)
    auto* floorMat = addMaterial({0, 0, 0, 1}, true);
    floorMat->reflect = 1.0f;
    addQuad(floorMat, {-6, 0, 6}, {6, 0, 6}, {6, 0, -6}, {-6, 0, -6});
    KMaterial* green = addMaterial({0, 1, 0, 1}, true);
    // The object's own mesh stands left of the middle, its first level in the middle, its
    // coarsest level right of it: each is a quad one unit wide.
    KObject* piece = addQuad(green, {-1.5f, 0, 0}, {-0.5f, 0, 0}, {-0.5f, 1, 0}, {-1.5f, 1, 0});
    KMesh* middle = uprightQuad(green, -0.5f, 0.5f);
    KMesh* right = uprightQuad(green, 0.5f, 1.5f);
    piece->mesh->levels = {middle, right};
    // Its bounding sphere (radius 0.71) fills 0.71 x 1.73 / 6 = 0.2 of the window's height.
    piece->mesh->levelCoverage = {0.15f, 0.05f};

    auto drawnAt = [&](float x, float y) {
        int px, py;
        project({x, y, 0}, px, py);
        const Rgb c = pixel(px, py);
        return c.g > 200 && c.r < 50;
    };
    render();
    EXPECT_TRUE(drawnAt(-1, 0.5f)) << "close: the mesh itself";
    EXPECT_FALSE(drawnAt(0, 0.5f));
    EXPECT_FALSE(drawnAt(1, 0.5f));
    // Mirror images below the floor line: the coarsest level only.
    EXPECT_TRUE(drawnAt(1, -0.5f)) << "the mirror draws the coarsest level";
    EXPECT_FALSE(drawnAt(-1, -0.5f));
    EXPECT_EQ(scene->stats.nbVisPolygons, 2 + 2);

    // Smaller on screen: coverage 0.12 picks the first level, 0.04 the second.
    piece->prs.SetScale(0.6f);
    render();
    EXPECT_FALSE(drawnAt(-0.6f, 0.3f));
    EXPECT_TRUE(drawnAt(0, 0.3f)) << "smaller on screen: the first level";
    piece->prs.SetScale(0.2f); // 0.04
    render();
    EXPECT_FALSE(drawnAt(0, 0.1f));
    EXPECT_TRUE(drawnAt(0.2f, 0.1f)) << "tiny on screen: the coarsest level";

    // An edit in code leaves the levels behind: the mesh itself is drawn, near or far.
    piece->mesh->moveVert(0, -1.5f, 0, 0);
    EXPECT_TRUE(piece->mesh->levels.empty());
    render();
    EXPECT_TRUE(drawnAt(-0.2f, 0.1f));
    EXPECT_FALSE(drawnAt(0.2f, 0.1f));
}

} // namespace

namespace {

class SkyInMirror : public RenderTest {};

// A sky around the eye is not mirrored: the reflection shows its average colour, so a mirror
// costs no second picture of the whole sky. The sky here is half red, half blue.
TEST_F(SkyInMirror, TheMirrorShowsTheSkysAverageColour) {
    addCamera({0, 3, 6}, {-26.565f, 0, 0});
    auto* floorMat = addMaterial({0, 0, 0, 1}, true);
    floorMat->reflect = 1.0f;
    addQuad(floorMat, {-4, 0, 8}, {4, 0, 8}, {4, 0, -4}, {-4, 0, -4});

    auto* picture = new KTexture(scene);
    picture->width = 2;
    picture->height = 1;
    picture->filter = 0;
    const unsigned char px[8] = {255, 0, 0, 255, 0, 0, 255, 255};
    picture->pixels.assign(px, px + 8);
    auto* skyMat = addMaterial({1, 1, 1, 1}, true);
    skyMat->texture = picture;
    skyMat->SetOption(KMAT_DOUBLESIDED, true);
    // A box of 40 units around everything, its faces seen from inside; the left half of each
    // face red, the right half blue.
    addSkyBox(skyMat, 20);

    render();
    // Every pixel of the floor: the average of red and blue, whatever part of the sky a true
    // mirror would show there.
    for (const KVector& p : {KVector(-2, 0, 1), KVector(0, 0, 2), KVector(2, 0, 1)}) {
        int x, y;
        project(p, x, y);
        EXPECT_RGB_NEAR(pixel(x, y), 128, 0, 128);
    }
    // The sky itself is drawn where no mirror lies.
    const Rgb top = pixel(W / 2, 2);
    EXPECT_TRUE((top.r > 200 && top.b < 50) || (top.b > 200 && top.r < 50));
}

} // namespace

namespace {

class CurvedMirror : public RenderTest {};

// Only flat surfaces are planar mirrors. A polished ball hanging above a mirror floor is drawn
// as a plain shiny object: it neither mirrors in the plane of its own top nor moves the floor's
// mirror up there, so the floor still shows what stands on it where it should.
TEST_F(CurvedMirror, APolishedBallAboveTheFloorLeavesTheFloorsMirrorInPlace) {
    addCamera({0, 3, 6}, {-26.565f, 0, 0});
    auto* floorMat = addMaterial({0.2f, 0.2f, 0.2f, 1}, true);
    floorMat->reflect = 0.8f;
    addQuad(floorMat, {-4, 0, 8}, {4, 0, 8}, {4, 0, -4}, {-4, 0, -4});
    addQuad(addMaterial({0, 1, 0, 1}, true), {-1, 0, 0}, {1, 0, 0}, {1, 2, 0}, {-1, 2, 0});
    // The "ball": one reflective mesh, a cube half a unit wide, its top at y = 2.5, aside.
    auto* chrome = addMaterial({0.8f, 0.8f, 0.9f, 1}, true);
    chrome->reflect = 0.6f;
    const float x0 = 2, x1 = 2.5f, y0 = 2, y1 = 2.5f, z0 = 0, z1 = 0.5f;
    const KVector faces[6][4] = {{{x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}},
                                 {{x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}, {x0, y1, z0}},
                                 {{x1, y0, z1}, {x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}},
                                 {{x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0}},
                                 {{x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}},
                                 {{x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}}};
    KObject* ball = addQuad(chrome, faces[0][0], faces[0][1], faces[0][2], faces[0][3]);
    for (int f = 1; f < 6; ++f) {
        const int base = static_cast<int>(ball->mesh->verts.size());
        for (const KVector& c : faces[f])
            ball->mesh->addVert(c, {0, 0, 0}, {1, 1, 1, 1}, {1, 1, 1, 1});
        for (const int* t : {(const int[]){0, 1, 2}, (const int[]){0, 2, 3}}) {
            KFace face;
            face.initFace();
            face.SetVertsRef(base + t[0], base + t[1], base + t[2]);
            face.SetMaterial(chrome);
            ball->mesh->addFace(face);
        }
    }
    int x, y;
    project({0, -1, 0}, x, y); // the green quad's mirror image in the floor
    render();
    EXPECT_RGB_NEAR(pixel(x, y), 10, 214, 10);
    int bx, by;
    project({2.25f, 2.25f, 0.5f}, bx, by); // the ball's front: its own colour, solid
    EXPECT_RGB_NEAR(pixel(bx, by), 204, 204, 230);
}

} // namespace
