// SPDX-License-Identifier: GPL-3.0-or-later
// A known scene drawn and read back pixel by pixel: lighting, textures (bottom-up rows),
// blending order, sprites, 2D images, texts, mirrors, re-sent meshes and textures, counters.

#include "render_fixture.h"

#include <cstring>

namespace {

// 2 x 2 picture, rows bottom-up: bottom blue, yellow; top green, magenta.
KTexture* fourColours(KScene* scene) {
    auto* t = new KTexture(scene);
    t->width = t->height = 2;
    t->filter = 0;
    const unsigned char px[16] = {0, 0,   255, 255, 255, 255, 0,   255,
                                  0, 255, 0,   255, 255, 0,   255, 255};
    t->pixels.assign(px, px + 16);
    t->dirty = 1;
    return t;
}

// A 16 x 16 grid font of 4 x 4 pixel cells in which only 'A' has ink, white on black made
// white with the brightness as alpha, as the game's fonts are (the renderer sends the alpha
// alone).
KFont* inkOnlyOnA(KScene* scene) {
    auto* t = new KTexture(scene);
    t->width = t->height = 64;
    t->filter = 0;
    t->pixels.assign(64 * 64 * 4, 0);
    const int col = 'A' % 16, rowFromTop = 'A' / 16;
    for (int y = 0; y < 4; ++y) {
        const int row = 63 - (rowFromTop * 4 + y); // bottom-up buffer
        for (int x = 0; x < 4; ++x)
            std::memset(&t->pixels[(row * 64 + col * 4 + x) * 4], 255, 4);
    }
    t->CreateModifiedImg();
    auto* f = new KFont(scene);
    f->SetTexture(t);
    f->BuildFontLists(16, 16, 16, 0);
    return f;
}

class KnownScene : public RenderTest {
protected:
    void build() {
        addCamera({0, 0, 5}, {0, 0, 0});
        auto* light = new KLight(scene);
        light->kind = KLIGHT_DIRECTIONAL; // shines along -z, straight at the quads
        light->diffuse = KColor{0.5f, 0.5f, 0.5f, 1};
        light->ambient = KColor{0, 0.5f, 0, 1};
        light->InsertAsChildOf(scene->root);

        // The blended quad is made first, so drawing in graph order would get it wrong.
        translucent = addMaterial({0, 0, 1, 1}, true);
        translucent->blend = 1;
        translucent->opacity = 0.5f;
        blue = addQuad(translucent, {-2.5f, -0.5f, 1}, {-1.5f, -0.5f, 1}, {-1.5f, 0.5f, 1},
                       {-2.5f, 0.5f, 1});

        lit = addMaterial({1, 0, 0, 1}, false);
        lit->ambient = KColor{0, 0.4f, 0, 1};
        red = addQuad(lit, {-3, -1, 0}, {-1, -1, 0}, {-1, 1, 0}, {-3, 1, 0});

        tex = fourColours(scene);
        auto* textured = addMaterial({1, 1, 1, 1}, true);
        textured->texture = tex;
        addQuad(textured, {1, -1, 0}, {3, -1, 0}, {3, 1, 0}, {1, 1, 0});

        auto* sprite = new KSprite(scene);
        sprite->mat = addMaterial({0, 1, 1, 1}, true);
        sprite->width = sprite->height = 0.5f;
        sprite->prs.SetPosition(0, 2, 0);
        sprite->InsertAsChildOf(scene->root);

        auto* image = new KImage2D(scene);
        image->mat = addMaterial({1, 1, 0, 1}, true);
        image->x = image->y = 10;
        image->width = image->height = 20;
        // The cursor over the text: images come above texts.
        auto* cursor = new KImage2D(scene);
        cursor->mat = image->mat;
        cursor->x = 150;
        cursor->y = 200;
        cursor->width = cursor->height = 4;

        auto* text = new KTexte;
        text->font = inkOnlyOnA(scene);
        text->SetTexte("AB");
        text->r = 0, text->g = 1, text->b = 0;
        text->visible = 1;
        text->x = 150;
        text->y = 200;
        scene->AddTexte(text);
    }
    int at(float wx, float wy, float wz, bool wantX) {
        int x, y;
        project({wx, wy, wz}, x, y);
        return wantX ? x : y;
    }
    Rgb world(float wx, float wy, float wz) {
        int x, y;
        project({wx, wy, wz}, x, y);
        return pixel(x, y);
    }
    KMaterial* translucent = nullptr;
    KObject* blue = nullptr;
    KMaterial* lit = nullptr;
    KObject* red = nullptr;
    KTexture* tex = nullptr;
};

TEST_F(KnownScene, LightingTexturesBlendingSpritesImagesAndTexts) {
    build();
    render();
    // Clear colour where nothing is drawn.
    EXPECT_RGB_NEAR(pixel(300, 230), 102, 77, 102);
    // Lit quad: diffuse 0.5 x red; ambient (0.2 global + 0.5 light) x 0.4 green.
    EXPECT_RGB_NEAR(world(-2.8f, 0.8f, 0), 128, 71, 0);
    // Half-transparent blue in front of it, blended over the lit colour.
    EXPECT_RGB_NEAR(world(-2, 0, 1), 64, 36, 128);
    // The picture's four texels where its rows say (row 0 at the bottom).
    EXPECT_RGB_NEAR(world(1.5f, -0.5f, 0), 0, 0, 255);
    EXPECT_RGB_NEAR(world(2.5f, -0.5f, 0), 255, 255, 0);
    EXPECT_RGB_NEAR(world(1.5f, 0.5f, 0), 0, 255, 0);
    EXPECT_RGB_NEAR(world(2.5f, 0.5f, 0), 255, 0, 255);
    // Sprite facing the camera.
    EXPECT_RGB_NEAR(world(0, 2, 0), 0, 255, 255);
    // 2D image at window pixels (10..30, 10..30) from the top left.
    EXPECT_RGB_NEAR(pixel(20, 20), 255, 255, 0);
    EXPECT_RGB_NEAR(pixel(5, 5), 102, 77, 102);
    // Text: 'A' has ink and takes the text's colour, 'B' has none.
    EXPECT_RGB_NEAR(pixel(158, 208), 0, 255, 0);
    EXPECT_RGB_NEAR(pixel(174, 208), 102, 77, 102);
    EXPECT_RGB_NEAR(pixel(152, 202), 255, 255, 0);
    SwapBuffers(screen);
}

TEST_F(KnownScene, CountersDescribeTheFrame) {
    build();
    render();
    const KStats& s = scene->stats;
    EXPECT_EQ(s.nbObjects, 3);
    EXPECT_EQ(s.nbVisObjects, 3);
    EXPECT_EQ(s.nbPolygons, 6);
    EXPECT_EQ(s.nbVisPolygons, 6);
    EXPECT_EQ(s.nbLights, 1);
    EXPECT_EQ(s.nbUsedLights, 1);
    EXPECT_EQ(s.nbTextures, 2);
    EXPECT_EQ(s.nbMaterials, 5);
    EXPECT_DOUBLE_EQ(s.textureMemory, 2 * 2 * 4 + 64 * 64 * 4);
    EXPECT_EQ(scene->screenWidth, W);
    EXPECT_EQ(scene->screenHeight, H);
    EXPECT_EQ(scene->camera, camera);

    // Hidden objects are neither drawn nor counted as visible; the light slot stays lit.
    red->hidden = 1;
    render();
    EXPECT_EQ(s.nbVisObjects, 2);
    EXPECT_EQ(s.nbVisPolygons, 4);
    EXPECT_RGB_NEAR(world(-2.8f, 0.8f, 0), 102, 77, 102);
}

TEST_F(KnownScene, ChangedMeshesAndTexturesAreSentAgain) {
    build();
    render();
    EXPECT_RGB_NEAR(world(-2.8f, 0.8f, 0), 128, 71, 0);

    // Move the lit quad out of sight through the mesh's own edit call.
    for (int i = 0; i < 4; ++i) {
        const KVector p = red->mesh->verts[i].pos;
        red->mesh->moveVert(i, p.x, p.y + 10, p.z);
    }
    // A texel rewritten and marked for the renderer.
    tex->pixels[0] = tex->pixels[1] = tex->pixels[2] = 255; // bottom-left: white
    tex->SetupTexture();
    render();
    EXPECT_RGB_NEAR(world(-2.8f, 0.8f, 0), 102, 77, 102);
    EXPECT_RGB_NEAR(world(1.5f, -0.5f, 0), 255, 255, 255);

    // The game's own path: bind, then glTexSubImage2D of the whole picture.
    tex->pixels[0] = tex->pixels[1] = tex->pixels[2] = 0; // bottom-left: black
    tex->PutGLparams();
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 2, 2, GL_RGBA, GL_UNSIGNED_BYTE, tex->GetPixels());
    render();
    EXPECT_RGB_NEAR(world(1.5f, -0.5f, 0), 0, 0, 0);
}

