// SPDX-License-Identifier: GPL-3.0-or-later
// Material options, light selection and sprite orientation, read back by pixel.

#include "render_fixture.h"

#include "engine/gl_shader.h" // MAX_LIGHTS

#include <array>

namespace {

class Materials : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        if (scene) addCamera({0, 0, 5}, {0, 0, 0});
    }
    // Unit-sized quad centred at (x, y) on the plane z.
    KObject* square(KMaterial* m, float x, float y, float z, float half = 0.5f) {
        return addQuad(m, {x - half, y - half, z}, {x + half, y - half, z}, {x + half, y + half, z},
                       {x - half, y + half, z});
    }
    Rgb at(float x, float y, float z) {
        int px, py;
        project({x, y, z}, px, py);
        return pixel(px, py);
    }
    KLight* directional(const KColor& diffuse) {
        auto* l = new KLight(scene);
        l->kind = KLIGHT_DIRECTIONAL;
        l->diffuse = diffuse;
        l->InsertAsChildOf(scene->root);
        return l;
    }
};

TEST_F(Materials, VertexColoursAdditiveGlowsAndAlphaTest) {
    // Vertex colours count only for materials that ask for them.
    auto* tinted = addMaterial({1, 1, 1, 1}, true);
    tinted->SetOption(KMAT_VERTEXCOLOR, true);
    KObject* a = square(tinted, -2, 1, 0);
    KObject* b = square(addMaterial({1, 1, 1, 1}, true), -0.5f, 1, 0);
    for (KObject* o : {a, b})
        for (KVertex& v : o->mesh->verts)
            v.color = KColor{1, 0, 0, 1};
    // White vertices are sent without their colours; they still draw white, not black.
    auto* tintedWhite = addMaterial({1, 1, 1, 1}, true);
    tintedWhite->SetOption(KMAT_VERTEXCOLOR, true);
    square(tintedWhite, -2, -1, 0);

    // An additive glow adds to what is behind it.
    square(addMaterial({0, 0, 1, 1}, true), 1.5f, 1, 0);
    auto* glow = addMaterial({0.5f, 0.5f, 0, 1}, true);
    glow->SetOption(KMAT_ADDITIVE, true);
    square(glow, 1.5f, 1, 1, 0.3f);

    // Alpha test: transparent texels are cut out and do not hide what is behind.
    auto* cut = new KTexture(scene);
    cut->width = 2, cut->height = 1, cut->filter = 0;
    cut->pixels = {255, 255, 255, 0, 255, 255, 255, 255}; // left transparent, right opaque
    auto* stencil = addMaterial({1, 1, 1, 1}, true);
    stencil->texture = cut;
    stencil->SetOption(KMAT_ALPHATEST, true);
    square(stencil, 0, -1, 1, 0.6f);
    square(addMaterial({0, 1, 0, 1}, true), 0, -1, 0, 1.0f);
    render();

    EXPECT_RGB_NEAR(at(-2, 1, 0), 255, 0, 0);
    EXPECT_RGB_NEAR(at(-0.5f, 1, 0), 255, 255, 255);
    EXPECT_RGB_NEAR(at(-2, -1, 0), 255, 255, 255);
    EXPECT_RGB_NEAR(at(1.5f, 1, 1), 128, 128, 255);
    EXPECT_RGB_NEAR(at(-0.3f, -1, 1), 0, 255, 0);    // cut out: the green behind
    EXPECT_RGB_NEAR(at(0.3f, -1, 1), 255, 255, 255); // kept
}

