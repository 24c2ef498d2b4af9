// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/assetgen/pieces.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace assetgen {

namespace {

using Profile = std::vector<ProfilePoint>;

// `steps` of a full-detail curve kept at detail d.
int stepsAt(const Detail& d, int steps) {
    return std::max(1, int(std::lround(steps * d.arcSteps)));
}

// Appends an arc of the circle (centre r0, y0) from angle a0 to a1 in degrees (0 points
// outwards, 90 up), in `fullSteps` steps at full detail.
void arc(Profile& p, float r0, float y0, float radius, float a0, float a1, int fullSteps,
         const Detail& d) {
    const int steps = stepsAt(d, fullSteps);
    for (int i = 0; i <= steps; ++i) {
        float a = (a0 + (a1 - a0) * i / steps) * float(M_PI) / 180.0f;
        p.push_back({std::max(0.0f, r0 + radius * std::cos(a)), y0 + radius * std::sin(a)});
    }
}

// The turned foot shared by every piece: a wide plinth, a torus moulding and a cove,
// scaled by the base radius R. Ends at the top of the cove, radius about 0.62 R.
void foot(Profile& p, float R, const Detail& d) {
    p.push_back({0, 0});
    p.push_back({R, 0, true});
    p.push_back({R, 0.02f});
    arc(p, R - 0.018f, 0.038f, 0.02f, -20, 90, 5, d);
    p.back().sharp = true;
    p.push_back({R * 0.9f, 0.058f});
    arc(p, R * 0.84f, 0.085f, 0.027f, -90, 90, 8, d); // torus moulding
    p.push_back({R * 0.74f, 0.115f, true});
    arc(p, R * 0.58f + 0.03f, 0.14f, 0.03f, -80, 160, 6, d); // cove and bead
}

// Closes a profile on the axis with a dome of the given radius above the last point.
void capSphere(Profile& p, float centreY, float radius, float fromDeg, const Detail& d) {
    arc(p, 0, centreY, radius, fromDeg, 90, 12, d);
}

// A small ball of `seg` x `rings` at full detail.
Mesh ball(float radius, int seg, int rings, const Detail& d) {
    return sphere(radius, std::max(6, int(std::lround(seg * d.sphereCut))),
                  std::max(4, int(std::lround(rings * d.sphereCut))));
}

// A block of the rook's battlement: a sector of a ring between two radii and angles, flat
// faces with their own normals.
Mesh merlon(float r0, float r1, float a0, float a1, float y0, float y1, const Detail& d) {
    Mesh m;
    const int steps = std::max(2, d.segments / 8);
    auto at = [](float r, float a, float y) { return V3{r * std::cos(a), y, r * std::sin(a)}; };
    for (int side = 0; side < 2; ++side) { // outer then inner curved face
        float r = side ? r0 : r1;
        for (int i = 0; i < steps; ++i) {
            float ta = a0 + (a1 - a0) * i / steps, tb = a0 + (a1 - a0) * (i + 1) / steps;
            V3 na{std::cos(ta), 0, std::sin(ta)}, nb{std::cos(tb), 0, std::sin(tb)};
            if (side) na = na * -1.0f, nb = nb * -1.0f;
            uint32_t a = m.add(at(r, ta, y0), na), b = m.add(at(r, tb, y0), nb);
            uint32_t c = m.add(at(r, tb, y1), nb), d = m.add(at(r, ta, y1), na);
            m.tri(a, b, c);
            m.tri(a, c, d);
        }
    }
    for (int i = 0; i < steps; ++i) { // top
        float ta = a0 + (a1 - a0) * i / steps, tb = a0 + (a1 - a0) * (i + 1) / steps;
        V3 up{0, 1, 0};
        uint32_t a = m.add(at(r0, ta, y1), up), b = m.add(at(r1, ta, y1), up);
        uint32_t c = m.add(at(r1, tb, y1), up), d = m.add(at(r0, tb, y1), up);
        m.tri(a, b, c);
        m.tri(a, c, d);
    }
    for (int end = 0; end < 2; ++end) { // the two cut faces
        float a = end ? a1 : a0;
        V3 n = end ? V3{-std::sin(a), 0, std::cos(a)} : V3{std::sin(a), 0, -std::cos(a)};
        uint32_t i0 = m.add(at(r0, a, y0), n), i1 = m.add(at(r1, a, y0), n);
        uint32_t i2 = m.add(at(r1, a, y1), n), i3 = m.add(at(r0, a, y1), n);
        m.tri(i0, i1, i2);
        m.tri(i0, i2, i3);
    }
    return m;
}

// Catmull-Rom smoothing of a closed outline; points flagged sharp keep their corner.
std::vector<V2> smoothOutline(const std::vector<V2>& pts, const std::vector<bool>& sharp, int sub) {
    std::vector<V2> out;
    size_t n = pts.size();
    for (size_t i = 0; i < n; ++i) {
        V2 p0 = pts[(i + n - 1) % n], p1 = pts[i], p2 = pts[(i + 1) % n], p3 = pts[(i + 2) % n];
        if (sharp[i]) p0 = p1;
        if (sharp[(i + 1) % n]) p3 = p2;
        for (int s = 0; s < sub; ++s) {
            float t = float(s) / sub, t2 = t * t, t3 = t2 * t;
            auto cr = [&](float a, float b, float c, float d) {
                return 0.5f * (2 * b + (-a + c) * t + (2 * a - 5 * b + 4 * c - d) * t2 +
                               (-a + 3 * b - 3 * c + d) * t3);
            };
            out.push_back({cr(p0.x, p1.x, p2.x, p3.x), cr(p0.y, p1.y, p2.y, p3.y)});
        }
    }
    return out;
}

} // namespace

