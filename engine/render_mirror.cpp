// SPDX-License-Identifier: GPL-3.0-or-later
// Planar mirrors: materials with a reflect strength show what stands on them mirrored in the
// horizontal plane of their top surface (the polished board reflecting its pieces).
//
// 1. Before the 3D scene, the scene mirrored in that plane is drawn into a texture at half the
//    scene's resolution: lit by mirrored lights, clipped to what lies above the plane, only in
//    the window rectangle the surfaces cover. Its background is the colour of the sky around
//    the eye: the sky is not mirrored itself (mirroring a whole dome would shade the surfaces'
//    pixels once more for a faint, blurred picture), its average colour stands for it.
// 2. The surfaces are then drawn with the opaque things, each pixel blending its own colour
//    with the texture's at the same place, 1 - reflect of its own. A reflection is seen dimmed
//    through the surface, where half its resolution cannot be told, and the surfaces are shaded
//    once instead of being marked, cleared and blended over.

#include "engine/material.h"
#include "engine/node.h"
#include "engine/render_state.h"
#include "engine/texture.h"

#include <algorithm>

namespace {

// Reflection in the plane y = h: y' = 2h - y.
KMatrix mirrorMatrix(float h) {
    KMatrix m;
    m.m[5] = -1;
    m.m[13] = 2 * h;
    return m;
}

struct Rect {
    int x0, y0, x1, y1; // GL window pixels, origin bottom left; x1, y1 excluded
};

// World-space corner c (0..7) of an item's bounds, mirrored in y = h when `mirrorH` is set.
KVector corner(const KDrawItem& item, int c, const float* mirrorH) {
    const KVector& a = item.mesh->lo;
    const KVector& b = item.mesh->hi;
    KVector p = item.model.TransformPoint(
        KVector((c & 1) ? b.x : a.x, (c & 2) ? b.y : a.y, (c & 4) ? b.z : a.z));
    if (mirrorH) p.y = 2 * *mirrorH - p.y;
    return p;
}

float surfaceTop(const KDrawItem& item) {
    // The highest corner of the world bounds: the top face of a square tile.
    float top = -1e30f;
    for (int c = 0; c < 8; ++c)
        top = std::max(top, corner(item, c, nullptr).y);
    return top;
}

// Grows `r` by the window rectangle of the item's (mirrored) bounds. False when a corner is
// behind the eye: the caller then has to assume the whole window.
bool addScreenRect(const KRenderState& rs, const KDrawItem& item, const float* mirrorH, float lo[2],
                   float hi[2]) {
    const float* m = rs.viewProj.m;
    for (int c = 0; c < 8; ++c) {
        const KVector p = corner(item, c, mirrorH);
        const float w = m[3] * p.x + m[7] * p.y + m[11] * p.z + m[15];
        if (w <= 1e-4f) return false;
        const float nx = (m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12]) / w;
        const float ny = (m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13]) / w;
        lo[0] = std::min(lo[0], nx), hi[0] = std::max(hi[0], nx);
        lo[1] = std::min(lo[1], ny), hi[1] = std::max(hi[1], ny);
    }
    return true;
}

Rect toPixels(const KRenderState& rs, const float lo[2], const float hi[2]) {
    auto px = [](float ndc, int size) {
        return std::clamp(static_cast<int>((ndc * 0.5f + 0.5f) * size), 0, size);
    };
    // A pixel of margin each side for rounding.
    return Rect{std::max(px(lo[0], rs.worldW) - 1, 0), std::max(px(lo[1], rs.worldH) - 1, 0),
                std::min(px(hi[0], rs.worldW) + 1, rs.worldW),
                std::min(px(hi[1], rs.worldH) + 1, rs.worldH)};
}

