// SPDX-License-Identifier: GPL-3.0-or-later
// Meshes on the GPU: each distinct face corner becomes one vertex (a mesh vertex that keeps its
// texture coordinates and normal in every face around it is sent once and shared through the
// index buffer), and the triangles are grouped by material so one draw call covers each
// material's run. Sharing matters to a software renderer, which shades every vertex it is
// sent: a smooth surface has about six triangles around each vertex.

#include "engine/material.h"
#include "engine/mesh.h"
#include "engine/render_state.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace {

// Meshes with a GPU copy in the current context (see KForgetGpuMeshes).
std::unordered_set<KMesh*> g_uploaded;

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

namespace {

// The slot of the vertex for corner c of face f, appended to the vertex scratch when no equal
// corner of the same mesh vertex was sent before. Corners of a vertex share its position,
// colour and (smooth or given) normal; they differ by texture coordinates, or by normal where
// the vertex has none and the face's own stands in.
unsigned cornerSlot(KRenderState& rs, const KMesh& mesh, const KFace& f, int c, bool smooth,
                    const KVector& faceN) {
    const int vi = f.ref[c];
    const KVertex& v = mesh.verts[vi];
    KVector n = smooth ? rs.normalScratch[vi] : v.normal;
    const bool own = n.x == 0 && n.y == 0 && n.z == 0;
    if (own) n = faceN;
    if (!own) {
        for (int k = rs.cornerHead[vi]; k >= 0; k = rs.cornerNext[k]) {
            const float* o = &rs.vertexScratch[static_cast<size_t>(k) * FLOATS_PER_VERTEX];
            if (o[6] == f.uv[c].u && o[7] == f.uv[c].v && o[3] == n.x && o[4] == n.y && o[5] == n.z)
                return static_cast<unsigned>(k);
        }
    }
    const int slot = static_cast<int>(rs.vertexScratch.size() / FLOATS_PER_VERTEX);
    const float out[FLOATS_PER_VERTEX] = {v.pos.x,   v.pos.y,   v.pos.z,   n.x,
                                          n.y,       n.z,       f.uv[c].u, f.uv[c].v,
                                          v.color.r, v.color.g, v.color.b, v.color.a};
    rs.vertexScratch.insert(rs.vertexScratch.end(), out, out + FLOATS_PER_VERTEX);
    rs.cornerNext.push_back(rs.cornerHead[vi]);
    rs.cornerHead[vi] = slot;
    return static_cast<unsigned>(slot);
}

// Sends `bytes` of `data` into `buffer` of `target`, reusing its storage when big enough.
void send(GLenum target, GLuint buffer, long& capacity, long bytes, const void* data,
          bool isStatic) {
    glBindBuffer(target, buffer);
    if (bytes > capacity) {
        glBufferData(target, bytes, data, isStatic ? GL_STATIC_DRAW : GL_DYNAMIC_DRAW);
        capacity = bytes;
    } else if (bytes > 0) {
        glBufferSubData(target, 0, bytes, data);
    }
}

// Counts uploads: each fill of a GPU mesh gets a new number (see KGpuMesh::version).
unsigned g_uploads = 0;

// What is sent when it is smaller than what was given: vertices without their colour, indices
// in 16 bits. Kept between fills so that meshes sent every frame allocate nothing.
std::vector<float> g_packedVertices;
std::vector<unsigned short> g_shortIndices;

constexpr int FLOATS_WITHOUT_COLOUR = 8;

// Whether every vertex is opaque white, the colour a vertex without one is drawn with.
bool allWhite(const std::vector<float>& vertices) {
    for (size_t k = FLOATS_WITHOUT_COLOUR; k < vertices.size(); k += FLOATS_PER_VERTEX)
        if (vertices[k] != 1 || vertices[k + 1] != 1 || vertices[k + 2] != 1 ||
            vertices[k + 3] != 1)
            return false;
    return true;
}

// Records in the mesh's vertex array (bound, with its vertex buffer) where each attribute lies
// for vertices of `floats` floats. Without the colour the attribute reads its constant value,
// white (set before such a mesh is drawn, render_draw.cpp).
void setLayout(KGpuMesh& gm, int floats) {
    if (gm.stride == floats) return;
    gm.stride = floats;
    const GLsizei stride = floats * static_cast<GLsizei>(sizeof(float));
    const int sizes[4] = {3, 3, 2, 4};
    int offset = 0;
    for (GLuint a = 0; a < 4; ++a) {
        if (offset + sizes[a] > floats) {
            glDisableVertexAttribArray(a);
            continue;
        }
        glEnableVertexAttribArray(a);
        glVertexAttribPointer(a, sizes[a], GL_FLOAT, GL_FALSE, stride,
                              reinterpret_cast<const void*>(offset * sizeof(float)));
        offset += sizes[a];
    }
}

} // namespace

