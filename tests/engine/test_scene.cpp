// SPDX-License-Identifier: GPL-3.0-or-later
// The scene's data: mesh edits, deep copies, re-parenting, reset and the renderer hooks,
// texts and fonts, the clock.

#include <cstring>
#include <gtest/gtest.h>

#include "engine/KivEngine.h"

namespace {

KMesh* triangleMesh(KScene& scene) {
    auto* m = new KMesh(&scene, 3, 1);
    KColor c{1, 1, 1, 1};
    m->addVert(KVector(0, 0, 0), KVector(), c, c);
    m->addVert(KVector(1, 0, 0), KVector(), c, c);
    m->addVert(KVector(0, 1, 0), KVector(), c, c);
    KFace f;
    f.initFace();
    f.SetVertsRef(0, 1, 2);
    m->addFace(f);
    return m;
}

int g_meshesFreed = 0;
int g_texturesFreed = 0;
void countMesh(KMesh*) {
    ++g_meshesFreed;
}
void countTexture(KTexture*) {
    ++g_texturesFreed;
}

} // namespace

TEST(SceneMesh, EveryEditMarksTheMeshChanged) {
    KScene scene;
    KMesh* m = triangleMesh(scene);
    struct {
        const char* what;
        void (*edit)(KMesh*);
    } edits[] = {
        {"addVert", [](KMesh* k) { k->addVert(KVertex()); }},
        {"addFace", [](KMesh* k) { k->addFace(k->faces[0]); }},
        {"moveVert", [](KMesh* k) { k->moveVert(1, 2, 2, 2); }},
        {"Clear", [](KMesh* k) { k->Clear(); }},
    };
    for (const auto& e : edits) {
        m->changed = 0;
        e.edit(m);
        EXPECT_EQ(m->changed, 1) << e.what;
    }
    EXPECT_TRUE(m->verts.empty() && m->faces.empty());
}

TEST(SceneMesh, BadEditsAreRefusedWithoutTouchingTheMesh) {
    KScene scene;
    KMesh* m = triangleMesh(scene);
    KFace f;
    f.SetVertsRef(0, 1, 3); // vertex 3 does not exist
    EXPECT_EQ(m->addFace(f), -1);
    f.SetVertsRef(-1, 1, 2);
    EXPECT_EQ(m->addFace(f), -1);
    EXPECT_EQ(m->faces.size(), 1u);
    m->changed = 0;
    m->moveVert(3, 9, 9, 9);
    m->moveVert(-1, 9, 9, 9);
    EXPECT_EQ(m->changed, 0);
    m->moveVert(2, 0, 5, 0);
    EXPECT_EQ(m->verts[2].pos.y, 5);
}

TEST(SceneMesh, MissingNormalsComeFromTheFaces) {
    KScene scene;
    KMesh* m = triangleMesh(scene);
    m->verts[0].normal = KVector(1, 0, 0); // given normals stay
    m->ComputeMissingNormals();
    EXPECT_EQ(m->verts[0].normal.x, 1);
    EXPECT_NEAR(m->verts[1].normal.z, 1, 1e-6); // counter-clockwise seen from +z
}

TEST(SceneGraph, CopyNodeIsDeep) {
    KScene scene;
    auto* piece = new KObject(&scene);
    piece->name = "pionB";
    piece->tag = 2;
    piece->reflect = 0;
    piece->prs.SetPosition(0, 0.4f, 0);
    piece->SetMesh(triangleMesh(scene));
    auto* part = new KObject(&scene);
    part->SetMesh(triangleMesh(scene));
    part->InsertAsChildOf(piece);
    auto* lamp = new KLight(&scene);
    lamp->diffuse = KColor{0.5f, 0.25f, 0, 1};
    lamp->InsertAsChildOf(part);

    KNodeGraph* copy = CopyNode(piece, true);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->parent, nullptr); // copies start detached
    EXPECT_EQ(copy->name, "pionB");
    EXPECT_EQ(copy->tag, 2);
    EXPECT_EQ(copy->reflect, 0);
    EXPECT_NEAR(copy->prs.pos.y, 0.4f, 1e-6);
    KObject* c = copy->AsObject();
    ASSERT_TRUE(c && c->mesh);
    EXPECT_NE(c->mesh, piece->mesh); // own mesh: editing it leaves the original alone
    c->mesh->moveVert(0, 7, 7, 7);
    EXPECT_EQ(piece->mesh->verts[0].pos.x, 0);
    ASSERT_EQ(copy->children.size(), 1u);
    KNodeGraph* cpart = copy->children[0];
    EXPECT_NE(cpart, part);
    EXPECT_EQ(cpart->parent, copy);
    ASSERT_EQ(cpart->children.size(), 1u);
    KLight* clamp = cpart->children[0]->AsLight();
    ASSERT_NE(clamp, nullptr);
    EXPECT_NE(clamp, lamp);
    EXPECT_EQ(clamp->diffuse.g, 0.25f);
    EXPECT_EQ(piece->children.size(), 1u);           // the original is untouched
    EXPECT_EQ(GetObjByName(&scene, "pionB"), piece); // look-ups find the original first

    KNodeGraph* twin = CopyNode(piece, true, KCOPY_SHARED_MESHES); // at every depth
    ASSERT_EQ(twin->children.size(), 1u);
    EXPECT_EQ(twin->children[0]->AsObject()->mesh, part->mesh);

    KNodeGraph* shallow = CopyNode(piece, false);
    EXPECT_TRUE(shallow->children.empty());
    EXPECT_EQ(CopyNode(nullptr, true), nullptr);
}

