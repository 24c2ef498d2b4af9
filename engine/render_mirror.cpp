// Planar mirrors: materials with a reflect strength show the scene mirrored in the horizontal
// plane of their top surface (the polished board reflecting its pieces).
//
// 1. Mark the visible pixels of the reflective surfaces in the stencil buffer.
// 2. In those pixels, reset depth to the far plane and colour to the clear colour: what lies
//    behind the surface must neither hide nor show through the reflection.
// 3. Draw the scene mirrored in the plane, lit by mirrored lights, clipped to what lies above
//    the plane, only inside the marked pixels.
// 4. Draw the surfaces themselves over it, blended with 1 - reflect of their own colour.

#include "engine/material.h"
#include "engine/node.h"
#include "engine/render_state.h"

#include <algorithm>

namespace {

// Reflection in the plane y = h: y' = 2h - y.
KMatrix mirrorMatrix(float h) {
    KMatrix m;
    m.m[5] = -1;
    m.m[13] = 2 * h;
    return m;
}

float surfaceTop(const KDrawItem& item) {
    // The highest corner of the world bounds: the top face of a square tile.
    float top = -1e30f;
    const KVector& lo = item.mesh->lo;
    const KVector& hi = item.mesh->hi;
    for (int c = 0; c < 8; ++c) {
        const KVector p((c & 1) ? hi.x : lo.x, (c & 2) ? hi.y : lo.y, (c & 4) ? hi.z : lo.z);
        top = std::max(top, item.model.TransformPoint(p).y);
    }
    return top;
}

// Window rectangle (GL pixels, origin bottom left) around the reflective surfaces, so the
// mirrored pass rasterises only there. The whole viewport when a corner is behind the eye.
void surfaceRect(const KRenderState& rs, int& x0, int& y0, int& x1, int& y1) {
    float lo[2] = {1, 1}, hi[2] = {-1, -1};
    for (const KDrawItem& item : rs.reflective) {
        const KVector& a = item.mesh->lo;
        const KVector& b = item.mesh->hi;
        for (int c = 0; c < 8; ++c) {
            const KVector p = item.model.TransformPoint(
                KVector((c & 1) ? b.x : a.x, (c & 2) ? b.y : a.y, (c & 4) ? b.z : a.z));
            const float* m = rs.viewProj.m;
            const float w = m[3] * p.x + m[7] * p.y + m[11] * p.z + m[15];
            if (w <= 1e-4f) {
                x0 = y0 = 0, x1 = rs.viewportW, y1 = rs.viewportH;
                return;
            }
            const float nx = (m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12]) / w;
            const float ny = (m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13]) / w;
            lo[0] = std::min(lo[0], nx), hi[0] = std::max(hi[0], nx);
            lo[1] = std::min(lo[1], ny), hi[1] = std::max(hi[1], ny);
        }
    }
    auto toPixel = [](float ndc, int size) {
        return std::clamp(static_cast<int>((ndc * 0.5f + 0.5f) * size), 0, size);
    };
    x0 = toPixel(lo[0], rs.viewportW) - 1, x1 = toPixel(hi[0], rs.viewportW) + 1;
    y0 = toPixel(lo[1], rs.viewportH) - 1, y1 = toPixel(hi[1], rs.viewportH) + 1;
    x0 = std::max(x0, 0), y0 = std::max(y0, 0);
}

} // namespace

void KDrawReflections(KRenderState& rs) {
    if (rs.reflective.empty()) return;
    float h = -1e30f;
    for (const KDrawItem& item : rs.reflective)
        h = std::max(h, surfaceTop(item));

    // Seen from below the plane there is nothing to mirror: plain surfaces.
    if (rs.camPos.y <= h) {
        for (const KDrawItem& item : rs.reflective)
            KDrawItemNow(rs, item, nullptr, 1.0f);
        return;
    }

    // 1. Mark.
    int x0, y0, x1, y1;
    surfaceRect(rs, x0, y0, x1, y1);
    if (x1 <= x0 || y1 <= y0) return;
    glScissor(x0, y0, x1 - x0, y1 - y0);
    glEnable(GL_SCISSOR_TEST);
    glEnable(GL_STENCIL_TEST);
    glStencilMask(0xFF);
    glStencilFunc(GL_ALWAYS, 1, 0xFF);
    glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glDepthMask(GL_FALSE);
    for (const KDrawItem& item : rs.reflective)
        KDrawItemNow(rs, item, nullptr, 1.0f);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

    // 2. Reset depth and colour inside the mark.
    glStencilFunc(GL_EQUAL, 1, 0xFF);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    glDepthFunc(GL_ALWAYS);
    glDepthMask(GL_TRUE);
    KFillWindow(rs, KColor{rs.clearColor.x, rs.clearColor.y, rs.clearColor.z, 1}, 1.0f);
    glDepthFunc(GL_LEQUAL);

    // 3. The mirrored scene. Mirroring turns the winding round.
    const KMatrix mirror = mirrorMatrix(h);
    KSetLights(rs, true, h);
    KSetClipPlane(rs, 0, -1, 0, h); // keeps y <= h after mirroring
    glEnable(GL_CLIP_DISTANCE0);
    glFrontFace(GL_CW);
    for (const KDrawItem& item : rs.opaque)
        if (item.node->reflect) KDrawItemNow(rs, item, &mirror, 1.0f);
    glEnable(GL_BLEND);
    for (const KDrawItem& item : rs.blended) {
        if (!item.mesh || !item.node->reflect) continue; // sprites face the real camera only
        glBlendFunc(GL_SRC_ALPHA, (item.mat && (item.mat->options & KMAT_ADDITIVE))
                                      ? GL_ONE
                                      : GL_ONE_MINUS_SRC_ALPHA);
        glDepthMask(GL_FALSE);
        KDrawItemNow(rs, item, &mirror, 1.0f);
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
