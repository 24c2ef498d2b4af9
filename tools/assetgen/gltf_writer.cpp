// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/assetgen/gltf_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <tiny_gltf.h>

namespace assetgen {

GltfWriter::GltfWriter() : model_(std::make_unique<tinygltf::Model>()) {
    model_->asset.version = "2.0";
    model_->asset.generator = "chess3d assetgen";
    tinygltf::Sampler s;
    s.magFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
    s.minFilter = TINYGLTF_TEXTURE_FILTER_LINEAR_MIPMAP_LINEAR;
    s.wrapS = s.wrapT = TINYGLTF_TEXTURE_WRAP_REPEAT;
    model_->samplers.push_back(s);
}

GltfWriter::~GltfWriter() = default;

int GltfWriter::texture(const std::string& name) {
    auto it = textures_.find(name);
    if (it != textures_.end()) return it->second;
    tinygltf::Image img;
    img.name = name;
    img.uri = name; // kept as written: the engine resolves it from the program's folder
    img.mimeType = name.ends_with(".png")   ? "image/png"
                   : name.ends_with(".bmp") ? "image/bmp"
                                            : "image/jpeg";
    model_->images.push_back(img);
    tinygltf::Texture t;
    t.name = name;
    t.source = int(model_->images.size() - 1);
    t.sampler = 0;
    model_->textures.push_back(t);
    int idx = int(model_->textures.size() - 1);
    textures_[name] = idx;
    return idx;
}

static tinygltf::Value vec3(const std::array<float, 3>& v) {
    return tinygltf::Value(tinygltf::Value::Array{tinygltf::Value(double(v[0])),
                                                  tinygltf::Value(double(v[1])),
                                                  tinygltf::Value(double(v[2]))});
}

int GltfWriter::material(const MaterialDesc& d) {
    tinygltf::Material m;
    m.name = d.name;
    m.pbrMetallicRoughness.baseColorFactor = {d.colour[0], d.colour[1], d.colour[2], d.colour[3]};
    m.pbrMetallicRoughness.metallicFactor = 0.0;
    m.pbrMetallicRoughness.roughnessFactor =
        std::clamp(1.0 - std::log2(std::max(1.0f, d.shininess)) / 8.0, 0.05, 1.0);
    if (!d.texture.empty()) m.pbrMetallicRoughness.baseColorTexture.index = texture(d.texture);
    m.emissiveFactor = {d.emissive[0], d.emissive[1], d.emissive[2]};
    m.alphaMode = d.blend || d.additive ? "BLEND" : d.mask ? "MASK" : "OPAQUE";
    if (d.mask) m.alphaCutoff = 0.5;
    m.doubleSided = d.doubleSided;
    tinygltf::Value::Object extras;
    if (d.ambient) extras["ambient"] = vec3(*d.ambient);
    extras["specular"] = vec3(d.specular);
    extras["shininess"] = tinygltf::Value(double(d.shininess));
    if (d.unlit) extras["unlit"] = tinygltf::Value(true);
    if (d.reflect > 0) extras["reflect"] = tinygltf::Value(double(d.reflect));
    if (d.additive) extras["additive"] = tinygltf::Value(true);
    m.extras = tinygltf::Value(extras);
    model_->materials.push_back(m);
    return int(model_->materials.size() - 1);
}

int GltfWriter::accessor(const void* data, size_t bytes, int count, int componentType, int type,
                         int target, const float* minV, const float* maxV) {
    while (bin_.size() % 4)
        bin_.push_back(0);
    tinygltf::BufferView bv;
    bv.buffer = 0;
    bv.byteOffset = bin_.size();
    bv.byteLength = bytes;
    bv.target = target;
    const auto* p = static_cast<const unsigned char*>(data);
    bin_.insert(bin_.end(), p, p + bytes);
    model_->bufferViews.push_back(bv);
    tinygltf::Accessor a;
    a.bufferView = int(model_->bufferViews.size() - 1);
    a.componentType = componentType;
    a.count = count;
    a.type = type;
    if (minV) a.minValues = {minV[0], minV[1], minV[2]};
    if (maxV) a.maxValues = {maxV[0], maxV[1], maxV[2]};
    model_->accessors.push_back(a);
    return int(model_->accessors.size() - 1);
}

int GltfWriter::mesh(const std::string& name, const std::vector<Part>& parts) {
    tinygltf::Mesh gm;
    gm.name = name;
    for (const Part& part : parts) {
        const Mesh& m = part.mesh;
        std::vector<float> pos, nrm, uv;
        float lo[3] = {1e30f, 1e30f, 1e30f}, hi[3] = {-1e30f, -1e30f, -1e30f};
        for (const Vertex& v : m.verts) {
            float p[3] = {v.p.x, v.p.y, v.p.z};
            for (int k = 0; k < 3; ++k) {
                lo[k] = std::min(lo[k], p[k]);
                hi[k] = std::max(hi[k], p[k]);
            }
            pos.insert(pos.end(), p, p + 3);
            nrm.insert(nrm.end(), {v.n.x, v.n.y, v.n.z});
            uv.insert(uv.end(), {v.uv.x, v.uv.y});
        }
        int count = int(m.verts.size());
        tinygltf::Primitive prim;
        prim.mode = TINYGLTF_MODE_TRIANGLES;
        prim.material = part.material;
        prim.attributes["POSITION"] =
            accessor(pos.data(), pos.size() * 4, count, TINYGLTF_COMPONENT_TYPE_FLOAT,
                     TINYGLTF_TYPE_VEC3, TINYGLTF_TARGET_ARRAY_BUFFER, lo, hi);
        prim.attributes["NORMAL"] =
            accessor(nrm.data(), nrm.size() * 4, count, TINYGLTF_COMPONENT_TYPE_FLOAT,
                     TINYGLTF_TYPE_VEC3, TINYGLTF_TARGET_ARRAY_BUFFER);
        prim.attributes["TEXCOORD_0"] =
            accessor(uv.data(), uv.size() * 4, count, TINYGLTF_COMPONENT_TYPE_FLOAT,
                     TINYGLTF_TYPE_VEC2, TINYGLTF_TARGET_ARRAY_BUFFER);
        if (count < 65536) {
            std::vector<uint16_t> i16(m.idx.begin(), m.idx.end());
            prim.indices = accessor(i16.data(), i16.size() * 2, int(i16.size()),
                                    TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, TINYGLTF_TYPE_SCALAR,
                                    TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
        } else {
            prim.indices = accessor(m.idx.data(), m.idx.size() * 4, int(m.idx.size()),
                                    TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TYPE_SCALAR,
                                    TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
        }
        gm.primitives.push_back(prim);
    }
    model_->meshes.push_back(gm);
    return int(model_->meshes.size() - 1);
}

int GltfWriter::node(const std::string& name, int mesh, V3 pos, std::array<float, 4> rot,
                     float scale, int parent, bool hidden) {
    tinygltf::Node n;
    n.name = name;
    n.mesh = mesh;
    if (pos.x != 0 || pos.y != 0 || pos.z != 0) n.translation = {pos.x, pos.y, pos.z};
    if (rot[0] != 0 || rot[1] != 0 || rot[2] != 0) n.rotation = {rot[0], rot[1], rot[2], rot[3]};
    if (scale != 1) n.scale = {scale, scale, scale};
    if (hidden) {
        tinygltf::Value::Object ex;
        ex["hidden"] = tinygltf::Value(true);
        n.extras = tinygltf::Value(ex);
    }
    model_->nodes.push_back(n);
    int idx = int(model_->nodes.size() - 1);
    if (parent >= 0)
        model_->nodes[parent].children.push_back(idx);
    else
        roots_.push_back(idx);
    return idx;
}

int GltfWriter::pointLight(const std::string& name, V3 pos, std::array<float, 3> colour,
                           float intensity, std::array<float, 3> ambient,
                           std::array<float, 3> diffuse, int parent) {
    tinygltf::Light l;
    l.name = name;
    l.type = "point";
    l.color = {colour[0], colour[1], colour[2]};
    l.intensity = intensity;
    model_->lights.push_back(l);
    int n = node(name, -1, pos, {0, 0, 0, 1}, 1, parent);
    tinygltf::Value::Object ext;
    ext["light"] = tinygltf::Value(int(model_->lights.size() - 1));
    model_->nodes[n].extensions["KHR_lights_punctual"] = tinygltf::Value(ext);
    tinygltf::Value::Object ex;
    ex["ambient"] = vec3(ambient);
    ex["diffuse"] = vec3(diffuse);
    model_->nodes[n].extras = tinygltf::Value(ex);
    auto& used = model_->extensionsUsed;
    if (std::find(used.begin(), used.end(), "KHR_lights_punctual") == used.end())
        used.push_back("KHR_lights_punctual");
    return n;
}

int GltfWriter::camera(const std::string& name, V3 pos, std::array<float, 4> rot, float yfov,
                       float znear, float zfar, float aspect) {
    tinygltf::Camera c;
    c.name = name;
    c.type = "perspective";
    c.perspective.yfov = yfov * M_PI / 180.0;
    c.perspective.znear = znear;
    c.perspective.zfar = zfar;
    c.perspective.aspectRatio = aspect;
    model_->cameras.push_back(c);
    int n = node(name, -1, pos, rot);
    model_->nodes[n].camera = int(model_->cameras.size() - 1);
    return n;
}

void GltfWriter::levels(int base, const std::vector<int>& meshes,
                        const std::vector<float>& coverage) {
    tinygltf::Value::Array ids, cover;
    for (size_t i = 0; i < meshes.size(); ++i) {
        tinygltf::Node n;
        n.name = model_->nodes[base].name + "_lod" + std::to_string(i + 1);
        n.mesh = meshes[i];
        model_->nodes.push_back(n);
        ids.push_back(tinygltf::Value(int(model_->nodes.size() - 1)));
    }
    for (float c : coverage)
        cover.push_back(tinygltf::Value(double(c)));
    tinygltf::Value::Object ext;
    ext["ids"] = tinygltf::Value(ids);
    model_->nodes[base].extensions["MSFT_lod"] = tinygltf::Value(ext);
    tinygltf::Value::Object extras;
    if (model_->nodes[base].extras.IsObject())
        extras = model_->nodes[base].extras.Get<tinygltf::Value::Object>();
    extras["MSFT_screencoverage"] = tinygltf::Value(cover);
    model_->nodes[base].extras = tinygltf::Value(extras);
    auto& used = model_->extensionsUsed;
    if (std::find(used.begin(), used.end(), "MSFT_lod") == used.end()) used.push_back("MSFT_lod");
}

bool GltfWriter::write(const std::string& path) {
    tinygltf::Buffer b;
    b.data = bin_;
    model_->buffers = {b};
    tinygltf::Scene s;
    s.name = "Scene";
    s.nodes = roots_;
    model_->scenes = {s};
    model_->defaultScene = 0;
    tinygltf::TinyGLTF io;
    io.SetImageWriter(nullptr, nullptr); // pictures are separate files written beforehand
    return io.WriteGltfSceneToFile(model_.get(), path, false, true, false, true);
}

std::array<float, 4> quatFromAngles(float xDeg, float yDeg, float zDeg) {
    auto q = [](float ax, float ay, float az, float deg) {
        float h = deg * float(M_PI) / 360.0f, s = std::sin(h);
        return std::array<float, 4>{ax * s, ay * s, az * s, std::cos(h)};
    };
    auto mul = [](std::array<float, 4> a, std::array<float, 4> b) {
        return std::array<float, 4>{a[3] * b[0] + a[0] * b[3] + a[1] * b[2] - a[2] * b[1],
                                    a[3] * b[1] - a[0] * b[2] + a[1] * b[3] + a[2] * b[0],
                                    a[3] * b[2] + a[0] * b[1] - a[1] * b[0] + a[2] * b[3],
                                    a[3] * b[3] - a[0] * b[0] - a[1] * b[1] - a[2] * b[2]};
    };
    return mul(mul(q(0, 1, 0, yDeg), q(1, 0, 0, xDeg)), q(0, 0, 1, zDeg));
}

} // namespace assetgen
