// SPDX-License-Identifier: GPL-3.0-or-later
// Decor, squares and markers, board frame and pieces.
#include <cmath>
#include <string>

#include "tools/assetgen/gltf_writer.h"
#include "tools/assetgen/marks.h"
#include "tools/assetgen/models.h"
#include "tools/assetgen/panels.h"
#include "tools/assetgen/pieces.h"
#include "tools/assetgen/textures.h"

namespace assetgen {

namespace {

constexpr float PI = 3.14159265f;
constexpr float SQUARE_TOP = -0.01f; // height of the squares' top face under their origin

// A square frame swept round the board by a profile (d, y): d is the distance outwards from
// the edge of the squares (x, z from -0.5 to 7.5), y the height. Flat-shaded per side, the
// profile's own creases kept; top faces take the frame picture by world position.
Mesh sweepFrame(const std::vector<ProfilePoint>& prof) {
    Mesh m;
    const float lo = -0.5f, hi = 7.5f;
    // Side s runs along one edge; its outward direction and the corner order.
    const V3 out[4] = {{0, 0, 1}, {1, 0, 0}, {0, 0, -1}, {-1, 0, 0}};
    auto corner = [&](int s, int end, float d) {
        // Corners of the square grown by d, counter-clockwise seen from above.
        const V3 c[4] = {
            {lo - d, 0, hi + d}, {hi + d, 0, hi + d}, {hi + d, 0, lo - d}, {lo - d, 0, lo - d}};
        return c[(s + end) % 4];
    };
    for (int s = 0; s < 4; ++s) {
        for (size_t i = 0; i + 1 < prof.size(); ++i) {
            float dd = prof[i + 1].r - prof[i].r, dy = prof[i + 1].y - prof[i].y;
            float l = std::hypot(dd, dy);
            if (l == 0) continue;
            // The profile runs clockwise (in, up, over, down the outside): the solid lies on
            // the right of each segment, so its outward normal is the left one.
            float nd = -dy / l, ny = dd / l;
            V3 n = out[s] * nd + V3{0, ny, 0};
            V3 a = corner(s, 0, prof[i].r), b = corner(s, 1, prof[i].r);
            V3 c = corner(s, 1, prof[i + 1].r), d = corner(s, 0, prof[i + 1].r);
            a.y = b.y = prof[i].y;
            c.y = d.y = prof[i + 1].y;
            auto uv = [s](V3 p) {
                V2 t;
                frameUV(s, p.x, p.z, t.x, t.y);
                return t;
            };
            uint32_t ia = m.add(a, n, uv(a)), ib = m.add(b, n, uv(b));
            uint32_t ic = m.add(c, n, uv(c)), id = m.add(d, n, uv(d));
            m.tri(ia, ib, ic);
            m.tri(ia, ic, id);
        }
    }
    return m;
}

// A flat rectangle facing up at height y.
Mesh flatRect(float x0, float z0, float x1, float z1, float y) {
    Mesh m;
    V3 up{0, 1, 0};
    uint32_t a = m.add({x0, y, z0}, up, {0, 0}), b = m.add({x1, y, z0}, up, {1, 0});
    uint32_t c = m.add({x1, y, z1}, up, {1, 1}), d = m.add({x0, y, z1}, up, {0, 1});
    m.tri(a, b, c);
    m.tri(a, c, d);
    return m;
}

// A square frame of four flat bars: the select mark.
Mesh squareFrame(float outer, float inner) {
    Mesh m;
    float o = outer / 2, i = inner / 2;
    m.append(flatRect(-o, -o, o, -i, 0));
    m.append(flatRect(-o, i, o, o, 0));
    m.append(flatRect(-o, -i, -i, i, 0));
    m.append(flatRect(i, -i, o, i, 0));
    return m;
}

// Four flat corner brackets: the target mark.
Mesh corners(float outer, float arm, float width) {
    Mesh m;
    float o = outer / 2;
    for (int sx = -1; sx <= 1; sx += 2)
        for (int sz = -1; sz <= 1; sz += 2) {
            float x0 = sx < 0 ? -o : o - arm, z0 = sz < 0 ? -o : o - width;
            m.append(flatRect(x0, z0, x0 + arm, z0 + width, 0));
            float x1 = sx < 0 ? -o : o - width, z1 = sz < 0 ? -o + width : o - arm;
            m.append(flatRect(x1, z1, x1 + width, z1 + arm - width, 0));
        }
    return m;
}

Mesh flatQuadXZ(float half, float y) {
    Mesh m = quad(-half, -half, half, half);
    for (auto& v : m.verts) {
        v.p = {v.p.x, y, -v.p.y};
        v.n = {0, 1, 0};
    }
    return m;
}

MaterialDesc markMaterial(const std::string& name, int hex) {
    MaterialDesc m;
    m.name = name;
    m.colour = {((hex >> 16) & 255) / 255.0f, ((hex >> 8) & 255) / 255.0f, (hex & 255) / 255.0f, 1};
    m.unlit = true;
    return m;
}

MaterialDesc glowMaterial(const std::string& name, int hex) {
    MaterialDesc m = markMaterial(name, hex);
    m.texture = tex::GLOW;
    m.additive = true;
    m.colour[3] = 0.7f;
    return m;
}

} // namespace

bool writeDecor(const std::string& dir) {
    GltfWriter w;
    MaterialDesc sky;
    sky.name = "sky";
    sky.texture = tex::STARS;
    sky.unlit = true;
    int skyMat = w.material(sky);
    // The dome turns about its own vertical axis over the board centre.
    Mesh dome = sphere(90, 64, 32, true);
    w.node("dome", w.mesh("dome", {{skyMat, dome}}), {3.5f, -10, 3.5f});

    MaterialDesc wood;
    wood.name = "tableWood";
    wood.texture = tex::WOOD;
    wood.specular = {0.35f, 0.3f, 0.25f};
    wood.shininess = 40;
    wood.reflect = 0.12f;
    int woodMat = w.material(wood);
    // A round pedestal table under the board.
    std::vector<ProfilePoint> table = {
        {0, -4.5f},           {2.2f, -4.5f, true}, {2.2f, -4.3f},        {1.6f, -4.0f},
        {0.45f, -3.6f, true}, {0.35f, -2.0f},      {0.45f, -0.9f, true}, {6.3f, -0.6f, true},
        {6.5f, -0.52f},       {6.55f, -0.4f},      {6.5f, -0.29f},       {6.35f, -0.25f, true},
        {0, -0.25f}};
    Mesh tableMesh = lathe(table, 96);
    for (auto& v : tableMesh.verts)
        v.uv = {v.p.x * 0.12f, v.p.z * 0.12f + v.p.y * 0.2f};
    tableMesh.translate({3.5f, 0, 3.5f});
    w.node("table", w.mesh("table", {{woodMat, tableMesh}}));

    MaterialDesc floor;
    floor.name = "floorStone";
    floor.texture = tex::FLOOR;
    floor.specular = {0.3f, 0.3f, 0.35f};
    floor.shininess = 60;
    floor.reflect = 0.3f;
    int floorMat = w.material(floor);
    Mesh floorMesh = flatQuadXZ(45, -4.5f);
    for (auto& v : floorMesh.verts)
        v.uv = {v.p.x / 8, v.p.z / 8};
    floorMesh.translate({3.5f, 0, 3.5f});
    w.node("floor", w.mesh("floor", {{floorMat, floorMesh}}));

    w.camera("camera", {3.5f, 5.0f, 9.5f}, quatFromAngles(-45, 0, 0), 60, 0.1f, 400, 4.0f / 3);
    w.pointLight("light", {0, 0, 0}, {1.0f, 0.95f, 0.85f}, 1.0f, {0.28f, 0.27f, 0.26f},
                 {1.0f, 0.95f, 0.88f});
    w.pointLight("light2", {0, 0, 0}, {0.75f, 0.8f, 1.0f}, 0.7f, {0.12f, 0.12f, 0.14f},
                 {0.55f, 0.6f, 0.7f});
    return w.write(dir + "/M3D/Decor.m3d");
}

bool writeCase(const std::string& dir) {
    GltfWriter w;
    MaterialDesc light;
    light.name = "squareLight";
    light.texture = tex::MARBLE_LIGHT;
    light.specular = {0.7f, 0.7f, 0.65f};
    light.shininess = 90;
    light.reflect = 0.28f;
    MaterialDesc dark = light;
    dark.name = "squareDark";
    dark.texture = tex::MARBLE_DARK;
    dark.reflect = 0.4f;
    // The squares' top lies just below their origin, where the marks lie flat: a mark parked
    // under the camera then lies in a plane through the eye and shows nothing, and on a square
    // it sits above the marble.
    Mesh square = box({-0.5f, -0.09f, -0.5f}, {0.5f, SQUARE_TOP, 0.5f});
    w.node("caseR", w.mesh("caseR", {{w.material(light), square}}));
    w.node("caseB", w.mesh("caseB", {{w.material(dark), square}}));

    // Marks: White to move in green (select) and amber (target), Black to move in blue and
    // red; solid unlit bars readable on both marbles, over an additive glow.
    struct Mark {
        const char* name;
        int hex;
        bool target;
    };
    const Mark marks[4] = {{"caseSelectB", 0x3fe27a, false},
                           {"caseSelectN", 0x38b8ff, false},
                           {"caseDestB", 0xffc233, true},
                           {"caseDestN", 0xff5050, true}};
    for (const Mark& mk : marks) {
        int solid = w.material(markMaterial(std::string(mk.name) + "Bar", mk.hex));
        int glow = w.material(glowMaterial(std::string(mk.name) + "Glow", mk.hex));
        Mesh bars = mk.target ? corners(0.94f, 0.3f, 0.08f) : squareFrame(0.94f, 0.8f);
        Mesh halo = flatQuadXZ(0.5f, 0);
        w.node(mk.name, w.mesh(mk.name, {{solid, bars}, {glow, halo}}));
    }
    addMoveMarks(w);
    return w.write(dir + "/M3D/Case.m3d");
}

bool writeBoardFrame(const std::string& dir) {
    GltfWriter w;
    MaterialDesc wood;
    wood.name = "frameWood";
    wood.texture = tex::FRAME;
    wood.specular = {0.45f, 0.4f, 0.35f};
    wood.shininess = 60;
    wood.reflect = 0.1f;
    std::vector<ProfilePoint> prof = {
        {0, -0.08f},  {0, 0.01f, true},    {0.03f, 0.035f, true}, {0.46f, 0.035f, true},
        {0.5f, 0.0f}, {0.5f, -0.2f, true}, {0.44f, -0.24f, true}};
    Mesh frame = sweepFrame(prof);
    w.node("echiq", w.mesh("echiq", {{w.material(wood), frame}}));
    return w.write(dir + "/M3D/echiquier.m3d");
}

bool writePieces(const std::string& dir, bool white) {
    GltfWriter w;
    MaterialDesc m;
    if (white) {
        m.name = "ivory";
        m.colour = {0.93f, 0.89f, 0.8f, 1};
        m.ambient = std::array<float, 3>{0.34f, 0.32f, 0.29f};
        m.specular = {0.9f, 0.88f, 0.82f};
        m.shininess = 70;
    } else {
        m.name = "ebony";
        m.colour = {0.14f, 0.12f, 0.12f, 1};
        m.ambient = std::array<float, 3>{0.05f, 0.045f, 0.045f};
        m.specular = {0.8f, 0.8f, 0.85f};
        m.shininess = 60;
    }
    int mat = w.material(m);
    const char* suffix = white ? "B" : "N";
    struct P {
        const char* stem;
        Mesh (*shape)(const Detail&);
    };
    const P pieces[6] = {{"pion", pawnShape},  {"dame", queenShape},  {"roi", kingShape},
                         {"fou", bishopShape}, {"cava", knightShape}, {"tour", rookShape}};
    for (const P& p : pieces) {
        std::string name = std::string(p.stem) + suffix;
        int meshes[PIECE_LEVELS];
        for (int level = 0; level < PIECE_LEVELS; ++level) {
            Mesh m = p.shape(PIECE_DETAIL[level]);
            // Knights turn their profile to the players: White's look towards the a-file,
            // Black's towards the h-file.
            if (p.shape == knightShape) m.rotateY(white ? PI : 0);
            meshes[level] =
                w.mesh(level == 0 ? name : name + "_lod" + std::to_string(level), {{mat, m}});
        }
        // The node's own height puts the base on the square's top face.
        int node = w.node(name, meshes[0], {0, SQUARE_TOP, 0});
        w.levels(node, {meshes + 1, meshes + PIECE_LEVELS},
                 {PIECE_COVERAGE, PIECE_COVERAGE + PIECE_LEVELS});
    }
    return w.write(dir + (white ? "/M3D/ChessBoardB.M3D" : "/M3D/ChessBoardN.M3D"));
}

} // namespace assetgen
