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