TEST_F(Materials, APictureSentAsBrightnessAndColourKeepsItsColours) {
    // Two 2 x 2 blocks, so averaging the colour over each block changes nothing; the
    // brightness and the colour come back together to the same red, green and blue.
    auto* sky = new KTexture(scene);
    sky->width = 4, sky->height = 2, sky->filter = 0;
    const unsigned char orange[4] = {250, 130, 10, 255}, blue[4] = {40, 90, 200, 255};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            const unsigned char* c = x < 2 ? orange : blue;
            sky->pixels.insert(sky->pixels.end(), c, c + 4);
        }
    sky->lumaChroma = 1;
    auto* m = addMaterial({1, 1, 1, 1}, true);
    m->texture = sky;
    square(m, 0, 0, 0, 1.0f);
    render();

    EXPECT_NE(sky->chromaGlId, 0u);
    EXPECT_RGB_NEAR(at(-0.5f, 0, 0), 250, 130, 10);
    EXPECT_RGB_NEAR(at(0.5f, 0, 0), 40, 90, 200);
}

TEST_F(Materials, AnObjectSharingAnothersShapeDrawsItInItsOwnMaterial) {
    // The same quad in red and in green: the green object shows the red one's mesh, in green.
    const KVector c[4] = {{-0.5f, -0.5f, 0}, {0.5f, -0.5f, 0}, {0.5f, 0.5f, 0}, {-0.5f, 0.5f, 0}};
    KObject* red = addQuad(addMaterial({1, 0, 0, 1}, true), c[0], c[1], c[2], c[3]);
    KObject* green = addQuad(addMaterial({0, 1, 0, 1}, true), c[0], c[1], c[2], c[3]);
    green->prs.SetPosition(1.5f, 0, 0);
    const size_t meshes = scene->meshes.size();
    ASSERT_TRUE(green->ShareShapeOf(*red));
    EXPECT_EQ(green->mesh, red->mesh);
    EXPECT_EQ(scene->meshes.size(), meshes - 1); // green's own went
    // A copy keeps the colour; a quad of another shape is not shared.
    KNodeGraph* copy = CopyNode(green, true, KCOPY_SHARED_MESHES);
    copy->InsertAsChildOf(scene->root);
    copy->prs.SetPosition(-1.5f, 0, 0);
    KObject* blue = addQuad(addMaterial({0, 0, 1, 1}, true), c[0], c[1], c[2], {-0.5f, 0.6f, 0});
    blue->prs.SetPosition(0, -1.5f, 0);
    EXPECT_FALSE(blue->ShareShapeOf(*red));
    render();

    EXPECT_RGB_NEAR(at(0, 0, 0), 255, 0, 0);
    EXPECT_RGB_NEAR(at(1.5f, 0, 0), 0, 255, 0);
    EXPECT_RGB_NEAR(at(-1.5f, 0, 0), 0, 255, 0);
    EXPECT_RGB_NEAR(at(0, -1.5f, 0), 0, 0, 255);
}

TEST_F(Materials, ASkyAFloorHidesWhollyIsNotDrawn) {
    // A red box around the eye and a green floor far wider than the view.
    auto* red = addMaterial({1, 0, 0, 1}, true);
    red->SetOption(KMAT_DOUBLESIDED, true);
    addSkyBox(red, 100);
    addQuad(addMaterial({0, 1, 0, 1}, true), {-50, 0, 50}, {50, 0, 50}, {50, 0, -50},
            {-50, 0, -50});

    // Looking down: the floor fills the picture, and the sky's triangles are not sent.
    camera->prs.SetPosition(0, 2, 0);
    camera->prs.SetAngles(-60, 0, 0);
    render();
    EXPECT_EQ(scene->stats.nbDrawnTriangles, 2);
    EXPECT_RGB_NEAR(pixel(0, 0), 0, 255, 0);
    // Level with the horizon the sky shows above the floor.
    camera->prs.SetAngles(0, 0, 0);
    render();
    EXPECT_EQ(scene->stats.nbDrawnTriangles, 14);
    EXPECT_RGB_NEAR(pixel(0, 0), 255, 0, 0);
}

