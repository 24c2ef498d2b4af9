// SPDX-License-Identifier: GPL-3.0-or-later
// The statistics counters of the last frame, as the game's statistics lines print them.

#include "engine/mesh.h"
#include "engine/node.h"
#include "engine/render_state.h"
#include "engine/scene.h"
#include "engine/texture.h"

#include <SDL2/SDL.h>

namespace {

constexpr double FPS_INTERVAL_SECONDS = 0.5; // the rate is frames counted over this long

} // namespace

void KUpdateStats(KRenderState& rs, KScene* scene, int visObjects, int visPolygons) {
    // 1. Frame rate, from real time (the test clock does not slow the display).
    ++rs.fpsFrames;
    const unsigned long long now = SDL_GetPerformanceCounter();
    const double elapsed =
        static_cast<double>(now - rs.fpsStart) / static_cast<double>(SDL_GetPerformanceFrequency());
    if (elapsed >= FPS_INTERVAL_SECONDS) {
        rs.fps = static_cast<float>(rs.fpsFrames / elapsed);
        rs.fpsFrames = 0;
        rs.fpsStart = now;
    }

    // 2. Counts over everything the scene holds.
    KStats& s = scene->stats;
    s.fps = rs.fps;
    s.nbNodes = static_cast<int>(scene->nodes.size());
    s.nbMeshes = static_cast<int>(scene->meshes.size());
    s.nbObjects = 0;
    s.nbPolygons = 0;
    s.nbLights = 0;
    for (KNodeGraph* n : scene->nodes) {
        if (KObject* o = n->AsObject()) {
            ++s.nbObjects;
            if (o->mesh) s.nbPolygons += static_cast<int>(o->mesh->faces.size());
        } else if (n->AsLight()) {
            ++s.nbLights;
        }
    }
    s.nbVisObjects = visObjects;
    s.nbVisPolygons = visPolygons;
    s.nbDrawCalls = rs.drawCalls;
    s.nbDrawnTriangles = rs.drawnTriangles;
    s.nbUsedLights = rs.lightCount;
    s.renderScale = rs.scale;
    s.nbTextures = static_cast<int>(scene->textures.size());
    s.nbMaterials = static_cast<int>(scene->materials.size());
    double bytes = 0;
    for (const KTexture* t : scene->textures)
        bytes += static_cast<double>(t->width) * t->height * 4;
    s.textureMemory = bytes;
}
