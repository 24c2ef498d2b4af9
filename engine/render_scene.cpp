// SPDX-License-Identifier: GPL-3.0-or-later
// RenderScene and SwapBuffers: the frame's passes, and the renderer's life with the screen.

#include "engine/clock.h"
#include "engine/hooks.h"
#include "engine/log.h"
#include "engine/material.h"
#include "engine/mesh.h"
#include "engine/node.h"
#include "engine/render_api.h"
#include "engine/render_state.h"
#include "engine/scene.h"
#include "engine/screen_api.h"
#include "engine/text2d.h"
#include "engine/texture.h"

#include <SDL2/SDL.h>
#include <algorithm>
#include <cmath>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

bool g_glAlive = false;     // a renderer's context exists: GL objects may be deleted
bool g_memoryLetGo = false; // since the last swap (KNoteMemoryLetGo)

void onMeshDestroyed(KMesh* m) {
    KFreeGpuMesh(m);
}
void onTextureDestroyed(KTexture* t) {
    KFreeGpuTexture(t);
}
void onTextureNeedsUpload(KTexture* t) {
    if (g_glAlive) KUploadTexture(t);
}

// Perspective for a node that is not a camera: the engine's default 60 degree view.
KMatrix perspective(float halfAngleDeg, float aspect, float nearDist, float farDist) {
    KMatrix p;
    const float f = 1.0f / std::tan(halfAngleDeg * 0.017453292f);
    for (float& v : p.m)
        v = 0;
    p.m[0] = f / aspect;
    p.m[5] = f;
    p.m[10] = (farDist + nearDist) / (nearDist - farDist);
    p.m[11] = -1;
    p.m[14] = 2 * farDist * nearDist / (nearDist - farDist);
    return p;
}

// 1. The camera: view, projection and the axes sprites turn to.
void setupView(KRenderState& rs, KNodeGraph* node, float aspect) {
    const KMatrix world = node ? node->GetWorldMatrix() : KMatrix();
    KCamera* cam = node ? node->AsCamera() : nullptr;
    rs.view = world.Inverse();
    rs.proj = cam ? cam->GetProjMatrix(aspect) : perspective(30.0f, aspect, 0.1f, 1000.0f);
    rs.viewProj = rs.proj * rs.view;
    rs.camPos = world.GetTrans();
    rs.camRight = world.TransformDir(KVector(1, 0, 0)).Normalized();
    rs.camUp = world.TransformDir(KVector(0, 1, 0)).Normalized();
    rs.camForward = world.TransformDir(KVector(0, 0, -1)).Normalized();
}

float viewDepth(const KRenderState& rs, const KVector& p) {
    return (p - rs.camPos).Dot(rs.camForward);
}

// Whether the eye lies inside an object's bounds (with a margin for the near plane). Things
// parked under the camera sit there to be out of sight; drawn, they would only show as a smear
// cut by the near plane across the middle of the window.
bool aroundEye(const KRenderState& rs, const KMatrix& world, const KGpuMesh& gm) {
    constexpr float MARGIN = 0.1f; // object units
    const KVector eye = world.Inverse().TransformPoint(rs.camPos);
    return eye.x >= gm.lo.x - MARGIN && eye.x <= gm.hi.x + MARGIN && eye.y >= gm.lo.y - MARGIN &&
           eye.y <= gm.hi.y + MARGIN && eye.z >= gm.lo.z - MARGIN && eye.z <= gm.hi.z + MARGIN;
}

// Whether an object lies flat enough to be a planar mirror: no taller than half its width and
// its depth. A polished ball or column is drawn as a plain shiny surface: mirrored in the plane
// of its top it would show a wrong picture, and put the board's mirror at its own height.
bool isFlat(const KMatrix& world, const KGpuMesh& gm) {
    KVector lo(1e30f, 1e30f, 1e30f), hi(-1e30f, -1e30f, -1e30f);
    for (int c = 0; c < 8; ++c) {
        const KVector p = world.TransformPoint(KVector(
            (c & 1) ? gm.hi.x : gm.lo.x, (c & 2) ? gm.hi.y : gm.lo.y, (c & 4) ? gm.hi.z : gm.lo.z));
        lo = KVector(std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z));
        hi = KVector(std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z));
    }
    return hi.y - lo.y <= 0.5f * std::min(hi.x - lo.x, hi.z - lo.z);
}

// The run of `mat` in a GPU mesh, or null.
const KGpuRange* rangeOf(const KGpuMesh& gm, const KMaterial* mat) {
    for (const KGpuRange& r : gm.ranges)
        if (r.mat == mat) return &r;
    return nullptr;
}

