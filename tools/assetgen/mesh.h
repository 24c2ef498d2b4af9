// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Triangle meshes built by the generator, and the shapes the models are made of.
// Texture coordinates are glTF's: (0,0) is the top-left corner of the picture as seen.

#include <cstdint>
#include <vector>

namespace assetgen {

struct V3 {
    float x = 0, y = 0, z = 0;
};
inline V3 operator+(V3 a, V3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline V3 operator-(V3 a, V3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline V3 operator*(V3 a, float s) {
    return {a.x * s, a.y * s, a.z * s};
}
float dot(V3 a, V3 b);
V3 cross(V3 a, V3 b);
V3 normalize(V3 a);

struct V2 {
    float x = 0, y = 0;
};

struct Vertex {
    V3 p, n;
    V2 uv;
};

struct Mesh {
    std::vector<Vertex> verts;
    std::vector<uint32_t> idx; // triangles, counter-clockwise seen from the front

    uint32_t add(V3 p, V3 n, V2 uv = {});
    void tri(uint32_t a, uint32_t b, uint32_t c);
    // Appends another mesh (vertices re-indexed).
    void append(const Mesh& m);
    void translate(V3 d);
    void scale(float s);
    // Turns about the vertical axis by the given angle in radians (positive: counter-clockwise
    // seen from above, +x towards -z).
    void rotateY(float radians);
    // Mirrors through the plane x = 0, keeping faces front-facing.
    void mirrorX();
    void flipFaces();
    float minY() const;
    float maxY() const;
};

// A point of a lathe profile: radius and height. `sharp` splits the normals there (a crease).
struct ProfilePoint {
    float r, y;
    bool sharp = false;
};

// Surface of revolution about the y axis, `segments` around, smooth normals except at sharp
// points; u runs around, v along the profile. Profiles start and end on the axis (r = 0) to
// close the solid.
Mesh lathe(const std::vector<ProfilePoint>& profile, int segments);

// Axis-aligned box between two corners, one quad per face with its own normals; uv 0..1 on
// every face.
Mesh box(V3 lo, V3 hi);

// Rectangle in the plane z = 0 facing +z, from (x0, y0) to (x1, y1), uv covering the picture
// with the top edge at y1 (u0..u1, v0..v1 given in glTF convention).
Mesh quad(float x0, float y0, float x1, float y1, float u0 = 0, float v0 = 0, float u1 = 1,
          float v1 = 1);

// Sphere of the given radius, uv as longitude/latitude; inward makes the faces point to the
// centre (for a sky dome).
Mesh sphere(float radius, int segments, int rings, bool inward = false);

// Prism from a closed 2D outline (x, y), extruded from z = -halfDepth to +halfDepth, with the
// edges rounded by `bevel` in `bevelSteps` steps. The outline is counter-clockwise and free of
// self-intersections; its caps are triangulated by ear clipping, subdivided and swollen by up
// to `dome`, reached `domeWidth` in from the rim, as a carved side is; the cap's triangles are
// split in four `capSplits` times for the swell to follow.
Mesh roundedExtrusion(const std::vector<V2>& outline, float halfDepth, float bevel, int bevelSteps,
                      float dome = 0, float domeWidth = 0.06f, int capSplits = 3);

// Distance from a point to a closed polygon's outline.
float outlineDistance(const std::vector<V2>& poly, V2 p);

// Smooth normals from the faces, shared by all vertices at the same place (no creases).
void smoothNormals(Mesh& m);

// Ear-clipping triangulation of a simple counter-clockwise polygon; indices into `poly`.
std::vector<uint32_t> triangulate(const std::vector<V2>& poly);

} // namespace assetgen
