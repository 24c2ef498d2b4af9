// SPDX-License-Identifier: GPL-3.0-or-later
// LoadSceneFromFILE: model files are glTF 2.0 binaries (GLB), read with tinygltf. Every glTF
// node becomes one engine node under its glTF name, hierarchy and transform kept; materials
// and textures become the scene's, textures shared by path across files. The file is checked
// whole before anything is added to the scene, so a bad file adds nothing.

#include <cstring>
#include <string>
#include <tiny_gltf.h>
#include <vector>

#include "engine/folders.h"
#include "engine/log.h"
#include "engine/material.h"
#include "engine/mesh.h"
#include "engine/node.h"
#include "engine/paths.h"
#include "engine/scene.h"
#include "engine/texture.h"

namespace {

// A mesh read from the file, before it becomes the scene's.
struct TmpFace {
    int ref[3];
    KUV uv[3];
    int material; // glTF material index or -1
};
struct TmpMesh {
    std::vector<KVertex> verts;
    std::vector<TmpFace> faces;
};

// Pictures are read by the engine itself, from the path written in the image's uri relative
// to the program's folder; tinygltf must neither read nor decode them.
bool keepImageUnread(tinygltf::Image*, const int, std::string*, std::string*, int, int,
                     const unsigned char*, int, void*) {
    return true;
}
bool noFile(const std::string&, void*) {
    return false;
}
std::string samePath(const std::string& p, void*) {
    return p;
}
bool noRead(std::vector<unsigned char>*, std::string*, const std::string&, void*) {
    return false;
}
bool noWrite(std::string*, const std::string&, const std::vector<unsigned char>&, void*) {
    return false;
}

// Reads `comps` floats per element of an accessor (float, or normalised unsigned byte /
// short), checking every bound. False for a malformed accessor.
bool readFloats(const tinygltf::Model& m, int index, int comps, std::vector<float>& out) {
    if (index < 0 || index >= static_cast<int>(m.accessors.size())) return false;
    const tinygltf::Accessor& a = m.accessors[index];
    if (a.sparse.isSparse || tinygltf::GetNumComponentsInType(a.type) != comps) return false;
    if (a.bufferView < 0 || a.bufferView >= static_cast<int>(m.bufferViews.size())) return false;
    const tinygltf::BufferView& bv = m.bufferViews[a.bufferView];
    if (bv.buffer < 0 || bv.buffer >= static_cast<int>(m.buffers.size())) return false;
    const std::vector<unsigned char>& data = m.buffers[bv.buffer].data;
    int csize = tinygltf::GetComponentSizeInBytes(a.componentType);
    if (csize <= 0) return false;
    size_t elem = static_cast<size_t>(csize) * comps;
    size_t stride = bv.byteStride ? bv.byteStride : elem;
    size_t start = bv.byteOffset + a.byteOffset;
    size_t viewEnd = bv.byteOffset + bv.byteLength;
    if (a.count == 0) {
        out.clear();
        return true;
    }
    size_t last = start + stride * (a.count - 1) + elem;
    if (stride < elem || last > viewEnd || viewEnd > data.size()) return false;
    out.resize(a.count * comps);
    for (size_t i = 0; i < a.count; ++i) {
        const unsigned char* p = data.data() + start + stride * i;
        for (int c = 0; c < comps; ++c) {
            float v;
            switch (a.componentType) {
            case TINYGLTF_COMPONENT_TYPE_FLOAT:
                std::memcpy(&v, p + 4 * c, 4);
                break;
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
                v = p[c] / 255.0f;
                break;
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
                unsigned short s;
                std::memcpy(&s, p + 2 * c, 2);
                v = s / 65535.0f;
                break;
            }
            default:
                return false;
            }
            out[i * comps + c] = v;
        }
    }
    return true;
}

