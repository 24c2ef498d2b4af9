// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/mesh.h"

#include <cstddef>

#include "engine/hooks.h"
#include "engine/scene.h"

void KFace::initFace() {
    *this = KFace();
}

void KFace::SetVertsRef(int a, int b, int c) {
    ref[0] = a;
    ref[1] = b;
    ref[2] = c;
}

void KFace::SetMaterial(KMaterial* m) {
    mat = m;
}

void KFace::SetUV(int corner, float u, float v) {
    if (corner < 0 || corner > 2) return;
    uv[corner] = KUV{u, v};
}

KMesh::KMesh(KScene* owner, int nbVerts, int nbFaces) : scene(owner) {
    if (nbVerts > 0) verts.reserve(nbVerts);
    if (nbFaces > 0) faces.reserve(nbFaces);
    if (owner) owner->Register(this);
}

KMesh::~KMesh() {
    if (auto hook = KGetRenderHooks().meshDestroyed) hook(this);
    if (scene && !scene->Resetting()) scene->Unregister(this);
}

namespace {

// A mesh edited in code no longer matches its levels of detail: it is drawn itself from then on.
void dropLevels(KMesh& m) {
    m.levels.clear();
    m.levelCoverage.clear();
}

} // namespace

int KMesh::addVert(const KVertex& v) {
    verts.push_back(v);
    changed = 1;
    boundsKnown_ = false;
    dropLevels(*this);
    return static_cast<int>(verts.size()) - 1;
}

int KMesh::addVert(const KVector& pos, const KVector& normal, const KColor& c1, const KColor&) {
    KVertex v;
    v.pos = pos;
    v.normal = normal;
    v.color = c1;
    return addVert(v);
}

int KMesh::addFace(const KFace& f) {
    int n = static_cast<int>(verts.size());
    for (int r : f.ref)
        if (r < 0 || r >= n) return -1;
    faces.push_back(f);
    changed = 1;
    dropLevels(*this);
    return static_cast<int>(faces.size()) - 1;
}

void KMesh::moveVert(int i, float x, float y, float z) {
    if (i < 0 || i >= static_cast<int>(verts.size())) return;
    verts[i].pos = KVector(x, y, z);
    changed = 1;
    boundsKnown_ = false;
    dropLevels(*this);
}

void KMesh::Clear() {
    verts.clear();
    faces.clear();
    changed = 1;
    boundsKnown_ = false;
    dropLevels(*this);
}

void KMesh::DeleteRapidModel() {
    rapidModel = 0;
}

bool KMesh::GetBounds(KVector& lo, KVector& hi) const {
    if (verts.empty()) return false;
    if (!boundsKnown_ || !rapidModel) {
        KVector l = verts[0].pos, h = l;
        for (const KVertex& v : verts) {
            l = KVector(v.pos.x < l.x ? v.pos.x : l.x, v.pos.y < l.y ? v.pos.y : l.y,
                        v.pos.z < l.z ? v.pos.z : l.z);
            h = KVector(v.pos.x > h.x ? v.pos.x : h.x, v.pos.y > h.y ? v.pos.y : h.y,
                        v.pos.z > h.z ? v.pos.z : h.z);
        }
        boundsLo_ = l;
        boundsHi_ = h;
        boundsKnown_ = rapidModel != 0;
    }
    lo = boundsLo_;
    hi = boundsHi_;
    return true;
}

void KMesh::ComputeMissingNormals() {
    std::vector<KVector> sum(verts.size());
    for (const KFace& f : faces) {
        const KVector& a = verts[f.ref[0]].pos;
        const KVector& b = verts[f.ref[1]].pos;
        const KVector& c = verts[f.ref[2]].pos;
        KVector n = (b - a).Cross(c - a); // length = twice the area: larger faces weigh more
        for (int r : f.ref)
            sum[r] = sum[r] + n;
    }
    for (std::size_t i = 0; i < verts.size(); ++i)
        if (verts[i].normal.Length() == 0) verts[i].normal = sum[i].Normalized();
    changed = 1;
}

KMesh* KMesh::Copy() const {
    auto* m = new KMesh(scene, 0, 0);
    m->verts = verts;
    m->faces = faces;
    m->isStatic = isStatic;
    m->rapidModel = rapidModel;
    m->levels = levels;
    m->levelCoverage = levelCoverage;
    m->changed = 1;
    return m;
}