// Window rectangle around the reflective surfaces, so the mirrored pass rasterises only there.
Rect surfaceRect(const KRenderState& rs) {
    float lo[2] = {1, 1}, hi[2] = {-1, -1};
    for (const KDrawItem& item : rs.reflective)
        if (!addScreenRect(rs, item, nullptr, lo, hi)) return Rect{0, 0, rs.worldW, rs.worldH};
    return toPixels(rs, lo, hi);
}

// Whether the mirror image of an opaque or blended item can show inside the surfaces' rectangle:
// not when the item lies wholly below the plane (its image is clipped away), nor when its
// image falls outside the rectangle.
bool mirrorCanShow(const KRenderState& rs, const KDrawItem& item, float h, const Rect& area) {
    if (surfaceTop(item) <= h) return false;
    float lo[2] = {1e30f, 1e30f}, hi[2] = {-1e30f, -1e30f};
    if (!addScreenRect(rs, item, &h, lo, hi)) return true;
    const Rect r = toPixels(rs, lo, hi);
    return r.x0 < area.x1 && area.x0 < r.x1 && r.y0 < area.y1 && area.y0 < r.y1;
}

// The item as the mirror draws it: with its coarsest level of detail (the reflection shows it
// dimmed through the surface, where fine facets cannot be told).
KDrawItem mirrorImage(const KDrawItem& item) {
    KDrawItem m = item;
    if (item.mirrorMesh) {
        m.mesh = item.mirrorMesh;
        m.first = item.mirrorFirst;
        m.count = item.mirrorCount;
    }
    return m;
}

// The colour a sky around the eye shows on average: its material's colour times its texture's
// average, plus its glow; the clear colour when there is no sky.
KColor skyColour(const KRenderState& rs) {
    for (const KDrawItem& item : rs.opaque) {
        if (item.depth < SKY_DEPTH) continue;
        const KMaterial* m = item.mat;
        if (!m) break;
        const KColor t = m->texture ? KTextureMean(m->texture) : KColor{1, 1, 1, 1};
        return KColor{std::min(1.0f, m->diffuse.r * t.r + m->emissive.r),
                      std::min(1.0f, m->diffuse.g * t.g + m->emissive.g),
                      std::min(1.0f, m->diffuse.b * t.b + m->emissive.b), 1};
    }
    return KColor{rs.clearColor.x, rs.clearColor.y, rs.clearColor.z, 1};
}

} // namespace

void KFreeReflections(KRenderState& rs) {
    if (rs.reflectFbo) glDeleteFramebuffers(1, &rs.reflectFbo);
    if (rs.reflectColor) glDeleteTextures(1, &rs.reflectColor);
    if (rs.reflectDepth) glDeleteRenderbuffers(1, &rs.reflectDepth);
    rs.reflectFbo = rs.reflectColor = rs.reflectDepth = 0;
    rs.reflectWidth = rs.reflectHeight = 0;
}

namespace {

// The reflection texture and its depth at w x h (made again when the size changes); false when
// the driver refuses them: the surfaces are then drawn plain.
bool bindReflectionTarget(KRenderState& rs, int w, int h) {
    if (rs.reflectFbo && rs.reflectWidth == w && rs.reflectHeight == h) {
        glBindFramebuffer(GL_FRAMEBUFFER, rs.reflectFbo);
        return true;
    }
    KFreeReflections(rs);
    glGenFramebuffers(1, &rs.reflectFbo);
    glGenTextures(1, &rs.reflectColor);
    glGenRenderbuffers(1, &rs.reflectDepth);
    glBindTexture(GL_TEXTURE_2D, rs.reflectColor);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, 0);
    rs.boundTexture = 0;
    glBindRenderbuffer(GL_RENDERBUFFER, rs.reflectDepth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, w, h);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, rs.reflectFbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, rs.reflectColor, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                              rs.reflectDepth);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        KFreeReflections(rs);
        return false;
    }
    rs.reflectWidth = w;
    rs.reflectHeight = h;
    return true;
}

} // namespace

