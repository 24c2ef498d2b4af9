// SPDX-License-Identifier: GPL-3.0-or-later
// Skies that cannot show. A sky (an opaque object around the eye) is drawn after the other
// opaque things so that the depth test spares the pixels they hide; but where a flat surface
// fills the whole picture nearer than the sky (the floor, seen from above), the renderer would
// still set up every triangle of the sky and test the depth of every pixel of the picture for
// none: about a millisecond a frame at 800 x 600 on a software renderer. KSkyHidden finds that
// case from the geometry, and only when it is sure.

#include "engine/material.h"
#include "engine/mesh.h"
#include "engine/node.h"
#include "engine/render_state.h"

#include <cmath>

namespace {

// A corner ray must hit the surface at least this far (a fraction of its sides) inside its
// edges: rounding never lets a sliver of sky through at the picture's corners.
constexpr float EDGE_MARGIN = 1e-3f;

// A parallelogram in world space: corner + u side1 + v side2 for u and v in [0, 1].
struct Parallelogram {
    KVector corner, side1, side2;
};

// Whether the draw item is a whole flat rectangle drawn opaque in the 3D scene: a mesh of four
// vertices at the four corners of its flat bounds, two triangles sharing a diagonal, seen from
// its front. Its world-space corners out.
bool flatRectangle(const KRenderState& rs, const KDrawItem& item, Parallelogram& q) {
    const KObject* o = item.node ? item.node->AsObject() : nullptr;
    if (!o || !o->mesh || !item.mat || item.onCamera) return false;
    if (item.mat->IsBlended() || (item.mat->options & KMAT_ALPHATEST)) return false;
    const KMesh& m = *o->mesh;
    // The item is the mesh itself, all of it (not a batch or a level standing for it).
    if (static_cast<const void*>(item.mesh) != m.gpu || m.verts.size() != 4 ||
        m.faces.size() != 2 || item.count != 6)
        return false;
    KVector lo, hi;
    if (!m.GetBounds(lo, hi) || lo.y != hi.y || !(lo.x < hi.x) || !(lo.z < hi.z)) return false;
    int corners = 0; // one bit per corner of the bounds: x high 1, z high 2
    int cornerOf[4];
    for (int i = 0; i < 4; ++i) {
        const KVector& p = m.verts[i].pos;
        const int x = p.x == hi.x ? 1 : p.x == lo.x ? 0 : -1;
        const int z = p.z == hi.z ? 2 : p.z == lo.z ? 0 : -1;
        if (x < 0 || z < 0) return false;
        cornerOf[i] = x + z;
        corners |= 1 << cornerOf[i];
    }
    if (corners != 15) return false;
    // Two whole triangles (three different vertices each) whose shared vertices are opposite
    // corners (0 and 3, or 1 and 2: both bits differ).
    for (const KFace& f : m.faces) {
        for (int r : f.ref)
            if (r < 0 || r > 3) return false;
        if (f.ref[0] == f.ref[1] || f.ref[1] == f.ref[2] || f.ref[0] == f.ref[2]) return false;
    }
    int shared[2], n = 0;
    for (int a : m.faces[0].ref)
        for (int b : m.faces[1].ref)
            if (a == b && n < 2) shared[n++] = a;
    if (n != 2 || (cornerOf[shared[0]] ^ cornerOf[shared[1]]) != 3) return false;
    const KMatrix& w = item.model;
    q.corner = w.TransformPoint(lo);
    q.side1 = w.TransformPoint(KVector(hi.x, lo.y, lo.z)) - q.corner;
    q.side2 = w.TransformPoint(KVector(lo.x, lo.y, hi.z)) - q.corner;
    // Both triangles face the eye, unless the material shows both sides.
    if (item.mat->options & KMAT_DOUBLESIDED) return true;
    for (const KFace& f : m.faces) {
        const KVector a = w.TransformPoint(m.verts[f.ref[0]].pos);
        const KVector b = w.TransformPoint(m.verts[f.ref[1]].pos);
        const KVector c = w.TransformPoint(m.verts[f.ref[2]].pos);
        if ((b - a).Cross(c - a).Dot(rs.camPos - a) <= 0) return false;
    }
    return true;
}

// Whether the ray through each corner of the picture meets the parallelogram between the near
// and the far plane. The rays that meet a convex flat shape form a convex cone, and every ray
// of the picture lies between its corners' rays: all of them meet it; and the depth of the
// meeting point, one over a linear function across the picture, is least and greatest at its
// corners, so none is cut by the near or the far plane either.
bool fillsPicture(const KRenderState& rs, const Parallelogram& q) {
    const KMatrix& p = rs.proj;
    // A symmetric perspective (the cameras' own) only.
    if (p.m[11] != -1 || p.m[8] != 0 || p.m[9] != 0 || p.m[0] == 0 || p.m[5] == 0) return false;
    const float nearDist = p.m[14] / (p.m[10] - 1), farDist = p.m[14] / (p.m[10] + 1);
    const KVector n = q.side1.Cross(q.side2);
    const float nn = n.Dot(n);
    if (!(nn > 0)) return false;
    for (int k = 0; k < 4; ++k) {
        const float sx = (k & 1) ? 1.0f : -1.0f, sy = (k & 2) ? 1.0f : -1.0f;
        // A step of one along the view direction: t is the depth.
        const KVector d = rs.camForward + rs.camRight * (sx / p.m[0]) + rs.camUp * (sy / p.m[5]);
        const float nd = n.Dot(d);
        if (nd == 0) return false;
        const float t = n.Dot(q.corner - rs.camPos) / nd;
        if (!(t > nearDist && t < farDist)) return false;
        const KVector w = rs.camPos + d * t - q.corner;
        const float u = w.Cross(q.side2).Dot(n) / nn, v = q.side1.Cross(w).Dot(n) / nn;
        if (!(u > EDGE_MARGIN && u < 1 - EDGE_MARGIN && v > EDGE_MARGIN && v < 1 - EDGE_MARGIN))
            return false;
    }
    return true;
}

// Whether the parallelogram's corners lie strictly on the eye's side of the plane of every
// triangle of the sky. Then so does all of it and every segment from the eye to it: no ray from
// the eye meets a triangle of the sky before the surface, whatever the sky's shape.
bool insideSky(const KRenderState& rs, const KDrawItem& sky, const Parallelogram& q) {
    const KObject* o = sky.node ? sky.node->AsObject() : nullptr;
    if (!o || !o->mesh || o->mesh->faces.empty()) return false;
    const KMesh& m = *o->mesh;
    const KMatrix toSky = sky.model.Inverse();
    const KVector eye = toSky.TransformPoint(rs.camPos);
    const KVector corners[4] = {toSky.TransformPoint(q.corner),
                                toSky.TransformPoint(q.corner + q.side1),
                                toSky.TransformPoint(q.corner + q.side2),
                                toSky.TransformPoint(q.corner + q.side1 + q.side2)};
    const int vertexCount = static_cast<int>(m.verts.size());
    for (const KFace& f : m.faces) {
        if (f.ref[0] >= vertexCount || f.ref[1] >= vertexCount || f.ref[2] >= vertexCount)
            return false;
        const KVector& a = m.verts[f.ref[0]].pos;
        const KVector n = (m.verts[f.ref[1]].pos - a).Cross(m.verts[f.ref[2]].pos - a);
        if (n.Dot(n) == 0) continue; // no area: hides nothing
        const float eyeSide = n.Dot(eye - a);
        if (eyeSide == 0) return false;
        for (const KVector& c : corners)
            if (n.Dot(c - a) * eyeSide <= 0) return false;
    }
    return true;
}

bool hides(const KRenderState& rs, const KDrawItem& surface, const KDrawItem& sky) {
    Parallelogram q;
    return flatRectangle(rs, surface, q) && fillsPicture(rs, q) && insideSky(rs, sky, q);
}

} // namespace

bool KSkyHidden(const KRenderState& rs, const KDrawItem& sky) {
    for (const KDrawItem& item : rs.reflective)
        if (hides(rs, item, sky)) return true;
    for (const KDrawItem& item : rs.opaque)
        if (item.depth < SKY_DEPTH && hides(rs, item, sky)) return true;
    return false;
}