// Reads an index accessor (unsigned byte, short or int); every index must be below `limit`.
bool readIndices(const tinygltf::Model& m, int index, size_t limit, std::vector<int>& out) {
    if (index < 0 || index >= static_cast<int>(m.accessors.size())) return false;
    const tinygltf::Accessor& a = m.accessors[index];
    if (a.sparse.isSparse || a.type != TINYGLTF_TYPE_SCALAR) return false;
    if (a.bufferView < 0 || a.bufferView >= static_cast<int>(m.bufferViews.size())) return false;
    const tinygltf::BufferView& bv = m.bufferViews[a.bufferView];
    if (bv.buffer < 0 || bv.buffer >= static_cast<int>(m.buffers.size())) return false;
    const std::vector<unsigned char>& data = m.buffers[bv.buffer].data;
    int csize = tinygltf::GetComponentSizeInBytes(a.componentType);
    if (csize != 1 && csize != 2 && csize != 4) return false;
    size_t stride = bv.byteStride ? bv.byteStride : csize;
    size_t start = bv.byteOffset + a.byteOffset, viewEnd = bv.byteOffset + bv.byteLength;
    out.resize(a.count);
    if (a.count == 0) return true;
    if (start + stride * (a.count - 1) + csize > viewEnd || viewEnd > data.size()) return false;
    for (size_t i = 0; i < a.count; ++i) {
        const unsigned char* p = data.data() + start + stride * i;
        unsigned int v = 0;
        if (csize == 1) {
            v = *p;
        } else if (csize == 2) {
            unsigned short s;
            std::memcpy(&s, p, 2);
            v = s;
        } else {
            std::memcpy(&v, p, 4);
        }
        if (v >= limit) return false;
        out[i] = static_cast<int>(v);
    }
    return true;
}

// Converts every mesh of the file; false (with `why`) at the first malformed one.
bool readMeshes(const tinygltf::Model& m, std::vector<TmpMesh>& meshes, std::string& why) {
    meshes.resize(m.meshes.size());
    std::vector<float> pos, nrm, uv, col;
    std::vector<int> idx;
    for (size_t mi = 0; mi < m.meshes.size(); ++mi) {
        TmpMesh& out = meshes[mi];
        for (const tinygltf::Primitive& prim : m.meshes[mi].primitives) {
            if (prim.mode != TINYGLTF_MODE_TRIANGLES && prim.mode != -1)
                continue; // points and lines are not drawn by this engine
            auto attr = [&](const char* name) {
                auto it = prim.attributes.find(name);
                return it == prim.attributes.end() ? -1 : it->second;
            };
            int aPos = attr("POSITION"), aNrm = attr("NORMAL"), aUv = attr("TEXCOORD_0");
            int aCol = attr("COLOR_0");
            if (aPos < 0 || !readFloats(m, aPos, 3, pos)) {
                why = "mesh \"" + m.meshes[mi].name + "\": bad or missing POSITION";
                return false;
            }
            size_t n = pos.size() / 3;
            if ((aNrm >= 0 && (!readFloats(m, aNrm, 3, nrm) || nrm.size() != n * 3)) ||
                (aUv >= 0 && (!readFloats(m, aUv, 2, uv) || uv.size() != n * 2))) {
                why = "mesh \"" + m.meshes[mi].name + "\": bad NORMAL or TEXCOORD_0";
                return false;
            }
            int colComps = 0;
            if (aCol >= 0) {
                colComps = aCol < static_cast<int>(m.accessors.size()) &&
                                   m.accessors[aCol].type == TINYGLTF_TYPE_VEC3
                               ? 3
                               : 4;
                if (!readFloats(m, aCol, colComps, col) || col.size() != n * colComps) {
                    why = "mesh \"" + m.meshes[mi].name + "\": bad COLOR_0";
                    return false;
                }
            }
            if (prim.indices >= 0) {
                if (!readIndices(m, prim.indices, n, idx)) {
                    why = "mesh \"" + m.meshes[mi].name + "\": bad indices";
                    return false;
                }
            } else {
                idx.resize(n);
                for (size_t i = 0; i < n; ++i)
                    idx[i] = static_cast<int>(i);
            }
            if (prim.material >= static_cast<int>(m.materials.size())) {
                why = "mesh \"" + m.meshes[mi].name + "\": bad material index";
                return false;
            }
            int base = static_cast<int>(out.verts.size());
            for (size_t i = 0; i < n; ++i) {
                KVertex v;
                v.pos = KVector(pos[3 * i], pos[3 * i + 1], pos[3 * i + 2]);
                if (aNrm >= 0) v.normal = KVector(nrm[3 * i], nrm[3 * i + 1], nrm[3 * i + 2]);
                if (colComps) {
                    const float* c = &col[colComps * i];
                    v.color = KColor{c[0], c[1], c[2], colComps == 4 ? c[3] : 1.0f};
                }
                out.verts.push_back(v);
            }
            for (size_t t = 0; t + 2 < idx.size(); t += 3) {
                TmpFace f;
                f.material = prim.material;
                for (int k = 0; k < 3; ++k) {
                    int vi = idx[t + k];
                    f.ref[k] = base + vi;
                    // glTF puts v = 0 at the top of the picture; pixel rows are bottom-up.
                    f.uv[k] = aUv >= 0 ? KUV{uv[2 * vi], 1.0f - uv[2 * vi + 1]} : KUV{};
                }
                out.faces.push_back(f);
            }
        }
    }
    return true;
}