void KPrepareReflections(KRenderState& rs) {
    rs.reflecting = false;
    if (rs.reflective.empty()) return;
    // Highest first, then nearest: seen from above, a higher flat surface lies in front of a
    // lower one wherever they overlap (the board's squares over its table); drawn first, it
    // hides the lower one's pixels from shading by the depth test.
    std::sort(rs.reflective.begin(), rs.reflective.end(),
              [](const KDrawItem& a, const KDrawItem& b) {
                  const float ta = surfaceTop(a), tb = surfaceTop(b);
                  return ta != tb ? ta > tb : a.depth < b.depth;
              });
    float h = -1e30f;
    for (const KDrawItem& item : rs.reflective)
        h = std::max(h, surfaceTop(item));
    rs.mirrorPlane = h;
    // Seen from below the plane there is nothing to mirror: plain surfaces.
    if (rs.camPos.y <= h) return;
    const Rect area = surfaceRect(rs);
    if (area.x1 <= area.x0 || area.y1 <= area.y0) return; // all off screen
    const int w = (rs.worldW + 1) / 2, hgt = (rs.worldH + 1) / 2;
    if (!bindReflectionTarget(rs, w, hgt)) return;

    // 1. The background: the sky's colour, everywhere (a surface's edge may sample just beside
    //    the rectangle), with depth at the far plane.
    glViewport(0, 0, w, hgt);
    glDisable(GL_SCISSOR_TEST);
    const KColor sky = skyColour(rs);
    glClearColor(sky.r, sky.g, sky.b, 1);
    glClearDepth(1.0);
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glScissor(area.x0 / 2, area.y0 / 2, (area.x1 + 1) / 2 - area.x0 / 2,
              (area.y1 + 1) / 2 - area.y0 / 2);
    glEnable(GL_SCISSOR_TEST);

    // 2. The mirrored scene. Mirroring turns the winding round.
    const KMatrix mirror = mirrorMatrix(h);
    KSetLights(rs, true, h);
    KSetClipPlane(rs, 0, -1, 0, h); // keeps y <= h after mirroring
    glEnable(GL_CLIP_DISTANCE0);
    glFrontFace(GL_CW);
    glDisable(GL_BLEND);
    for (const KDrawItem& item : rs.opaque)
        if (item.depth < SKY_DEPTH && item.node->reflect && !item.onCamera &&
            mirrorCanShow(rs, item, h, area))
            KDrawItemNow(rs, mirrorImage(item), &mirror, 1.0f);
    glEnable(GL_BLEND);
    for (const KDrawItem& item : rs.blended) {
        // Sprites face the real camera only.
        if (!item.mesh || !item.node->reflect || item.onCamera || !mirrorCanShow(rs, item, h, area))
            continue;
        glBlendFunc(GL_SRC_ALPHA, (item.mat && (item.mat->options & KMAT_ADDITIVE))
                                      ? GL_ONE
                                      : GL_ONE_MINUS_SRC_ALPHA);
        glDepthMask(GL_FALSE);
        KDrawItemNow(rs, mirrorImage(item), &mirror, 1.0f);
    }
    glDepthMask(GL_TRUE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_BLEND);
    glFrontFace(GL_CCW);
    glDisable(GL_CLIP_DISTANCE0);
    glDisable(GL_SCISSOR_TEST);
    KSetClipPlane(rs, 0, 0, 0, 1);
    KSetLights(rs, false, 0);
    rs.reflecting = true;
}

void KDrawReflections(KRenderState& rs) {
    glDisable(GL_BLEND);
    for (const KDrawItem& item : rs.reflective) {
        if (rs.reflecting)
            KDrawReflectiveNow(rs, item, 1.0f - std::clamp(item.mat->reflect, 0.0f, 1.0f));
        else
            KDrawItemNow(rs, item, nullptr, 1.0f);
        KPassMark(rs, "mirror surfaces", item.mat ? item.mat->name.c_str() : nullptr);
    }
}
