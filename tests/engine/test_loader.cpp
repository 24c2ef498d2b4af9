// SPDX-License-Identifier: GPL-3.0-or-later
// Model loading: GLB files written here with tinygltf into a temporary program folder, loaded
// by path as the game writes it; names, hierarchy, transforms, materials, lights, cameras,
// textures shared by path, and files that are missing or broken.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <stb/stb_image_write.h>
#include <string>
#include <tiny_gltf.h>
#include <unistd.h>
#include <vector>

#include "engine/KivEngine.h"

namespace {

template <class T> int appendView(tinygltf::Model& m, const std::vector<T>& data, int target) {
    tinygltf::Buffer& buf = m.buffers[0];
    while (buf.data.size() % 4)
        buf.data.push_back(0);
    tinygltf::BufferView bv;
    bv.buffer = 0;
    bv.byteOffset = buf.data.size();
    bv.byteLength = data.size() * sizeof(T);
    bv.target = target;
    const auto* p = reinterpret_cast<const unsigned char*>(data.data());
    buf.data.insert(buf.data.end(), p, p + bv.byteLength);
    m.bufferViews.push_back(bv);
    return static_cast<int>(m.bufferViews.size()) - 1;
}

int addAccessor(tinygltf::Model& m, int view, int componentType, int type, size_t count) {
    tinygltf::Accessor a;
    a.bufferView = view;
    a.componentType = componentType;
    a.type = type;
    a.count = count;
    m.accessors.push_back(a);
    return static_cast<int>(m.accessors.size()) - 1;
}

// A unit quad mesh (two triangles) with normals, texture coordinates and the given material.
int addQuadMesh(tinygltf::Model& m, int material, std::vector<unsigned short> indices) {
    std::vector<float> pos = {-0.5f, -0.5f, 0, 0.5f, -0.5f, 0, 0.5f, 0.5f, 0, -0.5f, 0.5f, 0};
    std::vector<float> nrm = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
    std::vector<float> uv = {0, 1, 1, 1, 1, 0, 0, 0}; // glTF: v = 0 at the top of the picture
    tinygltf::Primitive prim;
    prim.attributes["POSITION"] = addAccessor(m, appendView(m, pos, TINYGLTF_TARGET_ARRAY_BUFFER),
                                              TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, 4);
    prim.attributes["NORMAL"] = addAccessor(m, appendView(m, nrm, TINYGLTF_TARGET_ARRAY_BUFFER),
                                            TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, 4);
    prim.attributes["TEXCOORD_0"] =
        addAccessor(m, appendView(m, uv, TINYGLTF_TARGET_ARRAY_BUFFER),
                    TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC2, 4);
    prim.indices =
        addAccessor(m, appendView(m, indices, TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER),
                    TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, TINYGLTF_TYPE_SCALAR, indices.size());
    prim.material = material;
    prim.mode = TINYGLTF_MODE_TRIANGLES;
    tinygltf::Mesh mesh;
    mesh.name = "quad";
    mesh.primitives.push_back(prim);
    m.meshes.push_back(mesh);
    return static_cast<int>(m.meshes.size()) - 1;
}

int addTexturedMaterial(tinygltf::Model& m, const char* name, const char* uri) {
    tinygltf::Image img;
    img.uri = uri;
    img.name = uri;
    img.mimeType = "image/png";
    m.images.push_back(img);
    tinygltf::Texture tex;
    tex.source = static_cast<int>(m.images.size()) - 1;
    m.textures.push_back(tex);
    tinygltf::Material mat;
    mat.name = name;
    mat.pbrMetallicRoughness.baseColorTexture.index = static_cast<int>(m.textures.size()) - 1;
    m.materials.push_back(mat);
    return static_cast<int>(m.materials.size()) - 1;
}

tinygltf::Value array3(double a, double b, double c) {
    return tinygltf::Value(
        tinygltf::Value::Array{tinygltf::Value(a), tinygltf::Value(b), tinygltf::Value(c)});
}

bool writeGlb(tinygltf::Model& m, const std::string& path) {
    tinygltf::TinyGLTF w;
    w.SetImageWriter(nullptr, nullptr); // keep the picture paths as written
    return w.WriteGltfSceneToFile(&m, path, false, true, false, true);
}

// The first file: a transformed group holding an object, a light, a camera and a hidden node.
tinygltf::Model modelA(std::vector<unsigned short> indices = {0, 1, 2, 0, 2, 3}) {
    tinygltf::Model m;
    m.asset.version = "2.0";
    m.buffers.resize(1);
    int mat = addTexturedMaterial(m, "matA", ".\\textures\\t.png");
    tinygltf::Material& gm = m.materials[mat];
    gm.pbrMetallicRoughness.baseColorFactor = {1, 0.5, 0, 0.5};
    gm.alphaMode = "BLEND";
    gm.doubleSided = true;
    gm.emissiveFactor = {0.1, 0.2, 0.3};
    gm.extras = tinygltf::Value(tinygltf::Value::Object{{"unlit", tinygltf::Value(true)},
                                                        {"reflect", tinygltf::Value(0.3)},
                                                        {"shininess", tinygltf::Value(40.0)}});
    int mesh = addQuadMesh(m, mat, indices);

    tinygltf::Light light;
    light.type = "point";
    light.color = {1, 1, 0.5};
    light.intensity = 2;
    m.lights.push_back(light);
    m.extensionsUsed.push_back("KHR_lights_punctual");
    tinygltf::Camera cam;
    cam.type = "perspective";
    cam.perspective.yfov = 60 * 0.017453292519943;
    cam.perspective.znear = 0.5;
    cam.perspective.zfar = 200;
    cam.perspective.aspectRatio = 4.0 / 3;
    m.cameras.push_back(cam);

    KQuat q = KAnglesToQuat(10, 20, 30);
    tinygltf::Node group, child, lamp, camera, ghost;
    group.name = "group";
    group.translation = {1, 2, 3};
    group.rotation = {q.x, q.y, q.z, q.w};
    group.scale = {2, 2, 2};
    group.children = {1, 2, 3, 4};
    child.name = "child";
    child.mesh = mesh;
    child.translation = {0, 1, 0};
    lamp.name = "lamp";
    lamp.extensions["KHR_lights_punctual"] =
        tinygltf::Value(tinygltf::Value::Object{{"light", tinygltf::Value(0)}});
    lamp.extras = tinygltf::Value(tinygltf::Value::Object{{"ambient", array3(0.1, 0.2, 0.3)}});
    camera.name = "cam";
    camera.camera = 0;
    ghost.name = "ghost";
    ghost.extras = tinygltf::Value(tinygltf::Value::Object{{"hidden", tinygltf::Value(true)}});
    m.nodes = {group, child, lamp, camera, ghost};
    tinygltf::Scene sc;
    sc.nodes = {0};
    m.scenes.push_back(sc);
    m.defaultScene = 0;
    return m;
}

// The second file: another material on the same picture path.
tinygltf::Model modelB() {
    tinygltf::Model m;
    m.asset.version = "2.0";
    m.buffers.resize(1);
    int mat = addTexturedMaterial(m, "matB", ".\\textures\\t.png");
    int mesh = addQuadMesh(m, mat, {0, 1, 2, 0, 2, 3});
    tinygltf::Node other;
    other.name = "other";
    other.mesh = mesh;
    m.nodes = {other};
    return m; // no scene: every root node is loaded
}

class Loader : public testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/kivengine-test-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        ASSERT_NE(getcwd(oldCwd, sizeof(oldCwd)), nullptr);
        ASSERT_EQ(chdir(dir.c_str()), 0);
        // A log of this test's own: the one in the program's folder is started afresh by
        // every other test program that starts meanwhile.
        KSetLogFolder(dir.c_str());
        KivInitDLL();
        ASSERT_EQ(system("mkdir -p M3D textures"), 0);
        // 2 x 2 picture, top row red, bottom row blue (as seen).
        const unsigned char px[16] = {255, 0, 0,   255, 255, 0, 0,   255,
                                      0,   0, 255, 255, 0,   0, 255, 255};
        ASSERT_NE(stbi_write_png("textures/t.png", 2, 2, 4, px, 8), 0);
        tinygltf::Model a = modelA(), b = modelB();
        ASSERT_TRUE(writeGlb(a, "M3D/a.glb"));
        ASSERT_TRUE(writeGlb(b, "M3D/B.GLB"));
    }
    void TearDown() override {
        KivFreeDLL();
        KSetLogFolder(nullptr);
        ASSERT_EQ(chdir(oldCwd), 0);
        std::string cmd = "rm -rf " + dir;
        ASSERT_EQ(system(cmd.c_str()), 0);
    }

    std::string dir;
    char oldCwd[4096] = {};
    KScene scene;
};

} // namespace