// Checks that the node graph is a forest with valid indices: every node has at most one
// parent and no chain of parents loops. `parentOf` gets each node's parent or -1.
bool checkNodes(const tinygltf::Model& m, std::vector<int>& parentOf, std::string& why) {
    const int count = static_cast<int>(m.nodes.size());
    parentOf.assign(count, -1);
    for (int i = 0; i < count; ++i) {
        const tinygltf::Node& n = m.nodes[i];
        if (n.mesh >= static_cast<int>(m.meshes.size()) ||
            n.camera >= static_cast<int>(m.cameras.size())) {
            why = "node \"" + n.name + "\": bad mesh or camera index";
            return false;
        }
        for (int c : n.children) {
            if (c < 0 || c >= count || parentOf[c] != -1) {
                why = "node \"" + n.name + "\": bad child";
                return false;
            }
            parentOf[c] = i;
        }
    }
    for (int i = 0; i < count; ++i) {
        int steps = 0;
        for (int p = parentOf[i]; p != -1; p = parentOf[p])
            if (++steps > count) {
                why = "node \"" + m.nodes[i].name + "\": its parents loop";
                return false;
            }
    }
    return true;
}

KColor colorOf(const std::vector<double>& v, KColor fallback) {
    if (v.size() >= 3)
        fallback =
            KColor{static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2]),
                   v.size() >= 4 ? static_cast<float>(v[3]) : 1.0f};
    return fallback;
}

bool extrasColor(const tinygltf::Value& extras, const char* key, KColor& out) {
    if (!extras.IsObject() || !extras.Has(key)) return false;
    const tinygltf::Value& a = extras.Get(key);
    if (!a.IsArray() || a.ArrayLen() < 3) return false;
    out = KColor{static_cast<float>(a.Get(0).GetNumberAsDouble()),
                 static_cast<float>(a.Get(1).GetNumberAsDouble()),
                 static_cast<float>(a.Get(2).GetNumberAsDouble()), 1.0f};
    return true;
}

bool extrasNumber(const tinygltf::Value& extras, const char* key, float& out) {
    if (!extras.IsObject() || !extras.Has(key) || !extras.Get(key).IsNumber()) return false;
    out = static_cast<float>(extras.Get(key).GetNumberAsDouble());
    return true;
}

bool extrasFlag(const tinygltf::Value& extras, const char* key) {
    return extras.IsObject() && extras.Has(key) && extras.Get(key).IsBool() &&
           extras.Get(key).Get<bool>();
}

