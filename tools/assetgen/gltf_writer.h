// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Builds one model file (glTF 2.0 binary) the way the engine's loader reads it: node names are
// object names, material names and extras carry the look, image URIs are texture names as the
// game looks them up (".\textures\..."), lights are KHR_lights_punctual.

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/assetgen/mesh.h"

namespace tinygltf {
class Model;
}

namespace assetgen {

struct MaterialDesc {
    std::string name;
    std::array<float, 4> colour{1, 1, 1, 1}; // diffuse and opacity
    std::string texture;                     // texture name, e.g. ".\textures\wood.jpg"
    std::array<float, 3> emissive{0, 0, 0};
    std::optional<std::array<float, 3>> ambient;
    std::array<float, 3> specular{0, 0, 0};
    float shininess = 16;
    bool unlit = false;
    float reflect = 0;     // 0..1 mirror strength of polished surfaces
    bool additive = false; // glows
    bool blend = false;    // translucent (drawn after opaque faces)
    bool mask = false;     // alpha-tested at 0.5
    bool doubleSided = false;
};

struct Part {
    int material;
    Mesh mesh;
};

class GltfWriter {
public:
    GltfWriter();
    ~GltfWriter();

    int material(const MaterialDesc& m);
    int mesh(const std::string& name, const std::vector<Part>& parts);
    // A node; rotation is a quaternion (x, y, z, w). Returns its index.
    int node(const std::string& name, int mesh = -1, V3 pos = {},
             std::array<float, 4> rot = {0, 0, 0, 1}, float scale = 1, int parent = -1,
             bool hidden = false);
    int pointLight(const std::string& name, V3 pos, std::array<float, 3> colour, float intensity,
                   std::array<float, 3> ambient, std::array<float, 3> diffuse, int parent = -1);
    int camera(const std::string& name, V3 pos, std::array<float, 4> rot, float yfovDegrees,
               float znear, float zfar, float aspect);
    // Gives node `base` coarser meshes as its levels of detail (MSFT_lod): one node per mesh,
    // named after the base with "_lod1", "_lod2"..., outside the scene. coverage[i] is the
    // screen coverage (bounding sphere diameter over the window's height) down to which level
    // i is used, the base being level 0; one value per level, base included.
    void levels(int base, const std::vector<int>& meshes, const std::vector<float>& coverage);

    // Writes the GLB file; false when it cannot be written.
    [[nodiscard]] bool write(const std::string& path);

private:
    int texture(const std::string& name);
    int accessor(const void* data, size_t bytes, int count, int componentType, int type, int target,
                 const float* minV = nullptr, const float* maxV = nullptr);

    std::unique_ptr<tinygltf::Model> model_;
    std::vector<unsigned char> bin_;
    std::map<std::string, int> textures_;
    std::vector<int> roots_;
};

// Quaternion (x, y, z, w) for the engine's angles in degrees, rotation Ry(y) Rx(x) Rz(z).
std::array<float, 4> quatFromAngles(float xDeg, float yDeg, float zDeg);

} // namespace assetgen