void KInitGpuMesh(KGpuMesh& gm) {
    glGenVertexArrays(1, &gm.vao);
    glGenBuffers(1, &gm.vbo);
    glGenBuffers(1, &gm.ibo);
    glBindVertexArray(gm.vao);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, gm.ibo); // recorded in the vertex array
    glBindVertexArray(0);
}

void KFillGpuMesh(KGpuMesh& gm, const std::vector<float>& vertices,
                  const std::vector<unsigned>& indices, bool isStatic) {
    gm.cornerCount = static_cast<int>(vertices.size() / FLOATS_PER_VERTEX);
    // Most meshes are white throughout: their colours are not sent, a third of each vertex.
    const std::vector<float>* sent = &vertices;
    int floats = FLOATS_PER_VERTEX;
    if (allWhite(vertices)) {
        g_packedVertices.resize(static_cast<size_t>(gm.cornerCount) * FLOATS_WITHOUT_COLOUR);
        for (size_t v = 0; v < static_cast<size_t>(gm.cornerCount); ++v)
            std::copy_n(&vertices[v * FLOATS_PER_VERTEX], FLOATS_WITHOUT_COLOUR,
                        &g_packedVertices[v * FLOATS_WITHOUT_COLOUR]);
        sent = &g_packedVertices;
        floats = FLOATS_WITHOUT_COLOUR;
    }
    glBindVertexArray(gm.vao); // the index buffer is bound through the mesh's own array
    send(GL_ARRAY_BUFFER, gm.vbo, gm.capacity, static_cast<long>(sent->size() * sizeof(float)),
         sent->data(), isStatic);
    setLayout(gm, floats);
    // Indices in 16 bits wherever the vertices are few enough, half the memory.
    const bool shortIndices = gm.cornerCount <= 65536;
    if (shortIndices) g_shortIndices.assign(indices.begin(), indices.end());
    gm.indexType = shortIndices ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT;
    send(GL_ELEMENT_ARRAY_BUFFER, gm.ibo, gm.indexCapacity,
         static_cast<long>(indices.size() * KIndexBytes(gm)),
         shortIndices ? static_cast<const void*>(g_shortIndices.data()) : indices.data(), isStatic);
    glBindVertexArray(0);
    gm.version = ++g_uploads;
}

void KReleaseGpuMesh(KGpuMesh& gm) {
    if (KRenderGlAlive()) {
        glDeleteBuffers(1, &gm.vbo);
        glDeleteBuffers(1, &gm.ibo);
        glDeleteVertexArrays(1, &gm.vao);
    }
    gm.vao = gm.vbo = gm.ibo = 0;
    gm.capacity = gm.indexCapacity = 0;
    gm.stride = 0;
}

bool KUploadMesh(KRenderState& rs, KMesh* mesh) {
    auto* gm = static_cast<KGpuMesh*>(mesh->gpu);
    if (gm && !mesh->changed) return gm->vertexCount > 0;
    if (!gm) {
        gm = new KGpuMesh;
        mesh->gpu = gm;
        g_uploaded.insert(mesh);
        KInitGpuMesh(*gm);
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

    // 2. Each face's corners as shared vertices, its indices at its run's place.
    rs.vertexScratch.clear();
    rs.cornerNext.clear();
    rs.cornerHead.assign(static_cast<size_t>(nbVerts), -1);
    rs.indexScratch.resize(static_cast<size_t>(total));
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
        for (int c = 0; c < 3; ++c)
            rs.indexScratch[static_cast<size_t>(slot + c)] =
                cornerSlot(rs, *mesh, f, c, smooth, fn);
    }

    // 3. Send, reusing the buffers when big enough (meshes edited every frame). Small meshes
    // that stay as they are keep a copy for merged draws (render_batch.cpp).
    KFillGpuMesh(*gm, rs.vertexScratch, rs.indexScratch, mesh->isStatic);
    if (mesh->isStatic && total <= BATCH_MAX_INDICES) {
        gm->cpuVertices = rs.vertexScratch;
        gm->cpuIndices = rs.indexScratch;
    } else {
        gm->cpuVertices.clear();
        gm->cpuIndices.clear();
    }
    if (!mesh->GetBounds(gm->lo, gm->hi)) gm->lo = gm->hi = KVector();
    return total > 0;
}

void KLetGoOfLevel(KMesh* level) {
    if (level->verts.empty() && level->faces.empty()) return;
    std::vector<KVertex>().swap(level->verts);
    std::vector<KFace>().swap(level->faces);
    KNoteMemoryLetGo();
}

void KFreeGpuMesh(KMesh* mesh) {
    auto* gm = static_cast<KGpuMesh*>(mesh->gpu);
    if (!gm) return;
    KReleaseGpuMesh(*gm);
    delete gm;
    mesh->gpu = nullptr;
    g_uploaded.erase(mesh);
}

void KForgetGpuMeshes() {
    for (KMesh* m : g_uploaded) {
        auto* gm = static_cast<KGpuMesh*>(m->gpu);
        KReleaseGpuMesh(*gm);
        delete gm;
        m->gpu = nullptr;
        m->changed = 1;
    }
    g_uploaded.clear();
}