TEST_F(KnownScene, OpacityFadesAndBlendedSurfacesSortBackToFront) {
    build();
    // A second translucent quad between the first and the camera, made after it.
    auto* green = addMaterial({0, 1, 0, 1}, true);
    green->blend = 1;
    green->opacity = 0.5f;
    addQuad(green, {-3, -0.5f, 2}, {-1, -0.5f, 2}, {-1, 0.5f, 2}, {-3, 0.5f, 2});
    blue->InsertAsChildOf(nullptr); // now last in the graph: graph order is near to far
    blue->InsertAsChildOf(scene->root);
    render();
    // Far blue over red first, then near green: ((128,71,0)/2 + (0,0,255)/2)/2 + (0,255,0)/2.
    EXPECT_RGB_NEAR(world(-2, 0, 1), 32, 145, 64);

    // Opacity animations fade a material out completely.
    translucent->opacity = 0;
    green->opacity = 0;
    render();
    EXPECT_RGB_NEAR(world(-2, 0, 1), 128, 71, 0);
}

class Mirror : public RenderTest {};

TEST_F(Mirror, ReflectiveFloorShowsWhatStandsOnIt) {
    addCamera({0, 3, 6}, {-26.565f, 0, 0}); // looks at the origin
    auto* floorMat = addMaterial({0.2f, 0.2f, 0.2f, 1}, true);
    floorMat->reflect = 0.8f;
    addQuad(floorMat, {-4, 0, 8}, {4, 0, 8}, {4, 0, -4}, {-4, 0, -4});
    auto* standing = addMaterial({0, 1, 0, 1}, true);
    KObject* upright = addQuad(standing, {-1, 0, 0}, {1, 0, 0}, {1, 2, 0}, {-1, 2, 0});

    int x, y;
    project({0, -1, 0}, x, y); // where the mirror image of the green quad's middle shows
    render();
    EXPECT_RGB_NEAR(pixel(x, y), 10, 214, 10); // 0.2 x grey + 0.8 x green
    int sx, sy;
    project({0, 1, 0}, sx, sy);
    EXPECT_RGB_NEAR(pixel(sx, sy), 0, 255, 0); // the quad itself

    // Objects flagged out of reflections are not mirrored: the floor shows the clear colour.
    upright->reflect = 0;
    render();
    EXPECT_RGB_NEAR(pixel(x, y), 92, 71, 92);
    upright->reflect = 1;

    // Heads-up panels hang under the camera: they move with the view and are not mirrored.
    // Looking straight down, the image of a panel beside the view's centre is in sight.
    camera->prs.SetPosition(0, 3, 0);
    camera->prs.SetAngles(-90, 0, 0);
    upright->hidden = 1;
    auto* panelMat = addMaterial({1, 0, 1, 1}, true);
    panelMat->SetOption(KMAT_DOUBLESIDED, true); // the mirror shows its underside
    KObject* panel =
        addQuad(panelMat, {-0.1f, -0.1f, 0}, {0.1f, -0.1f, 0}, {0.1f, 0.1f, 0}, {-0.1f, 0.1f, 0});
    panel->prs.SetPosition(0.8f, 0.5f, -2);
    panel->InsertAsChildOf(camera);
    const KMatrix placed = panel->GetWorldMatrix();
    KVector image = placed.GetTrans();
    image.y = -image.y;
    int ix, iy;
    project(image, ix, iy);
    ASSERT_TRUE(ix > 0 && ix < W && iy > 0 && iy < H) << "the panel's image must be in view";
    render();
    EXPECT_RGB_NEAR(pixel(ix, iy), 92, 71, 92);
    // The same panel standing in the world at the same place is mirrored.
    panel->InsertAsChildOf(scene->root);
    panel->prs.SetPosition(placed.m[12], placed.m[13], placed.m[14]);
    panel->prs.SetAngles(-90, 0, 0);
    render();
    EXPECT_RGB_NEAR(pixel(ix, iy), 214, 10, 214);

    // Without a reflect strength the floor is plain grey.
    floorMat->reflect = 0;
    render();
    EXPECT_RGB_NEAR(pixel(x, y), 51, 51, 51);
}