TEST(SceneGraph, InsertAsChildOfReparentsDetachesAndRefusesLoops) {
    KScene scene;
    auto* a = new KShell(&scene);
    auto* b = new KShell(&scene);
    auto* n = new KShell(&scene);
    a->InsertAsChildOf(scene.root);
    b->InsertAsChildOf(scene.root);
    n->prs.SetPosition(1, 2, 3);
    EXPECT_TRUE(n->InsertAsChildOf(a));
    EXPECT_TRUE(n->IsDrawn());
    EXPECT_TRUE(n->InsertAsChildOf(b));
    EXPECT_TRUE(a->children.empty());
    ASSERT_EQ(b->children.size(), 1u);
    EXPECT_EQ(n->prs.pos.z, 3); // local transform kept
    EXPECT_TRUE(n->InsertAsChildOf(nullptr));
    EXPECT_TRUE(b->children.empty());
    EXPECT_FALSE(n->IsDrawn());
    n->InsertAsChildOf(a);
    EXPECT_FALSE(a->InsertAsChildOf(n)); // under its own child
    EXPECT_FALSE(a->InsertAsChildOf(a));
    EXPECT_EQ(a->parent, scene.root);
    b->hidden = 1;
    n->InsertAsChildOf(b);
    EXPECT_FALSE(n->IsDrawn());
}

TEST(SceneGraph, DeletingANodeUnlinksIt) {
    KScene scene;
    auto* a = new KShell(&scene);
    auto* b = new KShell(&scene);
    a->InsertAsChildOf(scene.root);
    b->InsertAsChildOf(a);
    auto* light = new KLight(&scene);
    scene.selectedLight = light;
    delete a;
    EXPECT_EQ(b->parent, nullptr);
    EXPECT_TRUE(scene.root->children.empty());
    delete light;
    EXPECT_EQ(scene.selectedLight, nullptr);
    EXPECT_EQ(std::count(scene.nodes.begin(), scene.nodes.end(), b), 1);
}

TEST(SceneGraph, ResetFreesEverythingThroughTheRendererHooks) {
    KRenderHooks saved = KGetRenderHooks();
    KRenderHooks hooks;
    hooks.meshDestroyed = countMesh;
    hooks.textureDestroyed = countTexture;
    KSetRenderHooks(hooks);
    g_meshesFreed = g_texturesFreed = 0;
    {
        KScene scene;
        auto* obj = new KObject(&scene);
        obj->SetMesh(triangleMesh(scene));
        obj->InsertAsChildOf(scene.root);
        new KTexture(&scene);
        auto* t = new KTexte();
        scene.AddTexte(t);
        scene.AddTexte(t); // once only
        EXPECT_EQ(scene.textes.size(), 1u);
        scene.selectedLight = new KLight(&scene);
        scene.Reset();
        EXPECT_EQ(g_meshesFreed, 1);
        EXPECT_EQ(g_texturesFreed, 1);
        EXPECT_TRUE(scene.textes.empty());
        EXPECT_EQ(scene.selectedLight, nullptr);
        ASSERT_NE(scene.root, nullptr);
        EXPECT_TRUE(scene.root->children.empty());
        EXPECT_EQ(scene.nodes.size(), 1u); // the new root
        // A mesh deleted on its own leaves no dangling pointer in its object.
        auto* o2 = new KObject(&scene);
        KMesh* m2 = triangleMesh(scene);
        o2->SetMesh(m2);
        delete m2;
        EXPECT_EQ(o2->mesh, nullptr);
        EXPECT_EQ(g_meshesFreed, 2);
    }
    KSetRenderHooks(saved);
}