TEST_F(Loader, NamesHierarchyAndTransforms) {
    ASSERT_EQ(LoadSceneFromFILE(&scene, ".\\M3D\\a.glb", nullptr), 1);
    KNodeGraph* group = GetObjByName(&scene, "group");
    KNodeGraph* child = GetObjByName(&scene, "child");
    ASSERT_TRUE(group && child);
    EXPECT_EQ(group->parent, scene.root); // no parent given: under the root, drawn
    EXPECT_EQ(child->parent, group);
    EXPECT_EQ(group->children.size(), 4u);
    EXPECT_EQ(group->type, KNODE_SHELL);
    EXPECT_NEAR(group->prs.pos.z, 3, 1e-6);
    EXPECT_NEAR(group->prs.rot.x, 10, 1e-3);
    EXPECT_NEAR(group->prs.rot.y, 20, 1e-3);
    EXPECT_NEAR(group->prs.rot.z, 30, 1e-3);
    EXPECT_NEAR(group->prs.scale, 2, 1e-6);
    EXPECT_NEAR(child->prs.pos.y, 1, 1e-6);
    EXPECT_TRUE(child->IsDrawn());
    EXPECT_EQ(GetObjByName(&scene, "ghost")->hidden, 1);
    EXPECT_EQ(GetObjByName(&scene, "nothing"), nullptr);

    KObject* obj = child->AsObject();
    ASSERT_TRUE(obj && obj->mesh);
    ASSERT_EQ(obj->mesh->verts.size(), 4u);
    ASSERT_EQ(obj->mesh->faces.size(), 2u);
    const KFace& f = obj->mesh->faces[0];
    EXPECT_EQ(f.mat, GetMatByName(&scene, "matA"));
    // Vertex 0 has glTF (u, v) = (0, 1), the bottom-left as seen: v becomes 0 bottom-up.
    EXPECT_EQ(f.ref[0], 0);
    EXPECT_NEAR(f.uv[0].v, 0, 1e-6);
    EXPECT_NEAR(f.uv[2].v, 1, 1e-6);
    EXPECT_NEAR(f.uv[2].u, 1, 1e-6);

    // The world position of the child: group's rotation and scale applied to (0, 1, 0).
    KUpdateWorld(scene.root);
    KPRS g;
    g.rot = KVector(10, 20, 30);
    g.scale = 2;
    g.pos = KVector(1, 2, 3);
    g.CreateMatrix();
    KVector expect = g.matrix.TransformPoint(KVector(0, 1, 0));
    KVector got = child->world.GetTrans();
    EXPECT_NEAR(got.x, expect.x, 1e-4);
    EXPECT_NEAR(got.y, expect.y, 1e-4);
    EXPECT_NEAR(got.z, expect.z, 1e-4);
}

