// SPDX-License-Identifier: GPL-3.0-or-later
// The model files: every file loads, holds every name the game looks up, uses pictures that
// exist, and its shapes are sound (faces outwards, pieces standing on their squares, the wall
// cube turning each page towards the camera the right way round).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <map>

#include <stb/stb_image.h>

#include "tests/assets/asset_data.h"
#include "tools/assetgen/names.h"
#include "tools/assetgen/textures.h"

using namespace assetgen;
using assettest::diskPath;
using assettest::loadModel;

namespace {

struct Loaded {
    std::map<std::string, tinygltf::Model> models;
    Loaded() {
        for (auto file : MODEL_FILES) {
            std::string err;
            tinygltf::Model m;
            if (loadModel(file, m, err)) models[std::string(file)] = std::move(m);
        }
    }
};

const Loaded& data() {
    static Loaded d;
    return d;
}

using Vec = std::array<double, 3>;
Vec sub(Vec a, Vec b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
Vec crossV(Vec a, Vec b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double dotV(Vec a, Vec b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// Reads a float vector attribute or index list of a primitive (tightly packed, as written).
template <typename T> std::vector<T> readAccessor(const tinygltf::Model& m, int index) {
    const auto& acc = m.accessors[index];
    const auto& view = m.bufferViews[acc.bufferView];
    const unsigned char* p = m.buffers[view.buffer].data.data() + view.byteOffset + acc.byteOffset;
    int comps = tinygltf::GetNumComponentsInType(acc.type);
    std::vector<T> out(acc.count * comps);
    for (size_t i = 0; i < out.size(); ++i) {
        switch (acc.componentType) {
        case TINYGLTF_COMPONENT_TYPE_FLOAT:
            out[i] = T(reinterpret_cast<const float*>(p)[i]);
            break;
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT:
            out[i] = T(reinterpret_cast<const uint16_t*>(p)[i]);
            break;
        default:
            out[i] = T(reinterpret_cast<const uint32_t*>(p)[i]);
            break;
        }
    }
    return out;
}

const tinygltf::Node* findNode(const tinygltf::Model& m, std::string_view name) {
    for (const auto& n : m.nodes)
        if (n.name == name) return &n;
    return nullptr;
}

} // namespace

TEST(AssetFiles, EveryModelFileLoads) {
    for (auto file : MODEL_FILES) {
        tinygltf::Model m;
        std::string err;
        EXPECT_TRUE(loadModel(file, m, err)) << file << ": " << err;
        EXPECT_FALSE(m.nodes.empty()) << file;
    }
}

TEST(AssetFiles, EveryNameTheGameLooksUpIsInItsFile) {
    for (const NameUse& use : NAME_USES) {
        auto it = data().models.find(std::string(use.file));
        ASSERT_NE(it, data().models.end()) << use.file;
        const tinygltf::Model& m = it->second;
        bool found = false;
        if (use.kind == NameKind::Object) {
            found = findNode(m, use.name) != nullptr;
        } else if (use.kind == NameKind::Material) {
            for (const auto& mat : m.materials)
                found |= mat.name == use.name;
        } else {
            for (const auto& img : m.images)
                found |= img.uri == use.name;
        }
        EXPECT_TRUE(found) << use.file << " lacks " << use.name;
    }
}

TEST(AssetFiles, EveryPictureAModelUsesIsOnDiskAndReadable) {
    for (const auto& [file, m] : data().models)
        for (const auto& img : m.images) {
            EXPECT_EQ(img.uri.rfind(".\\textures\\", 0), 0u) << file << ": " << img.uri;
            EXPECT_EQ(img.name, img.uri) << file;
            int w = 0, h = 0, c = 0;
            EXPECT_TRUE(stbi_info(diskPath(img.uri).c_str(), &w, &h, &c))
                << file << " uses missing or unreadable " << img.uri;
        }
}

// Every triangle must be counter-clockwise seen from where its normals point: a face wound
// the other way is culled or lit from behind.
TEST(AssetFiles, FacesPointTheWayTheirNormalsDo) {
    for (const auto& [file, m] : data().models)
        for (const auto& mesh : m.meshes)
            for (const auto& prim : mesh.primitives) {
                ASSERT_EQ(prim.mode, TINYGLTF_MODE_TRIANGLES) << file;
                ASSERT_TRUE(prim.attributes.count("NORMAL")) << file << " " << mesh.name;
                auto pos = readAccessor<double>(m, prim.attributes.at("POSITION"));
                auto nrm = readAccessor<double>(m, prim.attributes.at("NORMAL"));
                auto idx = readAccessor<uint32_t>(m, prim.indices);
                ASSERT_EQ(idx.size() % 3, 0u);
                size_t bad = 0, total = 0;
                for (size_t t = 0; t < idx.size(); t += 3) {
                    Vec p[3], n{0, 0, 0};
                    for (int k = 0; k < 3; ++k) {
                        ASSERT_LT(idx[t + k] * 3, pos.size()) << file << " " << mesh.name;
                        for (int c = 0; c < 3; ++c) {
                            p[k][c] = pos[idx[t + k] * 3 + c];
                            n[c] += nrm[idx[t + k] * 3 + c];
                        }
                    }
                    Vec f = crossV(sub(p[1], p[0]), sub(p[2], p[0]));
                    if (dotV(f, f) < 1e-12) continue; // degenerate: on an axis, or a speck
                    ++total;
                    if (dotV(f, n) <= 0) ++bad;
                }
                EXPECT_EQ(bad, 0u) << file << " " << mesh.name << ": " << bad << " of " << total;
            }
}

// Lowest and highest y of a node's mesh, and its largest distance from the vertical axis.
struct Extent {
    double lo = 1e9, hi = -1e9, radius = 0;
};
Extent extentOf(const tinygltf::Model& m, const tinygltf::Node& n) {
    Extent e;
    for (const auto& prim : m.meshes[n.mesh].primitives) {
        auto pos = readAccessor<double>(m, prim.attributes.at("POSITION"));
        for (size_t i = 0; i < pos.size(); i += 3) {
            e.lo = std::min(e.lo, pos[i + 1]);
            e.hi = std::max(e.hi, pos[i + 1]);
            e.radius = std::max(e.radius, std::hypot(pos[i], pos[i + 2]));
        }
    }
    return e;
}

// A piece node hangs at its square's origin with its own local position, which the game
// keeps while it glides: the base must then rest on the square's top face.
TEST(AssetFiles, PiecesStandOnTheirSquaresAndKeepClassicProportions) {
    const auto& cases = data().models.at(".\\M3D\\Case.m3d");
    double squareTop = extentOf(cases, *findNode(cases, "caseR")).hi;
    EXPECT_NEAR(extentOf(cases, *findNode(cases, "caseB")).hi, squareTop, 1e-6);
    const char* stems[] = {"roi", "dame", "fou", "cava", "tour", "pion"}; // tallest first
    for (const char* colour : {"B", "N"}) {
        const auto& m = data().models.at(colour[0] == 'B' ? ".\\M3D\\ChessBoardB.M3D"
                                                          : ".\\M3D\\ChessBoardN.M3D");
        double previous = 1e9;
        for (const char* stem : stems) {
            std::string name = std::string(stem) + colour;
            const tinygltf::Node* n = findNode(m, name);
            ASSERT_NE(n, nullptr) << name;
            double h = n->translation.empty() ? 0 : n->translation[1];
            if (!n->translation.empty()) {
                EXPECT_EQ(n->translation[0], 0) << name;
                EXPECT_EQ(n->translation[2], 0) << name;
            }
            // Piece moves end on the key "no rotation": a turned node would snap.
            EXPECT_TRUE(n->rotation.empty()) << name;
            Extent e = extentOf(m, *n);
            EXPECT_NEAR(h + e.lo, squareTop, 1e-4) << name << " floats or sinks";
            EXPECT_LT(e.radius, 0.45) << name << " overhangs its square";
            EXPECT_LT(e.hi, previous) << name << " is not shorter than the piece before";
            previous = e.hi;
        }
    }
}

// Each piece carries coarser levels of detail for far and mirrored views: they must be the same
// piece (same height, girth and facing: a knight level left unturned would look the other way
// from afar), each lighter than the one before, with the coverage values the loader reads.
TEST(AssetFiles, PieceLevelsOfDetailAreTheSamePieceInFewerTriangles) {
    auto bounds = [](const tinygltf::Model& m, const tinygltf::Node& n) {
        std::array<double, 6> b{1e9, 1e9, 1e9, -1e9, -1e9, -1e9};
        size_t triangles = 0;
        for (const auto& prim : m.meshes[n.mesh].primitives) {
            auto pos = readAccessor<double>(m, prim.attributes.at("POSITION"));
            for (size_t i = 0; i < pos.size(); ++i) {
                b[i % 3] = std::min(b[i % 3], pos[i]);
                b[3 + i % 3] = std::max(b[3 + i % 3], pos[i]);
            }
            triangles += m.accessors[prim.indices].count / 3;
        }
        return std::pair{b, triangles};
    };
    const std::pair<const char*, const char*> files[] = {{".\\M3D\\ChessBoardB.M3D", "B"},
                                                         {".\\M3D\\ChessBoardN.M3D", "N"}};
    for (const auto& [file, colour] : files) {
        const auto& m = data().models.at(file);
        for (const char* stem : {"roi", "dame", "fou", "cava", "tour", "pion"}) {
            std::string name = std::string(stem) + colour;
            const tinygltf::Node* n = findNode(m, name);
            ASSERT_NE(n, nullptr) << name;
            ASSERT_TRUE(n->extensions.count("MSFT_lod")) << name;
            const auto& ids = n->extensions.at("MSFT_lod").Get("ids");
            const auto& cover = n->extras.Get("MSFT_screencoverage");
            ASSERT_EQ(ids.ArrayLen(), 2u) << name;
            ASSERT_EQ(cover.ArrayLen(), ids.ArrayLen() + 1) << name;
            auto [base, baseTriangles] = bounds(m, *n);
            size_t previous = baseTriangles;
            double previousCover = 1;
            for (size_t i = 0; i < ids.ArrayLen(); ++i) {
                const tinygltf::Node& level = m.nodes.at(ids.Get(int(i)).GetNumberAsInt());
                auto [b, triangles] = bounds(m, level);
                for (int k = 0; k < 6; ++k)
                    EXPECT_NEAR(b[k], base[k], 0.02) << level.name << " bound " << k;
                EXPECT_LT(triangles * 3, previous * 2) << level.name << " is not lighter";
                previous = triangles;
                EXPECT_LT(cover.Get(int(i)).GetNumberAsDouble(), previousCover) << level.name;
                previousCover = cover.Get(int(i)).GetNumberAsDouble();
            }
        }
    }
}

// The marks lie flat in their node's plane y = 0, above the squares' top: parked under the
// camera (the game's way of hiding them) they are seen edge-on from the eye and draw nothing.
TEST(AssetFiles, MarksLieFlatAboveTheSquares) {
    const auto& m = data().models.at(".\\M3D\\Case.m3d");
    double squareTop = extentOf(m, *findNode(m, "caseR")).hi;
    for (const char* name : {"caseSelectB", "caseSelectN", "caseDestB", "caseDestN"}) {
        const tinygltf::Node* n = findNode(m, name);
        ASSERT_NE(n, nullptr);
        EXPECT_TRUE(n->translation.empty() && n->rotation.empty() && n->scale.empty()) << name;
        Extent e = extentOf(m, *n);
        EXPECT_EQ(e.lo, 0.0) << name;
        EXPECT_EQ(e.hi, 0.0) << name;
        EXPECT_GT(e.lo, squareTop) << name;
    }
}

// The frame's picture holds only the ring the frame shows, a strip per side: every triangle
// reads within one strip, far enough from its edges that filtering never reaches the next.
TEST(AssetFiles, FrameTrianglesEachReadOneStripOfTheirPicture) {
    const auto& m = data().models.at(".\\M3D\\echiquier.m3d");
    const tinygltf::Node* n = findNode(m, "echiq");
    ASSERT_NE(n, nullptr);
    int triangles[FRAME_SIDES] = {};
    for (const auto& prim : m.meshes[n->mesh].primitives) {
        auto uv = readAccessor<double>(m, prim.attributes.at("TEXCOORD_0"));
        auto index = readAccessor<uint32_t>(m, prim.indices);
        for (size_t t = 0; t + 2 < index.size(); t += 3) {
            double lo = 1e9, hi = -1e9; // rows of the picture
            for (size_t k = 0; k < 3; ++k) {
                const double row = uv[2 * index[t + k] + 1] * FRAME_SIDES * FRAME_STRIP;
                lo = std::min(lo, row), hi = std::max(hi, row);
            }
            const int strip = std::clamp(int(lo / FRAME_STRIP), 0, FRAME_SIDES - 1);
            EXPECT_GE(lo - strip * FRAME_STRIP, 1.5) << "triangle " << t / 3;
            EXPECT_LE(hi - strip * FRAME_STRIP, FRAME_STRIP - 1.5) << "triangle " << t / 3;
            ++triangles[strip];
        }
    }
    for (int side = 0; side < FRAME_SIDES; ++side)
        EXPECT_GT(triangles[side], 0) << "side " << side;
}

TEST(AssetFiles, CameraSeesSixtyDegreesAndLightsAreLights) {
    const auto& m = data().models.at(".\\M3D\\Decor.m3d");
    const tinygltf::Node* cam = findNode(m, "camera");
    ASSERT_NE(cam, nullptr);
    ASSERT_GE(cam->camera, 0);
    EXPECT_NEAR(m.cameras[cam->camera].perspective.yfov, 60.0 * M_PI / 180.0, 1e-6);
    for (const char* name : {"light", "light2"}) {
        const tinygltf::Node* l = findNode(m, name);
        ASSERT_NE(l, nullptr);
        ASSERT_TRUE(l->extensions.count("KHR_lights_punctual")) << name;
        int index = l->extensions.at("KHR_lights_punctual").Get("light").GetNumberAsInt();
        ASSERT_LT(index, int(m.lights.size()));
        EXPECT_EQ(m.lights[index].type, "point");
    }
    const tinygltf::Node* cube = findNode(data().models.at(".\\M3D\\BasicCubes.m3d"), "cubelight");
    ASSERT_NE(cube, nullptr);
    EXPECT_TRUE(cube->extensions.count("KHR_lights_punctual"));
}

// The wall turns every cube to the page's angles (rotation Ry Rx Rz, degrees) and looks at
// it from below; the face turned to -y must carry that page's picture with u growing along
// world +x and the picture's upward direction (engine v = 1 - glTF v) along world +z.
TEST(AssetFiles, WallCubeTurnsEachPageTowardsTheCameraRightWayRound) {
    const auto& m = data().models.at(".\\M3D\\BasicCubes.m3d");
    const tinygltf::Node* n = findNode(m, "basicCube");
    ASSERT_NE(n, nullptr);
    const auto& mesh = m.meshes[n->mesh];
    size_t triangles = 0;
    for (const auto& prim : mesh.primitives)
        triangles += m.accessors[prim.indices].count / 3;
    EXPECT_EQ(triangles, 12u);
    struct Page {
        double x, y, z;
        const char* picture;
    };
    const Page pages[] = {{0, 0, 0, "general.jpg"},      {90, 0, 0, "newgame.jpg"},
                          {0, 0, 90, "multiplayer.jpg"}, {-90, 0, 0, "color.jpg"},
                          {180, 0, 0, "computer.jpg"},   {0, 0, -90, "cubeback.jpg"}};
    auto rotate = [](const Page& pg, Vec v) {
        double a = pg.x * M_PI / 180, b = pg.y * M_PI / 180, c = pg.z * M_PI / 180;
        Vec z{v[0] * std::cos(c) - v[1] * std::sin(c), v[0] * std::sin(c) + v[1] * std::cos(c),
              v[2]};
        Vec x{z[0], z[1] * std::cos(a) - z[2] * std::sin(a),
              z[1] * std::sin(a) + z[2] * std::cos(a)};
        return Vec{x[0] * std::cos(b) + x[2] * std::sin(b), x[1],
                   -x[0] * std::sin(b) + x[2] * std::cos(b)};
    };
    for (const Page& pg : pages) {
        int facesDown = 0;
        for (const auto& prim : mesh.primitives) {
            auto pos = readAccessor<double>(m, prim.attributes.at("POSITION"));
            auto nrm = readAccessor<double>(m, prim.attributes.at("NORMAL"));
            auto uv = readAccessor<double>(m, prim.attributes.at("TEXCOORD_0"));
            auto idx = readAccessor<uint32_t>(m, prim.indices);
            const std::string& uri =
                m.images[m.textures[m.materials[prim.material]
                                        .pbrMetallicRoughness.baseColorTexture.index]
                             .source]
                    .uri;
            for (size_t t = 0; t < idx.size(); t += 3) {
                uint32_t i0 = idx[t];
                Vec n = rotate(pg, {nrm[i0 * 3], nrm[i0 * 3 + 1], nrm[i0 * 3 + 2]});
                if (n[1] > -0.99) continue;
                ++facesDown;
                EXPECT_TRUE(uri.ends_with(pg.picture))
                    << uri << " faces the camera on page " << pg.picture;
                for (int k = 0; k < 3; ++k) {
                    uint32_t i = idx[t + k];
                    Vec p = rotate(pg, {pos[i * 3], pos[i * 3 + 1], pos[i * 3 + 2]});
                    if (std::string(pg.picture) == "cubeback.jpg") continue;
                    EXPECT_NEAR(uv[i * 2], p[0] + 0.5, 1e-5) << pg.picture << " u";
                    EXPECT_NEAR(1.0 - uv[i * 2 + 1], p[2] + 0.5, 1e-5) << pg.picture << " v";
                }
            }
        }
        EXPECT_EQ(facesDown, 2) << pg.picture;
    }
}