// The scene's texture for each glTF image: an existing texture of the same path, or a new one
// read from that path (an embedded picture when the image has no uri).
std::vector<KTexture*> makeTextures(KScene* scene, const tinygltf::Model& m) {
    std::vector<KTexture*> out(m.images.size(), nullptr);
    for (size_t i = 0; i < m.images.size(); ++i) {
        const tinygltf::Image& img = m.images[i];
        std::string key = !img.uri.empty() ? img.uri : img.name;
        KTexture* t = key.empty() ? nullptr : KFindTexture(scene, key.c_str());
        if (!t) {
            t = new KTexture(scene);
            t->name = key;
            if (!img.uri.empty()) {
                t->LoadTextureLater(img.uri.c_str());
            } else if (img.bufferView >= 0 &&
                       img.bufferView < static_cast<int>(m.bufferViews.size())) {
                const tinygltf::BufferView& bv = m.bufferViews[img.bufferView];
                if (bv.buffer >= 0 && bv.buffer < static_cast<int>(m.buffers.size()) &&
                    bv.byteOffset + bv.byteLength <= m.buffers[bv.buffer].data.size())
                    t->LoadTextureFromMemory(m.buffers[bv.buffer].data.data() + bv.byteOffset,
                                             static_cast<int>(bv.byteLength));
            }
        }
        out[i] = t;
    }
    return out;
}

std::vector<KMaterial*> makeMaterials(KScene* scene, const tinygltf::Model& m,
                                      const std::vector<KTexture*>& images) {
    std::vector<KMaterial*> out;
    for (const tinygltf::Material& gm : m.materials) {
        auto* mat = new KMaterial(scene);
        mat->name = gm.name;
        KColor base = colorOf(gm.pbrMetallicRoughness.baseColorFactor, KColor{1, 1, 1, 1});
        mat->diffuse = KColor{base.r, base.g, base.b, 1};
        mat->opacity = base.a;
        mat->emissive = colorOf(gm.emissiveFactor, KColor{0, 0, 0, 1});
        mat->emissive.a = 1;
        mat->ambient = KColor{0.2f * base.r, 0.2f * base.g, 0.2f * base.b, 1};
        mat->specular = KColor{0, 0, 0, 1};
        mat->shininess = 16.0f;
        int ti = gm.pbrMetallicRoughness.baseColorTexture.index;
        if (ti >= 0 && ti < static_cast<int>(m.textures.size())) {
            int src = m.textures[ti].source;
            if (src >= 0 && src < static_cast<int>(images.size())) mat->texture = images[src];
        }
        if (gm.alphaMode == "BLEND")
            mat->blend = mat->noZWrite = 1;
        else if (gm.alphaMode == "MASK") {
            mat->options |= KMAT_ALPHATEST;
            mat->alphaCutoff = static_cast<float>(gm.alphaCutoff);
        }
        if (gm.doubleSided) mat->options |= KMAT_DOUBLESIDED;
        const tinygltf::Value& ex = gm.extras;
        extrasColor(ex, "ambient", mat->ambient);
        if (extrasColor(ex, "specular", mat->specular)) mat->options |= KMAT_SPECULAR;
        extrasNumber(ex, "shininess", mat->shininess);
        extrasNumber(ex, "reflect", mat->reflect);
        if (extrasFlag(ex, "unlit")) mat->options |= KMAT_UNLIT;
        if (extrasFlag(ex, "additive")) mat->options |= KMAT_ADDITIVE;
        out.push_back(mat);
    }
    return out;
}

void setTransform(KPRS& prs, const tinygltf::Node& n) {
    if (n.matrix.size() == 16) {
        KMatrix mx;
        for (int i = 0; i < 16; ++i)
            mx.m[i] = static_cast<float>(n.matrix[i]);
        prs.pos = mx.GetTrans();
        prs.scale = KVector(mx.m[0], mx.m[1], mx.m[2]).Length();
        prs.rot = mx.GetQuat().GetAnglesYXZ();
    } else {
        if (n.translation.size() == 3)
            prs.pos =
                KVector(static_cast<float>(n.translation[0]), static_cast<float>(n.translation[1]),
                        static_cast<float>(n.translation[2]));
        if (n.rotation.size() == 4)
            prs.rot = KQuat(static_cast<float>(n.rotation[0]), static_cast<float>(n.rotation[1]),
                            static_cast<float>(n.rotation[2]), static_cast<float>(n.rotation[3]))
                          .GetAnglesYXZ();
        if (n.scale.size() == 3) prs.scale = static_cast<float>(n.scale[0]);
    }
    prs.CreateMatrix();
}