TEST_F(Loader, MaterialsLightsAndCameras) {
    ASSERT_EQ(LoadSceneFromFILE(&scene, ".\\M3D\\a.glb", nullptr), 1);
    KMaterial* mat = GetMatByName(&scene, "matA");
    ASSERT_NE(mat, nullptr);
    EXPECT_NEAR(mat->diffuse.g, 0.5f, 1e-6);
    EXPECT_NEAR(mat->opacity, 0.5f, 1e-6);
    EXPECT_NEAR(mat->ambient.r, 0.2f, 1e-6); // default: 0.2 x diffuse
    EXPECT_NEAR(mat->emissive.b, 0.3f, 1e-6);
    EXPECT_NEAR(mat->reflect, 0.3f, 1e-6);
    EXPECT_NEAR(mat->shininess, 40, 1e-6);
    EXPECT_TRUE(mat->IsBlended());
    EXPECT_TRUE(mat->Has(KMAT_DOUBLESIDED | KMAT_UNLIT));
    EXPECT_FALSE(mat->Has(KMAT_ADDITIVE));

    KLight* lamp = GetObjByName(&scene, "lamp")->AsLight();
    ASSERT_NE(lamp, nullptr);
    EXPECT_NEAR(lamp->diffuse.b, 0.5f, 1e-6);
    EXPECT_NEAR(lamp->ambient.g, 0.2f, 1e-6);
    EXPECT_NEAR(lamp->intensity, 2, 1e-6);
    KCamera* cam = GetObjByName(&scene, "cam")->AsCamera();
    ASSERT_NE(cam, nullptr);
    EXPECT_NEAR(cam->angle, 30, 1e-3); // 60 degree view kept as its half angle
    EXPECT_NEAR(cam->nearDist, 0.5f, 1e-6);
}