// A reflective tile lying on a larger reflective table: the tile shows its own colour and its
// reflection, never the table beneath it, whichever of the two the renderer meets first.
TEST_F(Mirror, HigherSurfaceShowsItsReflectionNotTheSurfaceBelow) {
    addCamera({0, 3, 6}, {-26.565f, 0, 0});
    KMaterial* a = addMaterial({1, 0, 0, 1}, true);
    KMaterial* b = addMaterial({0, 0, 1, 1}, true);
    // Materials of one kind are merged and met in the order of their addresses: the table takes
    // the one met first.
    KMaterial* tableMat = a < b ? a : b;
    KMaterial* tileMat = a < b ? b : a;
    tableMat->diffuse = {1, 0, 0, 1};
    tileMat->diffuse = {0, 0, 1, 1};
    tableMat->reflect = tileMat->reflect = 0.5f;
    addQuad(tableMat, {-4, 0, 8}, {4, 0, 8}, {4, 0, -4}, {-4, 0, -4});
    addQuad(tileMat, {-2, 0.1f, 4}, {2, 0.1f, 4}, {2, 0.1f, -2}, {-2, 0.1f, -2});
    auto* standing = addMaterial({0, 1, 0, 1}, true);
    addQuad(standing, {-1, 0.1f, 0}, {1, 0.1f, 0}, {1, 2.1f, 0}, {-1, 2.1f, 0});

    int x, y;
    project({0, -0.9f, 0}, x, y); // the green quad's middle mirrored in the tile's top
    render();
    EXPECT_RGB_NEAR(pixel(x, y), 0, 128, 128); // half blue, half green; no red
    int tx, ty;
    project({1.5f, 0.1f, 3}, tx, ty); // bare tile, nothing mirrored: blue over the clear colour
    EXPECT_RGB_NEAR(pixel(tx, ty), 51, 38, 179);
}

} // namespace
