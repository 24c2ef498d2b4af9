// Meshes on the GPU: each face corner becomes its own vertex (corners carry their own texture
// coordinates), grouped by material so one draw call covers each material's run.

#include "engine/material.h"
#include "engine/mesh.h"
#include "engine/render_state.h"

#include <cmath>
#include <unordered_set>

namespace {

// Meshes with a GPU copy in the current context (see KForgetGpuMeshes).
std::unordered_set<KMesh*> g_uploaded;

constexpr int FLOATS_PER_VERTEX = 12; // position 3, normal 3, uv 2, colour 4

KVector faceNormal(const KVector& a, const KVector& b, const KVector& c) {
    return (b - a).Cross(c - a).Normalized();
}

bool validFace(const KFace& f, int nbVerts) {
    for (int r : f.ref)
        if (r < 0 || r >= nbVerts) return false;
    return true;
}

// Smooth normals for the materials that ask for them: the sum of the normals of the faces
// around each vertex (area weighted, as the cross product is).
void smoothNormals(KRenderState& rs, const KMesh& mesh) {
    const int n = static_cast<int>(mesh.verts.size());
    rs.normalScratch.assign(n, KVector());
    for (const KFace& f : mesh.faces) {
        if (!validFace(f, n)) continue;
        const KVector& a = mesh.verts[f.ref[0]].pos;
        const KVector w = (mesh.verts[f.ref[1]].pos - a).Cross(mesh.verts[f.ref[2]].pos - a);
        for (int r : f.ref)
            rs.normalScratch[r] = rs.normalScratch[r] + w;
    }
    for (KVector& v : rs.normalScratch)
        v = v.Normalized();
}

} // namespace

bool KUploadMesh(KRenderState& rs, KMesh* mesh) {
    auto* gm = static_cast<KGpuMesh*>(mesh->gpu);
    if (gm && !mesh->changed) return gm->vertexCount > 0;
    if (!gm) {
        gm = new KGpuMesh;
        mesh->gpu = gm;
        g_uploaded.insert(mesh);
        glGenVertexArrays(1, &gm->vao);
        glGenBuffers(1, &gm->vbo);
        glBindVertexArray(gm->vao);
        glBindBuffer(GL_ARRAY_BUFFER, gm->vbo);
        const GLsizei stride = FLOATS_PER_VERTEX * sizeof(float);
        const int sizes[4] = {3, 3, 2, 4};
        int offset = 0;
        for (GLuint a = 0; a < 4; ++a) {
            glEnableVertexAttribArray(a);
            glVertexAttribPointer(a, sizes[a], GL_FLOAT, GL_FALSE, stride,
                                  reinterpret_cast<const void*>(offset * sizeof(float)));
            offset += sizes[a];
        }
        glBindVertexArray(0);
    }
    mesh->changed = 0;
    const int nbVerts = static_cast<int>(mesh->verts.size());

    // 1. Runs by material, in order of first use: count the faces of each.
    gm->ranges.clear();
    rs.rangeScratch.clear();
    bool wantSmooth = false;
    for (const KFace& f : mesh->faces) {
        if (!validFace(f, nbVerts)) continue;
        size_t r = 0;
        while (r < gm->ranges.size() && gm->ranges[r].mat != f.mat)
            ++r;
        if (r == gm->ranges.size()) {
            gm->ranges.push_back(KGpuRange{f.mat, 0, 0});
            rs.rangeScratch.push_back(0);
            if (f.mat && (f.mat->options & KMAT_AUTONORMALS)) wantSmooth = true;
        }
        gm->ranges[r].count += 3;
    }
    int total = 0;
    for (KGpuRange& r : gm->ranges) {
        r.first = total;
        total += r.count;
    }
    gm->vertexCount = total;
    if (wantSmooth) smoothNormals(rs, *mesh);

    // 2. Write the corners at their run's place.
    rs.vertexScratch.resize(static_cast<size_t>(total) * FLOATS_PER_VERTEX);
    for (const KFace& f : mesh->faces) {
        if (!validFace(f, nbVerts)) continue;
        size_t r = 0;
        while (gm->ranges[r].mat != f.mat)
            ++r;
        const int slot = gm->ranges[r].first + rs.rangeScratch[r];
        rs.rangeScratch[r] += 3;
        const bool smooth = f.mat && (f.mat->options & KMAT_AUTONORMALS);
        const KVector fn = faceNormal(mesh->verts[f.ref[0]].pos, mesh->verts[f.ref[1]].pos,
                                      mesh->verts[f.ref[2]].pos);
        for (int c = 0; c < 3; ++c) {
            const KVertex& v = mesh->verts[f.ref[c]];
            KVector n = smooth ? rs.normalScratch[f.ref[c]] : v.normal;
            if (n.x == 0 && n.y == 0 && n.z == 0) n = fn;
            float* out = &rs.vertexScratch[static_cast<size_t>(slot + c) * FLOATS_PER_VERTEX];
            out[0] = v.pos.x, out[1] = v.pos.y, out[2] = v.pos.z;
            out[3] = n.x, out[4] = n.y, out[5] = n.z;
            out[6] = f.uv[c].u, out[7] = f.uv[c].v;
            out[8] = v.color.r, out[9] = v.color.g, out[10] = v.color.b, out[11] = v.color.a;
        }
    }

    // 3. Send: reuse the buffer when it is big enough (meshes edited every frame).
    const long bytes = static_cast<long>(rs.vertexScratch.size() * sizeof(float));
    glBindBuffer(GL_ARRAY_BUFFER, gm->vbo);
    if (bytes > gm->capacity) {
        glBufferData(GL_ARRAY_BUFFER, bytes, rs.vertexScratch.data(),
                     mesh->isStatic ? GL_STATIC_DRAW : GL_DYNAMIC_DRAW);
        gm->capacity = bytes;
    } else if (bytes > 0) {
        glBufferSubData(GL_ARRAY_BUFFER, 0, bytes, rs.vertexScratch.data());
    }
    if (!mesh->GetBounds(gm->lo, gm->hi)) gm->lo = gm->hi = KVector();
    return total > 0;
}

void KFreeGpuMesh(KMesh* mesh) {
    auto* gm = static_cast<KGpuMesh*>(mesh->gpu);
    if (!gm) return;
    if (KRenderGlAlive()) {
        glDeleteBuffers(1, &gm->vbo);
        glDeleteVertexArrays(1, &gm->vao);
    }
    delete gm;
    mesh->gpu = nullptr;
    g_uploaded.erase(mesh);
}

void KForgetGpuMeshes() {
    for (KMesh* m : g_uploaded) {
        auto* gm = static_cast<KGpuMesh*>(m->gpu);
        glDeleteBuffers(1, &gm->vbo);
        glDeleteVertexArrays(1, &gm->vao);
        delete gm;
        m->gpu = nullptr;
        m->changed = 1;
    }
    g_uploaded.clear();
}