TEST_F(Loader, OneTexturePerPathSharedAcrossFiles) {
    ASSERT_EQ(LoadSceneFromFILE(&scene, ".\\M3D\\a.glb", nullptr), 1);
    ASSERT_EQ(LoadSceneFromFILE(&scene, "./M3D/B.GLB", nullptr), 1);
    KTexture* t = GetTexByName(&scene, ".\\textures\\t.png");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(GetTexByName(&scene, "./textures/t.png"), t);
    EXPECT_EQ(GetMatByName(&scene, "matA")->texture, t);
    EXPECT_EQ(GetMatByName(&scene, "matB")->texture, t);
    EXPECT_EQ(scene.textures.size(), 1u);
    // Pixels kept bottom-up: row 0 is the bottom row as seen (blue), row 1 the top (red).
    ASSERT_EQ(t->width, 2);
    ASSERT_EQ(t->height, 2);
    ASSERT_EQ(t->pixels.size(), 16u);
    EXPECT_EQ(t->pixels[2], 255);
    EXPECT_EQ(t->pixels[0], 0);
    EXPECT_EQ(t->pixels[8], 255);
    EXPECT_EQ(t->pixels[10], 0);
}

TEST_F(Loader, UnderAGivenParentAndOriginalsFoundBeforeLaterLoads) {
    auto* holder = new KShell(&scene);
    ASSERT_EQ(LoadSceneFromFILE(&scene, ".\\M3D\\a.glb", holder), 1);
    KNodeGraph* first = GetObjByName(&scene, "group");
    EXPECT_EQ(first->parent, holder);
    EXPECT_FALSE(first->IsDrawn()); // the holder itself is detached
    ASSERT_EQ(LoadSceneFromFILE(&scene, ".\\M3D\\a.glb", nullptr), 1);
    EXPECT_EQ(GetObjByName(&scene, "group"), first);
}