// The light a node carries through KHR_lights_punctual, or -1.
int lightIndex(const tinygltf::Model& m, const tinygltf::Node& n) {
    auto it = n.extensions.find("KHR_lights_punctual");
    if (it == n.extensions.end() || !it->second.IsObject() || !it->second.Has("light")) return -1;
    int li = it->second.Get("light").GetNumberAsInt();
    return li >= 0 && li < static_cast<int>(m.lights.size()) ? li : -1;
}

struct Builder {
    KScene* scene;
    const tinygltf::Model& m;
    std::vector<TmpMesh>& tmp;
    std::vector<KMaterial*> materials;
    std::vector<KMesh*> built; // first user of each glTF mesh takes it, later ones a copy

    KMesh* meshFor(int mi) {
        if (built[mi]) return built[mi]->Copy();
        const TmpMesh& t = tmp[mi];
        auto* mesh =
            new KMesh(scene, static_cast<int>(t.verts.size()), static_cast<int>(t.faces.size()));
        mesh->verts = t.verts;
        for (const TmpFace& tf : t.faces) {
            KFace f;
            f.SetVertsRef(tf.ref[0], tf.ref[1], tf.ref[2]);
            for (int k = 0; k < 3; ++k)
                f.SetUV(k, tf.uv[k].u, tf.uv[k].v);
            f.mat = tf.material >= 0 ? materials[tf.material] : nullptr;
            mesh->faces.push_back(f);
        }
        mesh->changed = 1;
        built[mi] = mesh;
        return mesh;
    }

    // Levels of detail of a node's mesh (MSFT_lod): the nodes listed in the extension's "ids",
    // finest first, each with a mesh. Value i of the node's extras "MSFT_screencoverage" is the
    // screen coverage down to which level i is used (the node's own mesh is level 0), so below
    // it level i + 1 takes over. A listed node without a mesh ends the list; a level without a
    // value only stands in for the mesh in mirrors.
    void levelsFor(const tinygltf::Node& n, KMesh* mesh) {
        auto it = n.extensions.find("MSFT_lod");
        if (it == n.extensions.end() || !it->second.IsObject() || !it->second.Has("ids")) return;
        const tinygltf::Value& ids = it->second.Get("ids");
        const tinygltf::Value& ex = n.extras;
        const bool haveCoverage = ex.IsObject() && ex.Has("MSFT_screencoverage") &&
                                  ex.Get("MSFT_screencoverage").IsArray();
        for (size_t i = 0; ids.IsArray() && i < ids.ArrayLen(); ++i) {
            const int id = ids.Get(static_cast<int>(i)).IsInt()
                               ? ids.Get(static_cast<int>(i)).GetNumberAsInt()
                               : -1;
            if (id < 0 || id >= static_cast<int>(m.nodes.size()) || m.nodes[id].mesh < 0) {
                Log("LoadSceneFromFILE: node \"%s\": level of detail %zu has no mesh\n",
                    n.name.c_str(), i + 1);
                break;
            }
            float coverage = 0;
            if (haveCoverage && i < ex.Get("MSFT_screencoverage").ArrayLen()) {
                const tinygltf::Value& c = ex.Get("MSFT_screencoverage").Get(static_cast<int>(i));
                if (c.IsNumber()) coverage = static_cast<float>(c.GetNumberAsDouble());
            }
            mesh->levels.push_back(meshFor(m.nodes[id].mesh));
            mesh->levelCoverage.push_back(coverage);
        }
    }