TEST(SceneText, SetTexteCopiesSafely) {
    KTexte t;
    t.SetTexte(">_");
    EXPECT_STREQ(t.texte, ">_");
    EXPECT_EQ(t.texte[2], 0);
    std::string longer(400, 'x');
    t.SetTexte(longer.c_str());
    EXPECT_EQ(std::strlen(t.texte), static_cast<size_t>(KTexte::MAX_LEN));
    t.SetTexte("abc", 2);
    EXPECT_STREQ(t.texte, "ab");
    t.SetTexte("ab", 256); // length beyond the string: stops at its end
    EXPECT_STREQ(t.texte, "ab");
    t.SetTexte(nullptr);
    EXPECT_STREQ(t.texte, "");
    // Written character by character, as the edit lines do.
    t.texte[0] = '>';
    t.texte[1] = 'h';
    EXPECT_STREQ(t.texte, ">h");
}

TEST(SceneText, FontGridIsSixteenBySixteenLatin1) {
    KScene scene;
    auto* font = new KFont(&scene);
    font->BuildFontLists(16, 16, 16, -4.5f);
    // 'A' (65) is column 1, row 4 from the top: v runs bottom-up.
    const KGlyph& a = font->glyphs['A'];
    EXPECT_NEAR(a.u0, 1 / 16.0f, 1e-6);
    EXPECT_NEAR(a.u1, 2 / 16.0f, 1e-6);
    EXPECT_NEAR(a.v1, 1 - 4 / 16.0f, 1e-6);
    EXPECT_NEAR(a.v0, 1 - 5 / 16.0f, 1e-6);
    EXPECT_NEAR(a.advance, 11.5f, 1e-6);
    const KGlyph& e = font->glyphs[0xE9]; // Latin-1 e acute: last-but-one row
    EXPECT_NEAR(e.v0, 1 / 16.0f, 1e-6);
    EXPECT_NEAR(font->TextWidth("FPS 59.9"), 8 * 11.5f, 1e-4);
    font->BuildFontLists(16, 16, 12, -20); // spacing eating the whole cell still advances
    EXPECT_GE(font->glyphs['x'].advance, 1.0f);
}

TEST(SceneText, ModifiedFontImageTakesAlphaFromBrightness) {
    KScene scene;
    auto* t = new KTexture(&scene);
    t->width = 2;
    t->height = 1;
    t->pixels = {0, 0, 0, 255, 200, 100, 50, 255};
    t->CreateModifiedImg();
    const std::vector<unsigned char> expect = {255, 255, 255, 0, 255, 255, 255, 200};
    EXPECT_EQ(t->pixels, expect);
    EXPECT_FALSE(t->LoadTexture(".\\no\\such\\picture.bmp"));
    t->PutGLparams(); // without a GL context: nothing, and no crash
}

TEST(SceneMaterial, SetOptionRaisesTheChangeFlagsOnlyOnAChange) {
    KScene scene;
    auto* m = new KMaterial(&scene);
    m->changed = m->optionsChanged = m->orderChanged = 0;
    m->SetOption(KMAT_VERTEXCOLOR | KMAT_AUTONORMALS, true);
    EXPECT_TRUE(m->Has(KMAT_VERTEXCOLOR | KMAT_AUTONORMALS));
    EXPECT_EQ(m->optionsChanged, 1);
    m->changed = m->optionsChanged = m->orderChanged = 0;
    m->SetOption(KMAT_VERTEXCOLOR, true); // already so
    m->SetOption(KMAT_UNLIT, false);      // already so
    EXPECT_EQ(m->optionsChanged + m->changed + m->orderChanged, 0);
    m->SetOption(KMAT_VERTEXCOLOR, false);
    EXPECT_FALSE(m->Has(KMAT_VERTEXCOLOR));
    EXPECT_EQ(m->changed, 1);
}

TEST(SceneClock, TestClockAdvancesOnlyByHand) {
    KSetTestClock(true);
    unsigned int stamp = 0;
    GetTimePassed(&stamp);
    EXPECT_FLOAT_EQ(GetTimePassed(&stamp), 0.0f);
    KAdvanceTestClock(0.25);
    EXPECT_NEAR(GetTimePassed(&stamp), 0.25f, 1e-6);
    EXPECT_FLOAT_EQ(GetTimePassed(&stamp), 0.0f); // the stamp moved on
    KAdvanceTestClock(1.0);
    unsigned int other = stamp;
    KAdvanceTestClock(0.5);
    EXPECT_NEAR(GetTimePassed(&other), 1.5f, 1e-6);
    // Stamps wrap after 2^32 microseconds; differences still come out right.
    unsigned int old = KGetTicks() - 100000u;
    EXPECT_NEAR(GetTimePassed(&old), 0.1f, 1e-6);
    EXPECT_EQ(GetTimePassed(nullptr), 0.0f);
    KSetTestClock(false);
}