TEST_F(Materials, TheLightSlotAlwaysLightsTheFrame) {
    // More lights than one frame uses; the one in the slot comes last in the graph.
    for (int i = 0; i < MAX_LIGHTS + 2; ++i)
        directional({0, 0, 0, 1});
    KLight* slot = directional({1, 1, 1, 1});
    auto* m = addMaterial({0, 1, 0, 1}, false);
    square(m, 0, 0, 0);
    render();
    EXPECT_RGB_NEAR(at(0, 0, 0), 0, 0, 0);
    EXPECT_EQ(scene->stats.nbUsedLights, MAX_LIGHTS);

    scene->selectedLight = slot;
    render();
    EXPECT_RGB_NEAR(at(0, 0, 0), 0, 255, 0);
    EXPECT_EQ(scene->stats.nbUsedLights, MAX_LIGHTS);
    EXPECT_EQ(scene->stats.nbLights, MAX_LIGHTS + 3);

    // A hidden light lights nothing, even in the slot; light animations change the diffuse.
    slot->hidden = 1;
    render();
    EXPECT_RGB_NEAR(at(0, 0, 0), 0, 0, 0);
    slot->hidden = 0;
    slot->diffuse = KColor{0.5f, 0.5f, 0.5f, 1};
    render();
    EXPECT_RGB_NEAR(at(0, 0, 0), 0, 128, 0);
}

TEST_F(Materials, PointLightsFallOffAndLightOnlyTheSideFacingThem) {
    auto* l = new KLight(scene);
    l->kind = KLIGHT_POINT;
    l->range = 4;
    l->prs.SetPosition(-1.5f, 0, 1);
    l->InsertAsChildOf(scene->root);
    auto* m = addMaterial({1, 1, 1, 1}, false);
    square(m, -1.5f, 0, 0, 0.2f);       // right under the light: lit, 1 unit away
    square(m, 2.0f, 0, 0, 0.2f);        // 3.6 units away: almost out of range
    square(m, -1.5f, 1.0f, 1.5f, 0.2f); // facing the camera, with the light behind it
    render();
    const Rgb near = at(-1.5f, 0, 0), far = at(2.0f, 0, 0), away = at(-1.5f, 1.0f, 1.5f);
    // (1 - 1/4)^2 = 0.56 of full light straight on; (1 - 3.64/4)^2 is below 0.01.
    EXPECT_NEAR(near.r, 143, 8);
    EXPECT_LT(far.r, 10);
    EXPECT_LT(away.r, 5);
}

// Blinn-Phong: the highlight is whole where the half vector of light and eye meets the normal
// (halfway between a light and an eye at the same height), (n . h)^shininess beside it.
TEST_F(Materials, SpecularHighlightFollowsTheHalfVector) {
    auto* l = new KLight(scene);
    l->diffuse = KColor{0, 0, 0, 1};
    l->prs.SetPosition(2, 0, 5); // the eye is at (0, 0, 5)
    l->InsertAsChildOf(scene->root);
    auto* m = addMaterial({0, 0, 0, 1}, false);
    m->specular = KColor{0.5f, 0.5f, 0.5f, 1};
    m->shininess = 8;
    square(m, 1, 0, 0, 1.5f);
    render();
    EXPECT_NEAR(at(1, 0, 0).r, 128, 3);
    EXPECT_NEAR(at(0, 0, 0).r, 110, 3); // n . h = 0.982 at both ends
    EXPECT_NEAR(at(2, 0, 0).r, 110, 3);
}

TEST_F(Materials, SpritesFaceTheCameraFromAnySide) {
    // Camera at the origin turned to look along -x; a sprite straight ahead.
    camera->prs.SetPosition(0, 0, 0);
    camera->prs.SetAngles(0, 90, 0);
    auto* s = new KSprite(scene);
    s->mat = addMaterial({0, 1, 1, 1}, true);
    s->width = 2;
    s->height = 1;
    s->prs.SetPosition(-5, 0, 0);
    s->InsertAsChildOf(scene->root);
    render();
    EXPECT_RGB_NEAR(pixel(W / 2, H / 2), 0, 255, 255);
    // Two units wide, one high, at 5 units with a 60 degree view: about 83 x 42 pixels.
    EXPECT_RGB_NEAR(pixel(W / 2 + 35, H / 2), 0, 255, 255);
    EXPECT_RGB_NEAR(pixel(W / 2, H / 2 + 30), 102, 77, 102);
    EXPECT_RGB_NEAR(pixel(W / 2 + 50, H / 2), 102, 77, 102);
}