    KNodeGraph* node(int ni, KNodeGraph* parent) {
        const tinygltf::Node& n = m.nodes[ni];
        KNodeGraph* out;
        int li = lightIndex(m, n);
        if (n.mesh >= 0) {
            auto* o = new KObject(scene);
            o->mesh = meshFor(n.mesh);
            levelsFor(n, o->mesh);
            out = o;
        } else if (li >= 0) {
            const tinygltf::Light& gl = m.lights[li];
            auto* l = new KLight(scene);
            l->kind = gl.type == "directional" ? KLIGHT_DIRECTIONAL
                      : gl.type == "spot"      ? KLIGHT_SPOT
                                               : KLIGHT_POINT;
            l->diffuse = colorOf(gl.color, KColor{1, 1, 1, 1});
            l->intensity = static_cast<float>(gl.intensity);
            l->range = static_cast<float>(gl.range);
            l->innerCone = static_cast<float>(gl.spot.innerConeAngle * 57.295779513);
            l->outerCone = static_cast<float>(gl.spot.outerConeAngle * 57.295779513);
            extrasColor(n.extras, "ambient", l->ambient);
            extrasColor(n.extras, "diffuse", l->diffuse);
            out = l;
        } else if (n.camera >= 0) {
            const tinygltf::Camera& gc = m.cameras[n.camera];
            auto* c = new KCamera(scene);
            if (gc.type == "perspective") {
                c->angle = static_cast<float>(gc.perspective.yfov * 0.5 * 57.295779513);
                if (gc.perspective.znear > 0)
                    c->nearDist = static_cast<float>(gc.perspective.znear);
                if (gc.perspective.zfar > 0) c->farDist = static_cast<float>(gc.perspective.zfar);
            }
            out = c;
        } else {
            out = new KShell(scene);
        }
        out->name = n.name;
        out->hidden = extrasFlag(n.extras, "hidden") ? 1 : 0;
        setTransform(out->prs, n);
        out->InsertAsChildOf(parent);
        for (int c : n.children)
            node(c, out);
        return out;
    }
};

} // namespace

int LoadSceneFromFILE(KScene* scene, const char* path, KNodeGraph* parent) {
    if (!scene || !path) return 0;
    std::string file = KNormalizePath(path);
    std::vector<unsigned char> bytes;
    if (!KReadFile(KDataPath(path), bytes)) {
        Log("LoadSceneFromFILE: cannot open \"%s\"\n", file.c_str());
        return 0;
    }
    tinygltf::TinyGLTF loader;
    loader.SetImageLoader(keepImageUnread, nullptr);
    loader.SetFsCallbacks(tinygltf::FsCallbacks{noFile, samePath, noRead, noWrite, nullptr});
    tinygltf::Model model;
    std::string err, warn;
    bool ok =
        !bytes.empty() && loader.LoadBinaryFromMemory(&model, &err, &warn, bytes.data(),
                                                      static_cast<unsigned int>(bytes.size()), "");
    std::vector<TmpMesh> meshes;
    std::vector<int> parentOf;
    std::string why = err;
    if (!ok || !checkNodes(model, parentOf, why) || !readMeshes(model, meshes, why)) {
        Log("LoadSceneFromFILE: \"%s\" is not a usable model file: %s\n", file.c_str(),
            why.c_str());
        return 0;
    }
    std::vector<KTexture*> images = makeTextures(scene, model);
    Builder b{scene, model, meshes, makeMaterials(scene, model, images),
              std::vector<KMesh*>(model.meshes.size(), nullptr)};
    KNodeGraph* target = parent ? parent : scene->root;

    std::vector<int> roots;
    int sc = model.defaultScene >= 0 ? model.defaultScene : (model.scenes.empty() ? -1 : 0);
    if (sc >= 0 && sc < static_cast<int>(model.scenes.size())) {
        roots = model.scenes[sc].nodes;
    } else {
        std::vector<char> isChild(model.nodes.size(), 0);
        for (const tinygltf::Node& n : model.nodes)
            for (int c : n.children)
                isChild[c] = 1;
        for (size_t i = 0; i < model.nodes.size(); ++i)
            if (!isChild[i]) roots.push_back(static_cast<int>(i));
    }
    for (int r : roots)
        if (r >= 0 && r < static_cast<int>(model.nodes.size())) b.node(r, target);
    scene->changed = 1;
    return 1;
}
