// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/assetgen/mesh.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace assetgen {

float dot(V3 a, V3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
V3 cross(V3 a, V3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
V3 normalize(V3 a) {
    float l = std::sqrt(dot(a, a));
    return l > 1e-12f ? a * (1.0f / l) : V3{0, 1, 0};
}

uint32_t Mesh::add(V3 p, V3 n, V2 uv) {
    verts.push_back({p, normalize(n), uv});
    return uint32_t(verts.size() - 1);
}

// Every shape gives its vertices the outward normals it means; the winding is taken from them
// so that each face is counter-clockwise seen from the side its normals point to.
void Mesh::tri(uint32_t a, uint32_t b, uint32_t c) {
    V3 fn = cross(verts[b].p - verts[a].p, verts[c].p - verts[a].p);
    V3 vn = verts[a].n + verts[b].n + verts[c].n;
    if (dot(fn, vn) < 0) std::swap(b, c);
    idx.insert(idx.end(), {a, b, c});
}

void Mesh::append(const Mesh& m) {
    uint32_t base = uint32_t(verts.size());
    verts.insert(verts.end(), m.verts.begin(), m.verts.end());
    for (uint32_t i : m.idx)
        idx.push_back(base + i);
}

void Mesh::translate(V3 d) {
    for (auto& v : verts)
        v.p = v.p + d;
}

void Mesh::scale(float s) {
    for (auto& v : verts)
        v.p = v.p * s;
}

void Mesh::rotateY(float a) {
    float c = std::cos(a), s = std::sin(a);
    auto rot = [&](V3 p) { return V3{c * p.x + s * p.z, p.y, -s * p.x + c * p.z}; };
    for (auto& v : verts) {
        v.p = rot(v.p);
        v.n = rot(v.n);
    }
}

void Mesh::mirrorX() {
    for (auto& v : verts) {
        v.p.x = -v.p.x;
        v.n.x = -v.n.x;
    }
    flipFaces();
}

void Mesh::flipFaces() {
    for (size_t i = 0; i + 2 < idx.size(); i += 3)
        std::swap(idx[i + 1], idx[i + 2]);
}

float Mesh::minY() const {
    float m = 1e30f;
    for (auto& v : verts)
        m = std::min(m, v.p.y);
    return m;
}

float Mesh::maxY() const {
    float m = -1e30f;
    for (auto& v : verts)
        m = std::max(m, v.p.y);
    return m;
}

Mesh lathe(const std::vector<ProfilePoint>& prof, int seg) {
    // 1. Outward normal of each profile segment in the (r, y) plane.
    size_t n = prof.size();
    std::vector<V2> segN(n - 1);
    for (size_t i = 0; i + 1 < n; ++i) {
        float dr = prof[i + 1].r - prof[i].r, dy = prof[i + 1].y - prof[i].y;
        float l = std::sqrt(dr * dr + dy * dy);
        segN[i] = l > 0 ? V2{dy / l, -dr / l} : V2{0, 1};
    }
    // 2. One ring per profile point, two at a crease; profile length drives v.
    struct Ring {
        float r, y, v;
        V2 n;
    };
    std::vector<Ring> rings;
    float total = 0, run = 0;
    for (size_t i = 0; i + 1 < n; ++i)
        total += std::hypot(prof[i + 1].r - prof[i].r, prof[i + 1].y - prof[i].y);
    for (size_t i = 0; i < n; ++i) {
        if (i > 0) run += std::hypot(prof[i].r - prof[i - 1].r, prof[i].y - prof[i - 1].y);
        float v = total > 0 ? run / total : 0;
        if (i == 0) {
            rings.push_back({prof[i].r, prof[i].y, v, segN[0]});
        } else if (i == n - 1) {
            rings.push_back({prof[i].r, prof[i].y, v, segN[n - 2]});
        } else if (prof[i].sharp) {
            rings.push_back({prof[i].r, prof[i].y, v, segN[i - 1]});
            rings.push_back({prof[i].r, prof[i].y, v, segN[i]});
        } else {
            V2 a = segN[i - 1], b = segN[i];
            V2 m{a.x + b.x, a.y + b.y};
            float l = std::hypot(m.x, m.y);
            rings.push_back({prof[i].r, prof[i].y, v, l > 0 ? V2{m.x / l, m.y / l} : b});
        }
    }
    // 3. Vertices ring by ring, seam duplicated so u runs 0..1.
    Mesh m;
    for (auto& rg : rings)
        for (int j = 0; j <= seg; ++j) {
            float t = 2.0f * float(M_PI) * j / seg, c = std::cos(t), s = std::sin(t);
            m.add({rg.r * c, rg.y, rg.r * s}, {rg.n.x * c, rg.n.y, rg.n.x * s},
                  {float(j) / seg, rg.v});
        }
    // 4. Quads between consecutive rings, except between the two rings of a crease.
    for (size_t i = 0; i + 1 < rings.size(); ++i) {
        if (rings[i].r == rings[i + 1].r && rings[i].y == rings[i + 1].y) continue;
        for (int j = 0; j < seg; ++j) {
            uint32_t a = uint32_t(i * (seg + 1) + j), b = a + 1;
            uint32_t d = a + seg + 1, c = d + 1;
            // A ring on the axis collapses its quads into triangles.
            if (rings[i + 1].r > 0) m.tri(a, d, c);
            if (rings[i].r > 0) m.tri(a, c, b);
        }
    }
    return m;
}

static void addQuad(Mesh& m, V3 a, V3 b, V3 c, V3 d, V3 n) {
    // a..d counter-clockwise seen from the front; a is the bottom-left corner of the picture.
    uint32_t i0 = m.add(a, n, {0, 1}), i1 = m.add(b, n, {1, 1});
    uint32_t i2 = m.add(c, n, {1, 0}), i3 = m.add(d, n, {0, 0});
    m.tri(i0, i1, i2);
    m.tri(i0, i2, i3);
}

Mesh box(V3 lo, V3 hi) {
    Mesh m;
    V3 p[8];
    for (int i = 0; i < 8; ++i)
        p[i] = {i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z};
    addQuad(m, p[4], p[5], p[7], p[6], {0, 0, 1});  // +z
    addQuad(m, p[1], p[0], p[2], p[3], {0, 0, -1}); // -z
    addQuad(m, p[5], p[1], p[3], p[7], {1, 0, 0});  // +x
    addQuad(m, p[0], p[4], p[6], p[2], {-1, 0, 0}); // -x
    addQuad(m, p[6], p[7], p[3], p[2], {0, 1, 0});  // +y
    addQuad(m, p[0], p[1], p[5], p[4], {0, -1, 0}); // -y
    return m;
}

Mesh quad(float x0, float y0, float x1, float y1, float u0, float v0, float u1, float v1) {
    Mesh m;
    uint32_t a = m.add({x0, y0, 0}, {0, 0, 1}, {u0, v1});
    uint32_t b = m.add({x1, y0, 0}, {0, 0, 1}, {u1, v1});
    uint32_t c = m.add({x1, y1, 0}, {0, 0, 1}, {u1, v0});
    uint32_t d = m.add({x0, y1, 0}, {0, 0, 1}, {u0, v0});
    m.tri(a, b, c);
    m.tri(a, c, d);
    return m;
}

Mesh sphere(float radius, int seg, int rings, bool inward) {
    Mesh m;
    for (int i = 0; i <= rings; ++i) {
        float phi = float(M_PI) * i / rings; // 0 at the top
        for (int j = 0; j <= seg; ++j) {
            float th = 2.0f * float(M_PI) * j / seg;
            V3 n{std::sin(phi) * std::cos(th), std::cos(phi), std::sin(phi) * std::sin(th)};
            m.add(n * radius, inward ? n * -1.0f : n, {float(j) / seg, float(i) / rings});
        }
    }
    for (int i = 0; i < rings; ++i)
        for (int j = 0; j < seg; ++j) {
            uint32_t a = i * (seg + 1) + j, b = a + 1, d = a + seg + 1, c = d + 1;
            if (i > 0) m.tri(a, b, c);
            if (i < rings - 1) m.tri(a, c, d);
        }
    return m;
}

static float cross2(V2 o, V2 a, V2 b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

std::vector<uint32_t> triangulate(const std::vector<V2>& poly) {
    std::vector<uint32_t> out, rest(poly.size());
    for (uint32_t i = 0; i < rest.size(); ++i)
        rest[i] = i;
    size_t guard = 0;
    while (rest.size() > 3 && guard < poly.size() * poly.size()) {
        ++guard;
        bool clipped = false;
        for (size_t i = 0; i < rest.size(); ++i) {
            uint32_t ia = rest[(i + rest.size() - 1) % rest.size()], ib = rest[i],
                     ic = rest[(i + 1) % rest.size()];
            V2 a = poly[ia], b = poly[ib], c = poly[ic];
            if (cross2(a, b, c) <= 0) continue; // reflex corner: not an ear
            bool inside = false;
            for (uint32_t k : rest) {
                if (k == ia || k == ib || k == ic) continue;
                V2 p = poly[k];
                if (cross2(a, b, p) >= 0 && cross2(b, c, p) >= 0 && cross2(c, a, p) >= 0) {
                    inside = true;
                    break;
                }
            }
            if (inside) continue;
            out.insert(out.end(), {ia, ib, ic});
            rest.erase(rest.begin() + i);
            clipped = true;
            break;
        }
        if (!clipped) break; // degenerate outline: stop rather than loop
    }
    if (rest.size() == 3) out.insert(out.end(), {rest[0], rest[1], rest[2]});
    return out;
}

float outlineDistance(const std::vector<V2>& poly, V2 p) {
    float best = 1e30f;
    for (size_t i = 0; i < poly.size(); ++i) {
        V2 a = poly[i], b = poly[(i + 1) % poly.size()];
        float dx = b.x - a.x, dy = b.y - a.y, l2 = dx * dx + dy * dy;
        float t = l2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / l2, 0.0f, 1.0f) : 0;
        best = std::min(best, std::hypot(a.x + dx * t - p.x, a.y + dy * t - p.y));
    }
    return best;
}

void smoothNormals(Mesh& m) {
    std::map<std::tuple<long, long, long>, V3> acc;
    auto key = [](V3 p) {
        return std::make_tuple(std::lround(p.x * 1e5), std::lround(p.y * 1e5),
                               std::lround(p.z * 1e5));
    };
    for (size_t t = 0; t + 2 < m.idx.size(); t += 3) {
        V3 a = m.verts[m.idx[t]].p, b = m.verts[m.idx[t + 1]].p, c = m.verts[m.idx[t + 2]].p;
        V3 n = cross(b - a, c - a); // area-weighted
        for (V3 p : {a, b, c})
            acc[key(p)] = acc[key(p)] + n;
    }
    for (auto& v : m.verts)
        v.n = normalize(acc[key(v.p)]);
}

// Lawson flips towards the Delaunay triangulation of the polygon: an inner edge whose two
// opposite angles add up to more than 180 degrees is swapped for the other diagonal, which
// turns ear clipping's fans of slivers into well-shaped triangles.
static void delaunayFlips(const std::vector<V2>& pts, std::vector<uint32_t>& tris) {
    auto angleAt = [&](uint32_t o, uint32_t a, uint32_t b) {
        V2 u{pts[a].x - pts[o].x, pts[a].y - pts[o].y}, v{pts[b].x - pts[o].x, pts[b].y - pts[o].y};
        return std::atan2(std::fabs(u.x * v.y - u.y * v.x), u.x * v.x + u.y * v.y);
    };
    for (int pass = 0; pass < 200; ++pass) {
        std::map<std::pair<uint32_t, uint32_t>, std::vector<size_t>> edges;
        for (size_t t = 0; t < tris.size(); t += 3)
            for (int k = 0; k < 3; ++k)
                edges[std::minmax(tris[t + k], tris[t + (k + 1) % 3])].push_back(t);
        bool flipped = false;
        for (auto& [e, ts] : edges) {
            if (ts.size() != 2) continue; // outline edge
            size_t t0 = ts[0], t1 = ts[1];
            auto other = [&](size_t t) {
                for (int k = 0; k < 3; ++k)
                    if (tris[t + k] != e.first && tris[t + k] != e.second) return tris[t + k];
                return tris[t];
            };
            uint32_t c = other(t0), d = other(t1);
            if (angleAt(c, e.first, e.second) + angleAt(d, e.first, e.second) <=
                float(M_PI) + 1e-4f)
                continue;
            // Keep the counter-clockwise order: rebuild both triangles around the new edge c-d.
            auto ccw = [&](uint32_t a, uint32_t b, uint32_t x) {
                return (pts[b].x - pts[a].x) * (pts[x].y - pts[a].y) -
                           (pts[b].y - pts[a].y) * (pts[x].x - pts[a].x) >
                       0;
            };
            uint32_t a = e.first, b = e.second;
            if (!ccw(c, d, a) && !ccw(c, a, d)) continue;
            tris[t0] = c, tris[t0 + 1] = d, tris[t0 + 2] = a;
            if (!ccw(c, d, a)) std::swap(tris[t0 + 1], tris[t0 + 2]);
            tris[t1] = c, tris[t1 + 1] = d, tris[t1 + 2] = b;
            if (!ccw(c, d, b)) std::swap(tris[t1 + 1], tris[t1 + 2]);
            flipped = true;
            break; // adjacency changed: rebuild it
        }
        if (!flipped) break;
    }
}

// Splits every triangle into four, `levels` times; midpoints shared by edge.
static void subdivide(std::vector<V2>& pts, std::vector<uint32_t>& tris, int levels) {
    for (int l = 0; l < levels; ++l) {
        std::map<std::pair<uint32_t, uint32_t>, uint32_t> mid;
        auto midpoint = [&](uint32_t a, uint32_t b) {
            auto k = std::minmax(a, b);
            auto it = mid.find(k);
            if (it != mid.end()) return it->second;
            pts.push_back({(pts[a].x + pts[b].x) / 2, (pts[a].y + pts[b].y) / 2});
            return mid[k] = uint32_t(pts.size() - 1);
        };
        std::vector<uint32_t> out;
        for (size_t t = 0; t + 2 < tris.size(); t += 3) {
            uint32_t a = tris[t], b = tris[t + 1], c = tris[t + 2];
            uint32_t ab = midpoint(a, b), bc = midpoint(b, c), ca = midpoint(c, a);
            out.insert(out.end(), {a, ab, ca, ab, b, bc, ca, bc, c, ab, bc, ca});
        }
        tris = out;
    }
}

Mesh roundedExtrusion(const std::vector<V2>& outline, float halfDepth, float bevel, int steps,
                      float dome, float domeWidth, int capSplits) {
    size_t n = outline.size();
    // 1. Outward vertex normals of the counter-clockwise outline and the miter length.
    std::vector<V2> vn(n);
    std::vector<float> miter(n);
    auto edgeN = [&](size_t i) {
        V2 a = outline[i], b = outline[(i + 1) % n];
        float dx = b.x - a.x, dy = b.y - a.y, l = std::hypot(dx, dy);
        return l > 0 ? V2{dy / l, -dx / l} : V2{0, 0};
    };
    for (size_t i = 0; i < n; ++i) {
        V2 e0 = edgeN((i + n - 1) % n), e1 = edgeN(i);
        V2 m{e0.x + e1.x, e0.y + e1.y};
        float l = std::hypot(m.x, m.y);
        vn[i] = l > 1e-6f ? V2{m.x / l, m.y / l} : e1;
        miter[i] = 1.0f / std::max(0.35f, vn[i].x * e1.x + vn[i].y * e1.y);
    }
    auto ringPoint = [&](size_t i, float inset) {
        return V2{outline[i].x - vn[i].x * inset * miter[i],
                  outline[i].y - vn[i].y * inset * miter[i]};
    };
    // 2. Rings from the back cap's edge round the side to the front cap's edge.
    Mesh m;
    std::vector<uint32_t> ringStart;
    for (int side = -1; side <= 1; side += 2) {
        for (int k = 0; k <= steps; ++k) {
            int kk = side < 0 ? steps - k : k;
            float phi = float(M_PI) / 2 * kk / steps, c = std::cos(phi), s = std::sin(phi);
            float z = side * (halfDepth - bevel + bevel * s), inset = bevel * (1 - c);
            ringStart.push_back(uint32_t(m.verts.size()));
            for (size_t i = 0; i <= n; ++i) {
                size_t ii = i % n;
                V2 p = ringPoint(ii, inset);
                m.add({p.x, p.y, z}, {vn[ii].x * c, vn[ii].y * c, side * s},
                      {float(i) / n, 0.5f + z / (2 * halfDepth)});
            }
        }
    }
    for (size_t r = 0; r + 1 < ringStart.size(); ++r)
        for (size_t i = 0; i < n; ++i) {
            uint32_t a = ringStart[r] + uint32_t(i), b = a + 1;
            uint32_t d = ringStart[r + 1] + uint32_t(i), c = d + 1;
            m.tri(a, b, c);
            m.tri(a, c, d);
        }
    // 3. Caps on both faces, swollen towards the middle: the swell leaves the rim level with
    // the bevel (no crease) and levels off inside.
    std::vector<V2> cap(n);
    for (size_t i = 0; i < n; ++i)
        cap[i] = ringPoint(i, bevel);
    std::vector<V2> pts = cap;
    auto tris = triangulate(cap);
    if (dome > 0) {
        delaunayFlips(pts, tris);
        subdivide(pts, tris, capSplits);
    }
    for (int side = -1; side <= 1; side += 2) {
        uint32_t base = uint32_t(m.verts.size());
        for (V2 p : pts) {
            float t = std::min(1.0f, outlineDistance(cap, p) / domeWidth);
            float swell = dome * t * t * (3 - 2 * t); // level with the rim, then flat on top
            m.add({p.x, p.y, side * (halfDepth + swell)}, {0, 0, float(side)}, {p.x, p.y});
        }
        for (size_t t = 0; t + 2 < tris.size(); t += 3)
            m.tri(base + tris[t], base + tris[t + 1], base + tris[t + 2]);
    }
    return m;
}

} // namespace assetgen