// The level of detail an object is drawn with at view depth `depth`, by its screen coverage,
// and the coarsest level, which stands for it in mirrors. Levels that cannot be sent are
// skipped.
void pickLevels(KRenderState& rs, const KObject& o, float depth, const KGpuMesh*& drawn,
                const KGpuMesh*& mirrored) {
    const KMesh& mesh = *o.mesh;
    const KVector half = (drawn->hi - drawn->lo) * 0.5f;
    const float radius = half.Length() * o.world.TransformDir(KVector(1, 0, 0)).Length();
    // Diameter on screen over the window's height: 2r / (2 d tan(fov / 2)) = r proj[5] / d.
    const float coverage = radius * rs.proj.m[5] / std::max(depth, 1e-3f);
    for (size_t i = 0; i < mesh.levels.size(); ++i) {
        KMesh* level = mesh.levels[i];
        if (!level || !KUploadMesh(rs, level)) continue;
        KLetGoOfLevel(level);
        const auto* lg = static_cast<const KGpuMesh*>(level->gpu);
        mirrored = lg;
        if (i < mesh.levelCoverage.size() && coverage < mesh.levelCoverage[i]) drawn = lg;
    }
}

// Moves what hangs under the camera from `list` to `hud`, keeping the order of both.
void splitHeadsUp(std::vector<KDrawItem>& list, std::vector<KDrawItem>& hud) {
    hud.clear();
    size_t kept = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i].onCamera)
            hud.push_back(list[i]);
        else
            list[kept++] = list[i];
    }
    list.resize(kept);
}

// 2. Walk the drawn part of the graph into the frame's lists. What hangs under the viewing
// camera (the heads-up panels) is marked, so mirrors leave it out; what is parked there at the
// eye is left out altogether.
void collect(KRenderState& rs, KScene* scene, KNodeGraph* camera, int& visObjects,
             int& visPolygons) {
    rs.opaque.clear();
    rs.blended.clear();
    rs.reflective.clear();
    rs.batchable.clear();
    rs.lights.clear();
    rs.stack.clear();
    if (scene->root && !scene->root->hidden)
        rs.stack.push_back(KWalkEntry{scene->root, scene->root == camera});
    while (!rs.stack.empty()) {
        const KWalkEntry e = rs.stack.back();
        KNodeGraph* n = e.node;
        rs.stack.pop_back();
        for (auto it = n->children.rbegin(); it != n->children.rend(); ++it)
            if (*it && !(*it)->hidden)
                rs.stack.push_back(KWalkEntry{*it, e.onCamera || *it == camera});
        if (KLight* l = n->AsLight()) {
            if (l != scene->selectedLight) rs.lights.push_back(l);
        } else if (KSprite* s = n->AsSprite()) {
            const float scale = n->world.TransformDir(KVector(1, 0, 0)).Length();
            const KVector at = n->world.GetTrans();
            KDrawItem item{n, s->mat, nullptr,           0,         6,         nullptr,
                           0, 0,      viewDepth(rs, at), KMatrix(), e.onCamera};
            const KVector r = rs.camRight * (s->width * scale);
            const KVector u = rs.camUp * (s->height * scale);
            const KVector f = rs.camForward * -1.0f;
            const float cols[16] = {r.x, r.y, r.z, 0, u.x,  u.y,  u.z,  0,
                                    f.x, f.y, f.z, 0, at.x, at.y, at.z, 1};
            std::copy(cols, cols + 16, item.model.m);
            rs.blended.push_back(item);
        } else if (KObject* o = n->AsObject()) {
            if (!o->mesh || !KUploadMesh(rs, o->mesh)) continue;
            const auto* gm = static_cast<const KGpuMesh*>(o->mesh->gpu);
            const bool enclosing = aroundEye(rs, n->world, *gm);
            if (e.onCamera && enclosing) continue;
            const KVector centre = n->world.TransformPoint((gm->lo + gm->hi) * 0.5f);
            // A sky or room around the eye is drawn after the other opaque things, so the depth
            // test spares the pixels they hide (its centre says nothing about its distance).
            const float depth = enclosing ? SKY_DEPTH : viewDepth(rs, centre);
            const KGpuMesh* drawn = gm;
            const KGpuMesh* mirrored = gm;
            if (!o->mesh->levels.empty() && !enclosing) pickLevels(rs, *o, depth, drawn, mirrored);
            ++visObjects;
            visPolygons += drawn->vertexCount / 3;
            const bool flat = isFlat(n->world, *gm);
            for (const KGpuRange& r : drawn->ranges) {
                // The mirror's level holds the same materials; should one lack it, the level
                // drawn stands in.
                const KGpuRange* m = rangeOf(*mirrored, r.mat);
                const KGpuMesh* mm = m ? mirrored : drawn;
                if (!m) m = &r;
                KMaterial* mat = o->DrawnMaterial(r.mat);
                KDrawItem item{n,        mat,      drawn, r.first,  r.count,   mm,
                               m->first, m->count, depth, n->world, e.onCamera};
                item.reflective = mat && mat->reflect > 0 && flat;
                if (mat && mat->IsBlended())
                    rs.blended.push_back(item);
                else if (!drawn->cpuIndices.empty())
                    rs.batchable.push_back(item); // merged with its like after the walk
                else if (item.reflective)
                    rs.reflective.push_back(item);
                else
                    rs.opaque.push_back(item);
            }
        }
    }
    KMergeBatches(rs);
    splitHeadsUp(rs.opaque, rs.hudOpaque);
    splitHeadsUp(rs.blended, rs.hudBlended);
    // The light slot comes first, so it always lights the frame.
    if (scene->selectedLight && scene->selectedLight->IsDrawn())
        rs.lights.insert(rs.lights.begin(), scene->selectedLight);
    if (rs.lights.size() > MAX_LIGHTS) rs.lights.resize(MAX_LIGHTS);
}

