// SPDX-License-Identifier: GPL-3.0-or-later
// Picking: the object under a window pixel, by a ray from the camera against the triangles of
// the drawn objects in their own space (bounding box first), nearest hit first. Needs no GPU.

#include <cmath>

#include "engine/mesh.h"
#include "engine/node.h"
#include "engine/scene.h"

namespace {

constexpr float DEG_TO_RAD = 0.017453292f;

struct Ray {
    KVector origin, dir; // world space; hits are origin + t * dir
    float tMin;          // hits nearer than the near plane are not seen
};

// Slab test of the ray (object space) against a box; false when it misses or only meets it
// beyond `tMax`.
bool hitsBox(const KVector& o, const KVector& d, const KVector& lo, const KVector& hi, float tMin,
             float tMax) {
    const float oo[3] = {o.x, o.y, o.z}, dd[3] = {d.x, d.y, d.z};
    const float l[3] = {lo.x, lo.y, lo.z}, h[3] = {hi.x, hi.y, hi.z};
    for (int i = 0; i < 3; ++i) {
        if (std::fabs(dd[i]) < 1e-12f) {
            if (oo[i] < l[i] || oo[i] > h[i]) return false;
            continue;
        }
        float t0 = (l[i] - oo[i]) / dd[i], t1 = (h[i] - oo[i]) / dd[i];
        if (t0 > t1) std::swap(t0, t1);
        tMin = t0 > tMin ? t0 : tMin;
        tMax = t1 < tMax ? t1 : tMax;
        if (tMin > tMax) return false;
    }
    return true;
}

// Moller-Trumbore, both sides; the ray parameter of the hit or -1.
float hitsTriangle(const KVector& o, const KVector& d, const KVector& a, const KVector& b,
                   const KVector& c) {
    KVector e1 = b - a, e2 = c - a;
    KVector p = d.Cross(e2);
    float det = e1.Dot(p);
    if (std::fabs(det) < 1e-12f) return -1;
    float inv = 1.0f / det;
    KVector s = o - a;
    float u = s.Dot(p) * inv;
    if (u < 0 || u > 1) return -1;
    KVector q = s.Cross(e1);
    float v = d.Dot(q) * inv;
    if (v < 0 || u + v > 1) return -1;
    return e2.Dot(q) * inv;
}

void pickSubtree(KNodeGraph* n, const Ray& ray, KPickInfo& best, float& bestT) {
    if (n->hidden) return;
    KObject* obj = n->AsObject();
    if (obj && obj->mesh && !obj->mesh->faces.empty()) {
        // The same affine map takes the world ray to object space, so t stays comparable.
        KMatrix inv = n->world.Inverse();
        KVector o = inv.TransformPoint(ray.origin), d = inv.TransformDir(ray.dir);
        KMesh& m = *obj->mesh;
        KVector lo, hi;
        bool candidate =
            !m.rapidModel || (m.GetBounds(lo, hi) && hitsBox(o, d, lo, hi, ray.tMin, bestT));
        if (candidate) {
            const int nv = static_cast<int>(m.verts.size());
            for (size_t i = 0; i < m.faces.size(); ++i) {
                const KFace& f = m.faces[i];
                if (f.ref[0] >= nv || f.ref[1] >= nv || f.ref[2] >= nv || f.ref[0] < 0 ||
                    f.ref[1] < 0 || f.ref[2] < 0)
                    continue; // faces written by hand may be stale; never read outside
                float t = hitsTriangle(o, d, m.verts[f.ref[0]].pos, m.verts[f.ref[1]].pos,
                                       m.verts[f.ref[2]].pos);
                if (t >= ray.tMin && t < bestT) {
                    bestT = t;
                    best.object = obj;
                    best.face = static_cast<int>(i);
                }
            }
        }
    }
    for (KNodeGraph* c : n->children)
        pickSubtree(c, ray, best, bestT);
}

} // namespace

bool KScene::PixelRay(float x, float y, KVector& origin, KVector& dir) {
    if (!camera || screenWidth <= 0 || screenHeight <= 0) return false;
    KMatrix w = camera->GetWorldMatrix();
    float h = std::tan(camera->angle * DEG_TO_RAD); // half height of the view at distance 1
    float aspect = static_cast<float>(screenWidth) / screenHeight;
    KVector local((2.0f * x / screenWidth - 1.0f) * aspect * h,
                  (1.0f - 2.0f * y / screenHeight) * h, -1.0f);
    origin = w.GetTrans();
    dir = w.TransformDir(local).Normalized();
    return dir.Length() > 0;
}

KObject* KScene::Getinfo(int x, int y, KPickInfo* info) {
    KPickInfo best;
    KVector origin, dir;
    if (!root || !PixelRay(static_cast<float>(x), static_cast<float>(y), origin, dir)) {
        if (info) *info = best;
        return nullptr;
    }
    KUpdateWorld(root);
    // The near plane in ray units: the view axis component of the unit direction.
    KMatrix cw = camera->GetWorldMatrix();
    KVector forward = cw.TransformDir(KVector(0, 0, -1)).Normalized();
    float along = dir.Dot(forward);
    Ray ray{origin, dir, along > 1e-6f ? camera->nearDist / along : 0.0f};
    float bestT = 3.0e38f;
    pickSubtree(root, ray, best, bestT);
    if (best.object) {
        best.point = origin + dir * bestT;
        best.distance = bestT;
    }
    if (info) *info = best;
    return best.object;
}
