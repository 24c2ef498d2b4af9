// SPDX-License-Identifier: GPL-3.0-or-later
#include "render_fixture.h"

#include <SDL2/SDL.h>

KScreen* RenderTest::screen = nullptr;

void RenderTest::SetUpTestSuite() {
    KivInitDLL();
    screen = CreateWindowedScreen(W, H);
    if (screen) ShowWindow(screen->hwnd, SW_SHOW);
}

void RenderTest::TearDownTestSuite() {
    delete screen;
    screen = nullptr;
    KivFreeDLL();
}

void RenderTest::SetUp() {
    if (!screen)
        GTEST_SKIP() << "no OpenGL 3.3 context can be created here (no display and no "
                        "offscreen EGL): nothing was drawn or checked";
    scene = CreateScene();
}

void RenderTest::TearDown() {
    if (screen) screen->scene = nullptr;
    delete scene; // frees the GPU copies through the renderer's hooks
}

KCamera* RenderTest::addCamera(const KVector& pos, const KVector& rot) {
    camera = new KCamera(scene);
    camera->InsertAsChildOf(scene->root);
    camera->prs.SetPosition(pos.x, pos.y, pos.z);
    camera->prs.SetAngles(rot.x, rot.y, rot.z);
    return camera;
}

KMaterial* RenderTest::addMaterial(const KColor& diffuse, bool unlit) {
    auto* m = new KMaterial(scene);
    m->diffuse = diffuse;
    m->ambient = KColor{0, 0, 0, 1};
    m->SetOption(KMAT_UNLIT, unlit);
    return m;
}

namespace {

// The two triangles of the quad whose corners are vertices base .. base + 3 in order, with the
// texture's corners on the quad's.
void addQuadFaces(KMesh& mesh, int base, KMaterial* mat) {
    const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const int tris[2][3] = {{0, 1, 2}, {0, 2, 3}};
    for (const auto& t : tris) {
        KFace f;
        f.initFace();
        f.SetVertsRef(base + t[0], base + t[1], base + t[2]);
        for (int k = 0; k < 3; ++k)
            f.SetUV(k, uv[t[k]][0], uv[t[k]][1]);
        f.SetMaterial(mat);
        mesh.addFace(f);
    }
}

// An object showing `mesh`, under the scene's root.
KObject* showMesh(KScene* scene, KMesh* mesh) {
    auto* obj = new KObject(scene);
    obj->SetMesh(mesh);
    obj->InsertAsChildOf(scene->root);
    return obj;
}

} // namespace

KObject* RenderTest::addSkyBox(KMaterial* mat, float half) {
    auto* mesh = new KMesh(scene, 24, 12);
    const KColor white{1, 1, 1, 1};
    const float s = half;
    const KVector corners[6][4] = {{{-s, -s, -s}, {s, -s, -s}, {s, s, -s}, {-s, s, -s}},
                                   {{-s, -s, s}, {s, -s, s}, {s, s, s}, {-s, s, s}},
                                   {{-s, -s, -s}, {-s, -s, s}, {-s, s, s}, {-s, s, -s}},
                                   {{s, -s, -s}, {s, -s, s}, {s, s, s}, {s, s, -s}},
                                   {{-s, s, -s}, {s, s, -s}, {s, s, s}, {-s, s, s}},
                                   {{-s, -s, -s}, {s, -s, -s}, {s, -s, s}, {-s, -s, s}}};
    for (const auto& face : corners) {
        const int base = static_cast<int>(mesh->verts.size());
        for (const KVector& c : face)
            mesh->addVert(c, {0, 0, 0}, white, white);
        addQuadFaces(*mesh, base, mat);
    }
    return showMesh(scene, mesh);
}

KObject* RenderTest::addQuad(KMaterial* mat, const KVector& a, const KVector& b, const KVector& c,
                             const KVector& d) {
    auto* mesh = new KMesh(scene, 4, 2);
    const KVector n = (b - a).Cross(c - a).Normalized();
    const KColor white{1, 1, 1, 1};
    for (const KVector& p : {a, b, c, d})
        mesh->addVert(p, n, white, white);
    addQuadFaces(*mesh, 0, mat);
    return showMesh(scene, mesh);
}

void RenderTest::render() {
    RenderScene(scene, screen, camera, clear, false);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

Rgb RenderTest::pixel(int x, int y) {
    unsigned char p[4] = {0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    // Rows from the window's bottom (bars around a full screen's picture make it the taller).
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(screen->window, &w, &h);
    glReadPixels(x, (h > 0 ? h : screen->height) - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return Rgb{p[0], p[1], p[2]};
}

void RenderTest::project(const KVector& p, int& x, int& y) {
    const KMatrix view = camera->GetWorldMatrix().Inverse();
    const KMatrix proj = camera->GetProjMatrix(static_cast<float>(W) / H);
    const KMatrix vp = proj * view;
    const float* m = vp.m;
    const float cx = m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12];
    const float cy = m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13];
    const float cw = m[3] * p.x + m[7] * p.y + m[11] * p.z + m[15];
    x = static_cast<int>((cx / cw * 0.5f + 0.5f) * W);
    y = static_cast<int>((0.5f - cy / cw * 0.5f) * H);
}