void setBlendFor(const KMaterial* mat) {
    if (mat && (mat->options & KMAT_ADDITIVE)) {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glDepthMask(GL_FALSE);
    } else {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDepthMask(mat && mat->noZWrite ? GL_FALSE : GL_TRUE);
    }
}

} // namespace

bool KRenderGlAlive() {
    return g_glAlive;
}

bool KRenderInit(KScreen* screen) {
    auto* rs = new KRenderState;
    rs->samples = screen->samples;
    if (!KBuildBasePrograms(*rs) || !KBuildOverlayProgram(rs->overlay)) {
        KDeletePrograms(*rs);
        delete rs;
        return false;
    }
    // Sprite quad: two triangles, centred, facing +z, normal +z, white.
    const float q[6][12] = {
        {-0.5f, -0.5f, 0, 0, 0, 1, 0, 0, 1, 1, 1, 1}, {0.5f, -0.5f, 0, 0, 0, 1, 1, 0, 1, 1, 1, 1},
        {0.5f, 0.5f, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1},   {-0.5f, -0.5f, 0, 0, 0, 1, 0, 0, 1, 1, 1, 1},
        {0.5f, 0.5f, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1},   {-0.5f, 0.5f, 0, 0, 0, 1, 0, 1, 1, 1, 1, 1}};
    glGenVertexArrays(1, &rs->quadVao);
    glGenBuffers(1, &rs->quadVbo);
    glBindVertexArray(rs->quadVao);
    glBindBuffer(GL_ARRAY_BUFFER, rs->quadVbo);
    glBufferData(GL_ARRAY_BUFFER, sizeof q, q, GL_STATIC_DRAW);
    const int sizes[4] = {3, 3, 2, 4};
    int offset = 0;
    for (GLuint a = 0; a < 4; ++a) {
        glEnableVertexAttribArray(a);
        glVertexAttribPointer(a, sizes[a], GL_FLOAT, GL_FALSE, 12 * sizeof(float),
                              reinterpret_cast<const void*>(offset * sizeof(float)));
        offset += sizes[a];
    }
    // Window-space stream: x, y, u, v per vertex.
    glGenVertexArrays(1, &rs->streamVao);
    glGenBuffers(1, &rs->streamVbo);
    glBindVertexArray(rs->streamVao);
    glBindBuffer(GL_ARRAY_BUFFER, rs->streamVbo);
    rs->streamCapacity = 1 << 20;
    glBufferData(GL_ARRAY_BUFFER, rs->streamCapacity, nullptr, GL_STREAM_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, 4 * sizeof(float), nullptr);
    glBindVertexArray(0);

    const unsigned char white[4] = {255, 255, 255, 255};
    glGenTextures(1, &rs->whiteTex);
    glBindTexture(GL_TEXTURE_2D, rs->whiteTex);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);

    // Room for a typical scene up front, so the first frames do not grow the lists.
    rs->opaque.reserve(1024);
    rs->blended.reserve(256);
    rs->hudOpaque.reserve(256);
    rs->hudBlended.reserve(256);
    rs->reflective.reserve(128);
    rs->batchable.reserve(1024);
    rs->batchOrder.reserve(1024);
    rs->stack.reserve(1024);
    rs->lights.reserve(64);
    rs->textScratch.reserve(KTexte::MAX_LEN * 24); // 6 corners of x, y, u, v a character
    rs->fpsStart = SDL_GetPerformanceCounter();

    screen->render = rs;
    g_glAlive = true;
    KRenderHooks hooks;
    hooks.meshDestroyed = onMeshDestroyed;
    hooks.textureDestroyed = onTextureDestroyed;
    hooks.textureNeedsUpload = onTextureNeedsUpload;
    KSetRenderHooks(hooks);
    return true;
}

