// SPDX-License-Identifier: GPL-3.0-or-later
// Merged draws: small opaque meshes that share a material (the menu wall's 128 cubes, the
// board's 64 squares) are drawn as one. A software renderer spends far more of the processor
// on each draw call (state checks, shader set-up, binning) than on a dozen triangles. A batch
// holds its members' vertices in world space; it is rebuilt only in a frame where a member
// moved, changed or the members are not the same, and otherwise drawn as it was sent.

#include "engine/material.h"
#include "engine/node.h"
#include "engine/render_state.h"

#include <algorithm>
#include <cstring>

namespace {

bool sameKey(const KDrawItem& a, const KDrawItem& b) {
    return a.mat == b.mat && a.reflective == b.reflective && a.onCamera == b.onCamera &&
           a.node->reflect == b.node->reflect;
}

bool keyLess(const KDrawItem& a, const KDrawItem& b) {
    if (a.mat != b.mat) return a.mat < b.mat;
    if (a.reflective != b.reflective) return a.reflective < b.reflective;
    if (a.onCamera != b.onCamera) return a.onCamera < b.onCamera;
    return a.node->reflect < b.node->reflect;
}

void addToList(KRenderState& rs, const KDrawItem& item) {
    if (item.reflective)
        rs.reflective.push_back(item);
    else
        rs.opaque.push_back(item);
}

// The batch for the run's key, made on first use; one batch serves one run a frame.
KBatch& batchFor(KRenderState& rs, const KDrawItem& key) {
    for (KBatch& b : rs.batches)
        if (b.usedFrame != rs.frameNumber && b.mat == key.mat && b.reflective == key.reflective &&
            b.onCamera == key.onCamera && b.mirrored == (key.node->reflect != 0))
            return b;
    rs.batches.emplace_back();
    KBatch& b = rs.batches.back();
    b.mat = key.mat;
    b.reflective = key.reflective;
    b.onCamera = key.onCamera;
    b.mirrored = key.node->reflect != 0;
    KInitGpuMesh(b.gpu);
    return b;
}

// Whether the batch holds exactly these members as they are now.
bool unchanged(const KBatch& b, const KRenderState& rs, size_t from, size_t to) {
    if (b.members.size() != to - from) return false;
    for (size_t k = from; k < to; ++k) {
        const KDrawItem& item = rs.batchable[rs.batchOrder[k]];
        const KBatchMember& m = b.members[k - from];
        if (m.mesh != item.mesh || m.version != item.mesh->version || m.first != item.first ||
            m.count != item.count || std::memcmp(m.model.m, item.model.m, sizeof m.model.m) != 0)
            return false;
    }
    return true;
}

// Writes the members' runs in world space: positions and normals turned by each member's
// matrix (uniform scales only: the shaders normalise the normals).
void rebuild(KBatch& b, KRenderState& rs, size_t from, size_t to) {
    b.members.clear();
    rs.vertexScratch.clear();
    rs.indexScratch.clear();
    KVector lo(1e30f, 1e30f, 1e30f), hi(-1e30f, -1e30f, -1e30f);
    for (size_t k = from; k < to; ++k) {
        const KDrawItem& item = rs.batchable[rs.batchOrder[k]];
        const KGpuMesh& gm = *item.mesh;
        b.members.push_back(KBatchMember{&gm, gm.version, item.first, item.count, item.model});
        // Each vertex of the member's run once: its new index, or -1.
        rs.cornerHead.assign(static_cast<size_t>(gm.cornerCount), -1);
        for (int i = item.first; i < item.first + item.count; ++i) {
            const unsigned v = gm.cpuIndices[static_cast<size_t>(i)];
            int& slot = rs.cornerHead[v];
            if (slot < 0) {
                slot = static_cast<int>(rs.vertexScratch.size() / FLOATS_PER_VERTEX);
                const float* in = &gm.cpuVertices[static_cast<size_t>(v) * FLOATS_PER_VERTEX];
                const KVector p = item.model.TransformPoint(KVector(in[0], in[1], in[2]));
                const KVector n = item.model.TransformDir(KVector(in[3], in[4], in[5]));
                const float out[FLOATS_PER_VERTEX] = {p.x,   p.y,   p.z,   n.x,   n.y,    n.z,
                                                      in[6], in[7], in[8], in[9], in[10], in[11]};
                rs.vertexScratch.insert(rs.vertexScratch.end(), out, out + FLOATS_PER_VERTEX);
                lo = KVector(std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z));
                hi = KVector(std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z));
            }
            rs.indexScratch.push_back(static_cast<unsigned>(slot));
        }
    }
    KFillGpuMesh(b.gpu, rs.vertexScratch, rs.indexScratch, false);
    const int count = static_cast<int>(rs.indexScratch.size());
    b.gpu.ranges.clear();
    b.gpu.ranges.push_back(KGpuRange{b.mat, 0, count});
    b.gpu.vertexCount = count;
    b.gpu.lo = lo;
    b.gpu.hi = hi;
}

} // namespace

void KMergeBatches(KRenderState& rs) {
    ++rs.frameNumber;
    // 1. The candidates in key order (their indices: the items are large).
    const int n = static_cast<int>(rs.batchable.size());
    rs.batchOrder.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        rs.batchOrder[static_cast<size_t>(i)] = i;
    std::sort(rs.batchOrder.begin(), rs.batchOrder.end(), [&rs](int a, int b) {
        const KDrawItem& x = rs.batchable[static_cast<size_t>(a)];
        const KDrawItem& y = rs.batchable[static_cast<size_t>(b)];
        return keyLess(x, y) || (!keyLess(y, x) && a < b);
    });
    // 2. Each run of one key: a lone item as it is, several as one batch.
    for (size_t from = 0; from < rs.batchOrder.size();) {
        const KDrawItem& first = rs.batchable[static_cast<size_t>(rs.batchOrder[from])];
        size_t to = from + 1;
        float depth = first.depth;
        while (to < rs.batchOrder.size() &&
               sameKey(first, rs.batchable[static_cast<size_t>(rs.batchOrder[to])])) {
            depth = std::min(depth, rs.batchable[static_cast<size_t>(rs.batchOrder[to])].depth);
            ++to;
        }
        if (to - from == 1) {
            addToList(rs, first);
        } else {
            KBatch& b = batchFor(rs, first);
            b.usedFrame = rs.frameNumber;
            if (!unchanged(b, rs, from, to)) rebuild(b, rs, from, to);
            KDrawItem item = first;
            item.mesh = item.mirrorMesh = &b.gpu;
            item.first = item.mirrorFirst = 0;
            item.count = item.mirrorCount = b.gpu.vertexCount;
            item.depth = depth;
            item.model = KMatrix();
            addToList(rs, item);
        }
        from = to;
    }
    rs.batchable.clear();
}

void KFreeBatches(KRenderState& rs) {
    for (KBatch& b : rs.batches)
        KReleaseGpuMesh(b.gpu);
    rs.batches.clear();
}