TEST_F(Materials, ThingsParkedAtTheEyeUnderTheCameraAreNotDrawn) {
    // A thin slab around the eye, parked under the camera as the board parks its markers.
    auto* m = addMaterial({1, 1, 0, 1}, true);
    m->SetOption(KMAT_DOUBLESIDED, true);
    auto* mesh = new KMesh(scene, 8, 4);
    const KColor w{1, 1, 1, 1};
    for (float y : {-0.05f, 0.05f})
        for (const KVector& p :
             {KVector(-1, y, -1), KVector(1, y, -1), KVector(1, y, 1), KVector(-1, y, 1)})
            mesh->addVert(p, KVector(0, 1, 0), w, w);
    for (int base : {0, 4})
        for (const auto& t : {std::array<int, 3>{0, 1, 2}, std::array<int, 3>{0, 2, 3}}) {
            KFace f;
            f.initFace();
            f.SetVertsRef(base + t[0], base + t[1], base + t[2]);
            f.SetMaterial(m);
            mesh->addFace(f);
        }
    auto* parked = new KObject(scene);
    parked->SetMesh(mesh);
    parked->InsertAsChildOf(camera);
    // A heads-up panel in front of the eye stays.
    KObject* panel = square(addMaterial({0, 0, 1, 1}, true), 0, -0.8f, -2, 0.2f);
    panel->InsertAsChildOf(camera);
    render();
    EXPECT_RGB_NEAR(pixel(W / 2, 60), 102, 77, 102);
    int x, y;
    project({0, -0.8f, 3}, x, y); // 2 in front of the eye at (0, 0, 5)
    EXPECT_RGB_NEAR(pixel(x, y), 0, 0, 255);

    // Placed in the world at the same spot, the slab would be drawn: the rule is for parking.
    parked->InsertAsChildOf(scene->root);
    parked->prs.SetPosition(0, 0, 5);
    render();
    EXPECT_RGB_NEAR(pixel(W / 2, 60), 255, 255, 0);
}

// Lit programs are built for the frame's lights (their number and kinds): frames whose lights
// come and go and change kind each get the lighting of their own lights.
TEST_F(Materials, EveryFrameIsLitByItsOwnLights) {
    auto* m = addMaterial({1, 1, 1, 1}, false);
    square(m, 0, 0, 0);
    auto point = [this](const KColor& c, float x) {
        auto* l = new KLight(scene);
        l->diffuse = c;
        l->prs.SetPosition(x, 0, 2);
        l->InsertAsChildOf(scene->root);
        return l;
    };
    KLight* red = point({0.5f, 0, 0, 1}, 0);
    render();
    EXPECT_RGB_NEAR(at(0, 0, 0), 128, 0, 0); // 0.5 red straight on (no ambient colour)
    KLight* blue = point({0, 0, 0.5f, 1}, 0);
    render();
    EXPECT_RGB_NEAR(at(0, 0, 0), 128, 0, 128);
    // The blue light becomes a narrow spot turned away from the square: its blue goes.
    blue->kind = KLIGHT_SPOT;
    blue->outerCone = 10;
    blue->prs.SetAngles(90, 0, 0); // shining up
    render();
    EXPECT_RGB_NEAR(at(0, 0, 0), 128, 0, 0);
    // A range too short to reach the square: the red goes as well.
    red->range = 1;
    render();
    EXPECT_RGB_NEAR(at(0, 0, 0), 0, 0, 0);
    red->hidden = 1;
    blue->hidden = 1;
    render();
    blue->kind = KLIGHT_POINT; // hidden lights light nothing, whatever their kind
    render();
    EXPECT_RGB_NEAR(at(0, 0, 0), 0, 0, 0);
}

} // namespace