void KRenderShutdown(KScreen* screen) {
    KRenderState* rs = screen->render;
    if (!rs) return;
    // GPU copies of meshes and textures die with the context; forget them so nothing deletes
    // a name of a context that no longer exists.
    KForgetGpuMeshes();
    KForgetGpuTextures();
    KDeletePrograms(*rs);
    KFreeBatches(*rs);
    KFreeReflections(*rs);
    glDeleteProgram(rs->overlay.id);
    if (rs->upscale.id) glDeleteProgram(rs->upscale.id);
    glDeleteBuffers(1, &rs->quadVbo);
    glDeleteVertexArrays(1, &rs->quadVao);
    glDeleteBuffers(1, &rs->streamVbo);
    glDeleteVertexArrays(1, &rs->streamVao);
    glDeleteTextures(1, &rs->whiteTex);
    KFreeFrameTarget(*rs);
    g_glAlive = false;
    delete rs;
    screen->render = nullptr;
}

namespace {

// The game's picture in the drawable: the whole of it, or in full screen the 4:3 picture the
// screen's size and origin give, scaled like the drawable (high-density displays).
void placePicture(KRenderState& rs, const KScreen* screen, int drawableW, int drawableH) {
    rs.pictureX = rs.pictureY = 0;
    rs.pictureW = drawableW;
    rs.pictureH = drawableH;
    rs.bars = false;
    rs.barsOriginX = rs.barsOriginY = 0;
    if (drawableW <= 0 || drawableH <= 0) {
        rs.pictureW = screen->width, rs.pictureH = screen->height;
        drawableW = rs.pictureW, drawableH = rs.pictureH;
    } else if (screen->originX != 0 || screen->originY != 0) {
        int windowW = 0, windowH = 0;
        SDL_GetWindowSize(screen->window, &windowW, &windowH);
        if (windowW > 0 && windowH > 0) {
            const float sx = float(drawableW) / windowW, sy = float(drawableH) / windowH;
            rs.pictureW = int(screen->width * sx + 0.5f);
            rs.pictureH = int(screen->height * sy + 0.5f);
            rs.pictureX = int(screen->originX * sx + 0.5f);
            rs.pictureY = drawableH - int((screen->originY + screen->height) * sy + 0.5f);
            rs.bars = true;
            rs.barsOriginX = screen->originX;
            rs.barsOriginY = screen->originY;
            rs.windowW = windowW;
            rs.windowH = windowH;
        }
    }
    rs.drawableW = drawableW;
    rs.drawableH = drawableH;
}

bool nearerFirst(const KDrawItem& a, const KDrawItem& b) {
    return a.depth < b.depth;
}

const char* materialName(const KDrawItem& item) {
    return item.mat ? item.mat->name.c_str() : nullptr;
}

bool fartherFirst(const KDrawItem& a, const KDrawItem& b) {
    return a.depth > b.depth;
}

// Blended meshes and sprites, farthest first (the list sorted so).
void drawBlended(KRenderState& rs, const std::vector<KDrawItem>& list) {
    glEnable(GL_BLEND);
    for (const KDrawItem& item : list) {
        setBlendFor(item.mat);
        const auto* s = item.mesh ? nullptr : item.node->AsSprite();
        if (s && !s->depthTest) glDisable(GL_DEPTH_TEST);
        KDrawItemNow(rs, item, nullptr, 1.0f);
        if (s && !s->depthTest) glEnable(GL_DEPTH_TEST);
    }
    glDepthMask(GL_TRUE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_BLEND);
}

} // namespace

