// Planar mirrors: materials with a reflect strength show what stands on them mirrored in the
// horizontal plane of their top surface (the polished board reflecting its pieces).
//
// 1. Mark the visible pixels of the reflective surfaces in the stencil buffer.
// 2. In those pixels, reset depth to the far plane and colour to the sky's: what lies behind
//    the surface must neither hide nor show through the reflection. The sky around the eye is
//    not mirrored itself: its average colour stands for its reflection (mirroring a whole dome
//    would shade every pixel of the surfaces once more for a faint, blurred picture).
// 3. Draw the scene mirrored in the plane, lit by mirrored lights, clipped to what lies above
//    the plane, only inside the marked pixels.
// 4. Draw the surfaces themselves over it, blended with 1 - reflect of their own colour.

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
    return Rect{std::max(px(lo[0], rs.viewportW) - 1, 0), std::max(px(lo[1], rs.viewportH) - 1, 0),
                std::min(px(hi[0], rs.viewportW) + 1, rs.viewportW),
                std::min(px(hi[1], rs.viewportH) + 1, rs.viewportH)};
}

// Window rectangle around the reflective surfaces, so the mirrored pass rasterises only there.
Rect surfaceRect(const KRenderState& rs) {
    float lo[2] = {1, 1}, hi[2] = {-1, -1};
    for (const KDrawItem& item : rs.reflective)
        if (!addScreenRect(rs, item, nullptr, lo, hi))
            return Rect{0, 0, rs.viewportW, rs.viewportH};
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

bool KMarkReflections(KRenderState& rs) {
    rs.mirrorMarked = false;
    if (rs.reflective.empty()) return false;
    // Highest first, then nearest: seen from above, a higher flat surface lies in front of a
    // lower one wherever they overlap (the board's squares over its table). Drawn first, it
    // hides the lower one's pixels from shading by the depth test, and the lower surface never
    // blends under it: its colour would stand where the higher surface's reflection belongs.
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
    if (rs.camPos.y <= h) return false;
    const Rect area = surfaceRect(rs);
    if (area.x1 <= area.x0 || area.y1 <= area.y0) return false; // all off screen
    rs.mirrorRect[0] = area.x0, rs.mirrorRect[1] = area.y0;
    rs.mirrorRect[2] = area.x1, rs.mirrorRect[3] = area.y1;

    glScissor(rs.drawX + area.x0, rs.drawY + area.y0, area.x1 - area.x0, area.y1 - area.y0);
    glEnable(GL_SCISSOR_TEST);
    glEnable(GL_STENCIL_TEST);
    glStencilMask(0xFF);
    glStencilFunc(GL_ALWAYS, 1, 0xFF);
    glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
    // Depth is written too: a lower surface's pixels under a higher one then fail the depth
    // test before the stencil is touched. The marked pixels' depth is reset before the mirrored
    // scene, and no other pixel is written.
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glDepthMask(GL_TRUE);
    for (const KDrawItem& item : rs.reflective)
        KDrawItemMark(rs, item);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_SCISSOR_TEST);
    rs.mirrorMarked = true;
    return true;
}

void KDrawReflections(KRenderState& rs) {
    if (rs.reflective.empty()) return;
    if (!rs.mirrorMarked) {
        for (const KDrawItem& item : rs.reflective)
            KDrawItemNow(rs, item, nullptr, 1.0f);
        return;
    }
    const float h = rs.mirrorPlane;
    const Rect area{rs.mirrorRect[0], rs.mirrorRect[1], rs.mirrorRect[2], rs.mirrorRect[3]};
    glScissor(rs.drawX + area.x0, rs.drawY + area.y0, area.x1 - area.x0, area.y1 - area.y0);
    glEnable(GL_SCISSOR_TEST);
    glEnable(GL_STENCIL_TEST);

    // 2. Reset depth and colour inside the mark.
    glStencilFunc(GL_EQUAL, 1, 0xFF);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    glDepthFunc(GL_ALWAYS);
    glDepthMask(GL_TRUE);
    KFillWindow(rs, skyColour(rs), 1.0f);
    glDepthFunc(GL_LEQUAL);

    // 3. The mirrored scene. Mirroring turns the winding round.
    const KMatrix mirror = mirrorMatrix(h);
    KSetLights(rs, true, h);
    KSetClipPlane(rs, 0, -1, 0, h); // keeps y <= h after mirroring
    glEnable(GL_CLIP_DISTANCE0);
    glFrontFace(GL_CW);
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
    glFrontFace(GL_CCW);
    glDisable(GL_CLIP_DISTANCE0);
    KSetClipPlane(rs, 0, 0, 0, 1);
    KSetLights(rs, false, 0);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_SCISSOR_TEST);

    // 4. The surfaces, letting `reflect` of the mirrored image through.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    for (const KDrawItem& item : rs.reflective) {
        const float r = std::clamp(item.mat->reflect, 0.0f, 1.0f);
        KDrawItemNow(rs, item, nullptr, 1.0f - r);
    }
    glDisable(GL_BLEND);
}