Mesh pawnShape(const Detail& d) {
    Profile p;
    foot(p, 0.21f, d);
    p.push_back({0.105f, 0.19f});
    p.push_back({0.082f, 0.25f});
    p.push_back({0.074f, 0.285f, true});
    arc(p, 0.1f, 0.3f, 0.016f, -90, 90, 6, d); // collar
    p.push_back({0.07f, 0.322f, true});
    capSphere(p, 0.405f, 0.098f, -58, d);
    return lathe(p, d.segments);
}

Mesh rookShape(const Detail& d) {
    Profile p;
    foot(p, 0.245f, d);
    p.push_back({0.15f, 0.2f});
    p.push_back({0.135f, 0.33f});
    p.push_back({0.13f, 0.4f, true});
    arc(p, 0.152f, 0.415f, 0.016f, -90, 90, 5, d);
    p.push_back({0.15f, 0.432f, true});
    p.push_back({0.17f, 0.455f});
    p.push_back({0.178f, 0.5f, true});
    p.push_back({0.11f, 0.5f, true}); // inner floor of the battlement
    p.push_back({0.11f, 0.49f, true});
    p.push_back({0, 0.49f});
    Mesh m = lathe(p, d.segments);
    const int blocks = 6;
    for (int i = 0; i < blocks; ++i) {
        float a0 = 2 * float(M_PI) * i / blocks, a1 = a0 + 2 * float(M_PI) / blocks * 0.62f;
        m.append(merlon(0.11f, 0.178f, a0, a1, 0.5f, 0.575f, d));
    }
    return m;
}

Mesh bishopShape(const Detail& d) {
    Profile p;
    foot(p, 0.225f, d);
    p.push_back({0.11f, 0.2f});
    p.push_back({0.08f, 0.33f});
    p.push_back({0.07f, 0.43f, true});
    arc(p, 0.1f, 0.445f, 0.017f, -90, 90, 6, d); // collar
    p.push_back({0.075f, 0.465f, true});
    arc(p, 0.085f, 0.475f, 0.01f, -90, 90, 4, d);
    p.push_back({0.065f, 0.49f, true});
    // Mitre: an egg rising to a point, then the bead on top.
    const int mitre = stepsAt(d, 12);
    for (int i = 0; i <= mitre; ++i) {
        float t = float(i) / mitre, a = t * float(M_PI);
        p.push_back({0.095f * std::sin(a * 0.5f + 0.55f) * (1 - t * 0.25f), 0.49f + 0.17f * t});
    }
    p.back().sharp = true;
    capSphere(p, 0.69f, 0.028f, -70, d);
    return lathe(p, d.segments);
}

Mesh queenShape(const Detail& d) {
    Profile p;
    foot(p, 0.25f, d);
    p.push_back({0.12f, 0.21f});
    p.push_back({0.085f, 0.38f});
    p.push_back({0.07f, 0.52f, true});
    arc(p, 0.105f, 0.535f, 0.017f, -90, 90, 6, d);
    p.push_back({0.08f, 0.555f, true});
    arc(p, 0.09f, 0.565f, 0.011f, -90, 90, 4, d);
    p.push_back({0.07f, 0.58f, true});
    // Crown: a flaring cup with a rim, a low dome inside and a ball on top.
    p.push_back({0.1f, 0.66f});
    p.push_back({0.13f, 0.71f, true});
    p.push_back({0.12f, 0.72f, true});
    p.push_back({0.075f, 0.735f});
    capSphere(p, 0.69f, 0.075f, 40, d);
    Mesh m = lathe(p, d.segments);
    Mesh top = ball(0.038f, 24, 12, d);
    top.translate({0, 0.795f, 0});
    m.append(top);
    for (int i = 0; i < 8; ++i) { // the points of the crown
        Mesh b = ball(0.02f, 12, 8, d);
        float a = 2 * float(M_PI) * i / 8;
        b.translate({0.125f * std::cos(a), 0.73f, 0.125f * std::sin(a)});
        m.append(b);
    }
    return m;
}