void RenderScene(KScene* scene, KScreen* screen, KNodeGraph* camera, const KVector& clearColor,
                 bool keepColor) {
    if (!scene || !screen || !screen->render) return;
    KRenderState& rs = *screen->render;
    if (SDL_GL_GetCurrentContext() != screen->glContext)
        SDL_GL_MakeCurrent(screen->window, screen->glContext);
    screen->scene = scene;
    scene->screenWidth = screen->width;
    scene->screenHeight = screen->height;
    scene->barWidth = screen->originX;
    scene->barHeight = screen->originY;
    scene->camera = camera ? camera->AsCamera() : nullptr;

    int drawableW = 0, drawableH = 0;
    SDL_GL_GetDrawableSize(screen->window, &drawableW, &drawableH);
    placePicture(rs, screen, drawableW, drawableH);
    KChooseScale(rs);
    rs.clearColor = clearColor;
    rs.streamUsed = 0;
    rs.drawCalls = 0;
    rs.drawnTriangles = 0;
    KBeginProgramFrame(rs);
    KPassBegin(rs);

    // 1. View and lists.
    if (scene->root) KUpdateWorld(scene->root);
    setupView(rs, camera, static_cast<float>(screen->width) / screen->height);
    int visObjects = 0, visPolygons = 0;
    collect(rs, scene, camera, visObjects, visPolygons);
    KPassMark(rs, "walk");

    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    glDisable(GL_BLEND);
    glDisable(GL_STENCIL_TEST);
    KSetLights(rs, false, 0);
    KSetClipPlane(rs, 0, 0, 0, 1);

    // 2. What the mirrors show, into its own texture.
    KPrepareReflections(rs);
    KPassMark(rs, "mirror pass");

    // 3. The 3D scene's target.
    KBeginWorld(rs, keepColor);
    screen->samples = rs.samples;
    if (rs.samples > 0) glEnable(GL_MULTISAMPLE);

    // 4. Opaque meshes, nearest first so hidden pixels fail the depth test before shading;
    //    the reflective surfaces with them; then the skies around the eye, whose pixels the
    //    depth test spares wherever something stands in front.
    std::sort(rs.opaque.begin(), rs.opaque.end(), nearerFirst);
    KPassMark(rs, "clear");
    size_t sky = 0;
    for (; sky < rs.opaque.size() && rs.opaque[sky].depth < SKY_DEPTH; ++sky) {
        KDrawItemNow(rs, rs.opaque[sky], nullptr, 1.0f);
        KPassMark(rs, "opaque", materialName(rs.opaque[sky]));
    }
    KDrawReflections(rs);
    for (; sky < rs.opaque.size(); ++sky) {
        if (KSkyHidden(rs, rs.opaque[sky])) continue;
        KDrawItemNow(rs, rs.opaque[sky], nullptr, 1.0f);
        KPassMark(rs, "sky", materialName(rs.opaque[sky]));
    }

    // 5. Blended meshes and sprites of the scene.
    std::sort(rs.blended.begin(), rs.blended.end(), fartherFirst);
    drawBlended(rs, rs.blended);
    KPassMark(rs, "blended");

    // 6. What hangs under the camera, at the picture's own resolution: filtered up first when
    //    the scene was drawn smaller. It lies nearer than the scene, in front of it.
    KEndWorld(rs);
    KPassMark(rs, "upscale");
    std::sort(rs.hudOpaque.begin(), rs.hudOpaque.end(), nearerFirst);
    for (const KDrawItem& item : rs.hudOpaque)
        KDrawItemNow(rs, item, nullptr, 1.0f);
    std::sort(rs.hudBlended.begin(), rs.hudBlended.end(), fartherFirst);
    drawBlended(rs, rs.hudBlended);
    KPassMark(rs, "heads-up");

    // 7. Window space: images and texts over everything.
    KDrawOverlay(rs, scene);
    glBindVertexArray(0);
    KEndFrameTarget(rs);
    KPassMark(rs, "texts and images");

    KUpdateStats(rs, scene, visObjects, visPolygons);
}

void KNoteMemoryLetGo() {
    g_memoryLetGo = true;
}

namespace {

void giveBackMemory() {
    if (!g_memoryLetGo) return;
    g_memoryLetGo = false;
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

} // namespace

void SwapBuffers(KScreen* screen) {
    if (!screen || !screen->window) return;
    // The offscreen driver's swap does not wait for the GPU: without this, frames pile up.
    if (screen->offscreen) glFinish();
    SDL_GL_SwapWindow(screen->window);
    // The frame is drawn: the driver has let go of what it held for it.
    giveBackMemory();
    // The time a player waits for the first picture, in the log.
    if (screen->render && !screen->render->frameShown) {
        screen->render->frameShown = true;
        Log("First frame shown %.2f s after the program started\n", KRealSecondsSinceStart());
    }
}