TEST_F(Loader, MissingOrBrokenFilesLoadNothing) {
    size_t nodes = scene.nodes.size(), mats = scene.materials.size();
    EXPECT_EQ(LoadSceneFromFILE(&scene, ".\\M3D\\none.m3d", nullptr), 0);
    EXPECT_EQ(LoadSceneFromFILE(&scene, ".\\m3d\\A.glb", nullptr), 0); // names keep their case
    EXPECT_EQ(LoadSceneFromFILE(&scene, nullptr, nullptr), 0);
    EXPECT_EQ(LoadSceneFromFILE(nullptr, ".\\M3D\\a.glb", nullptr), 0);

    std::vector<unsigned char> whole;
    {
        std::ifstream in("M3D/a.glb", std::ios::binary);
        whole.assign(std::istreambuf_iterator<char>(in), {});
    }
    ASSERT_GT(whole.size(), 100u);
    const struct {
        const char* name;
        std::vector<unsigned char> bytes;
    } broken[] = {
        {"M3D/empty.m3d", {}},
        {"M3D/text.m3d", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}},
        {"M3D/half.m3d",
         std::vector<unsigned char>(whole.begin(), whole.begin() + whole.size() / 2)},
        {"M3D/cut.m3d", std::vector<unsigned char>(whole.begin(), whole.end() - 8)},
    };
    for (const auto& b : broken) {
        std::ofstream(b.name, std::ios::binary)
            .write(reinterpret_cast<const char*>(b.bytes.data()), b.bytes.size());
        EXPECT_EQ(LoadSceneFromFILE(&scene, b.name, nullptr), 0) << b.name;
    }
    // Well-formed file whose indices name a vertex that does not exist.
    tinygltf::Model bad = modelA({0, 1, 2, 0, 2, 7});
    ASSERT_TRUE(writeGlb(bad, "M3D/badindex.m3d"));
    EXPECT_EQ(LoadSceneFromFILE(&scene, ".\\M3D\\badindex.m3d", nullptr), 0);
    // Nodes whose parents loop.
    tinygltf::Model loop = modelA();
    loop.nodes[1].children = {0};
    loop.nodes[0].children = {1};
    ASSERT_TRUE(writeGlb(loop, "M3D/loop.m3d"));
    EXPECT_EQ(LoadSceneFromFILE(&scene, ".\\M3D\\loop.m3d", nullptr), 0);

    EXPECT_EQ(scene.nodes.size(), nodes);
    EXPECT_EQ(scene.materials.size(), mats);
    std::ifstream log(KLogPath());
    std::string text((std::istreambuf_iterator<char>(log)), {});
    EXPECT_NE(text.find("M3D/none.m3d"), std::string::npos);
    EXPECT_NE(text.find("M3D/badindex.m3d"), std::string::npos);
}

// Levels of detail (MSFT_lod): the listed nodes' meshes become the object's levels with their
// coverage values, the listed nodes themselves stay out of the scene, copies share the levels,
// and a list naming a node without a mesh stops there.
TEST_F(Loader, LevelsOfDetailComeWithTheirCoverageAndStayOutOfTheScene) {
    tinygltf::Model m = modelB();
    int coarse = addQuadMesh(m, 0, {0, 1, 2});
    tinygltf::Node level, lamp;
    level.name = "other_lod1";
    level.mesh = coarse;
    lamp.name = "lamp";
    m.nodes.push_back(level); // 1
    m.nodes.push_back(lamp);  // 2: no mesh
    auto ids = [](std::vector<int> list) {
        tinygltf::Value::Array a;
        for (int i : list)
            a.push_back(tinygltf::Value(i));
        return tinygltf::Value(tinygltf::Value::Object{{"ids", tinygltf::Value(a)}});
    };
    m.nodes[0].extensions["MSFT_lod"] = ids({1, 2});
    m.nodes[0].extras = tinygltf::Value(tinygltf::Value::Object{
        {"MSFT_screencoverage",
         tinygltf::Value(tinygltf::Value::Array{tinygltf::Value(0.25), tinygltf::Value(0.1),
                                                tinygltf::Value(0.0)})}});
    tinygltf::Scene sc;
    sc.nodes = {0};
    m.scenes.push_back(sc);
    ASSERT_TRUE(writeGlb(m, "M3D/levels.m3d"));

    ASSERT_EQ(LoadSceneFromFILE(&scene, ".\\M3D\\levels.m3d", nullptr), 1);
    KObject* obj = GetObjByName(&scene, "other")->AsObject();
    ASSERT_TRUE(obj && obj->mesh);
    EXPECT_EQ(GetObjByName(&scene, "other_lod1"), nullptr);
    EXPECT_EQ(GetObjByName(&scene, "lamp"), nullptr);
    ASSERT_EQ(obj->mesh->levels.size(), 1u) << "the node without a mesh ends the list";
    EXPECT_EQ(obj->mesh->levels[0]->faces.size(), 1u);
    EXPECT_EQ(obj->mesh->levels[0]->faces[0].mat, obj->mesh->faces[0].mat);
    ASSERT_EQ(obj->mesh->levelCoverage.size(), 1u);
    EXPECT_FLOAT_EQ(obj->mesh->levelCoverage[0], 0.25f);

    KNodeGraph* copy = CopyNode(obj, true);
    ASSERT_NE(copy->AsObject()->mesh, obj->mesh);
    EXPECT_EQ(copy->AsObject()->mesh->levels, obj->mesh->levels);
}