Mesh kingShape(const Detail& d) {
    Profile p;
    foot(p, 0.26f, d);
    p.push_back({0.125f, 0.21f});
    p.push_back({0.09f, 0.42f});
    p.push_back({0.075f, 0.56f, true});
    arc(p, 0.11f, 0.575f, 0.018f, -90, 90, 6, d);
    p.push_back({0.085f, 0.596f, true});
    arc(p, 0.095f, 0.606f, 0.011f, -90, 90, 4, d);
    p.push_back({0.075f, 0.62f, true});
    p.push_back({0.115f, 0.72f});
    p.push_back({0.12f, 0.745f, true});
    p.push_back({0.08f, 0.76f});
    p.push_back({0.04f, 0.775f, true});
    p.push_back({0, 0.78f});
    Mesh m = lathe(p, d.segments);
    // The cross: a plus-shaped outline extruded with rounded edges, so that its polish
    // catches the light along the edges instead of flashing on flat faces.
    const float w = 0.022f, arm = 0.066f, lo = 0.835f, hi = 0.878f, bottom = 0.76f, top = 0.94f;
    std::vector<V2> plus = {{-w, bottom}, {w, bottom}, {w, lo},  {arm, lo},  {arm, hi},  {w, hi},
                            {w, top},     {-w, top},   {-w, hi}, {-arm, hi}, {-arm, lo}, {-w, lo}};
    Mesh cross = roundedExtrusion(plus, 0.02f, 0.009f, std::min(3, d.bevelSteps), 0.008f, 0.014f,
                                  d.capSplits);
    smoothNormals(cross);
    m.append(cross);
    return m;
}

Mesh knightShape(const Detail& d) {
    // 1. The foot, closed by a low dome under the head.
    Profile p;
    foot(p, 0.235f, d);
    p.push_back({0.13f, 0.175f, true});
    p.push_back({0, 0.18f});
    Mesh m = lathe(p, d.segments);

    // 2. The head seen from its left side, facing +x, counter-clockwise.
    struct Pt {
        float x, y;
        bool sharp;
    };
    const std::vector<Pt> side = {
        {-0.13f, 0.15f, true},   {0.12f, 0.15f, true},    {0.145f, 0.21f, false},
        {0.125f, 0.275f, false}, {0.105f, 0.315f, false}, {0.15f, 0.345f, false},
        {0.225f, 0.362f, false}, {0.275f, 0.388f, false}, {0.292f, 0.425f, true},
        {0.285f, 0.455f, false}, {0.258f, 0.48f, false},  {0.19f, 0.515f, false},
        {0.125f, 0.565f, false}, {0.088f, 0.605f, true},  {0.078f, 0.675f, true},
        {0.04f, 0.628f, true},   {0.002f, 0.618f, false}, {-0.055f, 0.59f, false},
        {-0.105f, 0.53f, false}, {-0.145f, 0.45f, false}, {-0.165f, 0.36f, false},
        {-0.172f, 0.26f, false}, {-0.16f, 0.19f, false}};
    std::vector<V2> pts;
    std::vector<bool> sharp;
    for (auto& s : side) {
        pts.push_back({s.x, s.y});
        sharp.push_back(s.sharp);
    }
    std::vector<V2> outline = smoothOutline(pts, sharp, d.outlineSub);
    const float halfDepth = 0.08f, bevel = 0.035f, dome = 0.035f;
    Mesh head = roundedExtrusion(outline, halfDepth, bevel, d.bevelSteps, dome, 0.06f, d.capSplits);
    // 3. Sculpt: the muzzle narrows and the neck swells, as a carver would shape it.
    auto sculpt = [](float x, float y) {
        float t = std::clamp((x - 0.05f) / 0.24f, 0.0f, 1.0f);
        float neck = std::clamp((0.35f - y) / 0.2f, 0.0f, 1.0f);
        return (1.0f - 0.3f * t) * (1.0f + 0.2f * neck);
    };
    for (auto& v : head.verts)
        v.p.z *= sculpt(v.p.x, v.p.y);
    smoothNormals(head);
    // Height of the carved side above the middle plane at (x, y).
    auto surface = [&](float x, float y) {
        float t = std::min(1.0f, std::max(0.0f, outlineDistance(outline, {x, y}) - bevel) / 0.06f);
        return (halfDepth + dome * t * t * (3 - 2 * t)) * sculpt(x, y);
    };
    // Eyes: small beads set into the cheeks.
    for (int s = -1; s <= 1; s += 2) {
        Mesh eye = ball(0.016f, 12, 8, d);
        eye.translate({0.15f, 0.52f, s * (surface(0.15f, 0.52f) - 0.006f)});
        head.append(eye);
    }
    // The mane: a row of tufts along the back of the neck, half standing out of it.
    const V2 back[] = {{0.0f, 0.615f},   {-0.055f, 0.59f}, {-0.105f, 0.53f},
                       {-0.145f, 0.45f}, {-0.165f, 0.36f}, {-0.172f, 0.27f}};
    for (int i = 0; i < 8; ++i) {
        float t = 0.08f + 0.8f * i / 7 * 5, f = t - std::floor(t);
        int k = std::min(4, int(t));
        V2 p{back[k].x + (back[k + 1].x - back[k].x) * f,
             back[k].y + (back[k + 1].y - back[k].y) * f};
        Mesh tuft = ball(0.032f, 16, 10, d);
        for (auto& v : tuft.verts)
            v.p.z *= 0.55f;
        tuft.translate({p.x + 0.008f, p.y, 0});
        head.append(tuft);
    }
    m.append(head);
    return m;
}

} // namespace assetgen
