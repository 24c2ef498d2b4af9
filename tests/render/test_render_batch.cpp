// SPDX-License-Identifier: GPL-3.0-or-later
// Merged draws: small meshes sharing a material are drawn as one, and the picture is the one
// the separate draws would give, frame after frame, while members move, hide or change.

#include "render_fixture.h"

namespace {

class Batches : public RenderTest {
protected:
    // A small square of side 0.4 centred at (x, y) on the plane z = 0.
    KObject* tile(KMaterial* m, float x, float y) {
        return addQuad(m, {x - 0.2f, y - 0.2f, 0}, {x + 0.2f, y - 0.2f, 0}, {x + 0.2f, y + 0.2f, 0},
                       {x - 0.2f, y + 0.2f, 0});
    }
    Rgb at(float x, float y) {
        int px, py;
        project({x, y, 0}, px, py);
        return pixel(px, py);
    }
};

TEST_F(Batches, LikeTilesAreOneDrawThatFollowsItsMembers) {
    addCamera({0, 0, 5}, {0, 0, 0});
    KMaterial* red = addMaterial({1, 0, 0, 1}, true);
    KMaterial* green = addMaterial({0, 1, 0, 1}, true);
    KObject* tiles[6];
    for (int i = 0; i < 6; ++i)
        tiles[i] = tile(i < 4 ? red : green, -2.5f + i, 0);
    render();
    EXPECT_EQ(scene->stats.nbDrawCalls, 2) << "one draw per material";
    EXPECT_EQ(scene->stats.nbVisObjects, 6);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_RGB_NEAR(at(-2.5f + i, 0), i < 4 ? 255 : 0, i < 4 ? 0 : 255, 0);
    }
    EXPECT_RGB_NEAR(at(-2, 0), 102, 77, 102); // between the tiles

    // A member moves and grows (about its node's origin, the world's): the merged draw
    // follows in the next frame. Its square, centred at (-1.5, 0), now spans -3.4..-2.6 across
    // at height 1.2.
    tiles[1]->prs.SetPosition(0, 1.2f, 0);
    tiles[1]->prs.SetScale(2);
    render();
    EXPECT_RGB_NEAR(at(-1.5f, 0), 102, 77, 102);
    EXPECT_RGB_NEAR(at(-2.7f, 1.2f), 255, 0, 0);
    EXPECT_RGB_NEAR(at(-2.5f, 1.2f), 102, 77, 102);
    // A member hidden, another given the other material by a face edit.
    tiles[0]->hidden = 1;
    tiles[3]->mesh->faces[0].SetMaterial(green);
    tiles[3]->mesh->faces[1].SetMaterial(green);
    tiles[3]->mesh->changed = 1;
    render();
    EXPECT_RGB_NEAR(at(-2.5f, 0), 102, 77, 102);
    EXPECT_RGB_NEAR(at(0.5f, 0), 0, 255, 0);
    EXPECT_RGB_NEAR(at(-0.5f, 0), 255, 0, 0);
    EXPECT_EQ(scene->stats.nbDrawCalls, 2);
}

} // namespace
