// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The scene graph's nodes. Every node belongs to one scene, which creates the record of it when
// the node is constructed and deletes it at KScene::Reset; the game never deletes nodes.
// A node is drawn when it and all its ancestors are not hidden and its chain of parents
// reaches the scene's root; a node without a parent is kept but not drawn.

#include <string>
#include <vector>

#include "engine/math3d.h"

class KScene;
class KMesh;
class KMaterial;
class KNodeGraph;
class KShell;
class KObject;
class KLight;
class KCamera;
class KSprite;

enum KNodeType {
    KNODE_SHELL = 0,  // group node
    KNODE_OBJECT = 1, // node with a mesh
    KNODE_LIGHT = 2,
    KNODE_CAMERA = 3,
    KNODE_SPRITE = 4, // camera-facing quad
};

class KNode {
public:
    virtual ~KNode();
    KNode(const KNode&) = delete;
    KNode& operator=(const KNode&) = delete;

    KNodeGraph* parent = nullptr;      // null: detached, not drawn
    std::vector<KNodeGraph*> children; // in insertion order
    int tag = 0;                       // pick tag: 1 square, 2..7 pieces, 10+ menu, 0 none
    unsigned char hidden = 0;          // hides the node and everything under it
    unsigned char reflect = 1;         // second display flag: drawn in mirror reflections
    KPRS prs;                          // local transform
    KMatrix world;                     // world matrix, refreshed by KUpdateWorld
    std::string name;                  // object name from the model file
    KScene* scene;                     // owner
    const KNodeType type;

    // Re-parents this node, keeping its local transform; null detaches it (not drawn).
    // Inserting a node under itself or one of its descendants is refused (returns false).
    bool InsertAsChildOf(KNodeGraph* newParent);

    // True when this node and its ancestors are not hidden and the chain reaches the root.
    bool IsDrawn() const;

    // World matrix computed now from the chain of parents (stale local matrices rebuilt).
    KMatrix GetWorldMatrix();

    KObject* AsObject();
    KLight* AsLight();
    KCamera* AsCamera();
    KSprite* AsSprite();

protected:
    KNode(KScene* owner, KNodeType kind);
};

// A node of the scene graph as the game holds it; every concrete node derives from it.
class KNodeGraph : public KNode {
public:
    // Unlinks the node from its parent, its children and the scene (not during Reset).
    ~KNodeGraph() override;

protected:
    using KNode::KNode;
};

// Group node.
class KShell : public KNodeGraph {
public:
    explicit KShell(KScene* owner);
};

// Node that shows a mesh.
class KObject : public KNodeGraph {
public:
    explicit KObject(KScene* owner);

    KMesh* mesh = nullptr; // owned by the scene; may be shared or null
    // The mesh drawn with `recolourTo` wherever it names `recolourFrom`: one mesh shown in two
    // materials (a chess piece in both colours) is held and sent to the GPU once.
    const KMaterial* recolourFrom = nullptr;
    KMaterial* recolourTo = nullptr;

    void SetMesh(KMesh* m);
    // The material the mesh's `m` is drawn with.
    KMaterial* DrawnMaterial(KMaterial* m) const { return m && m == recolourFrom ? recolourTo : m; }
    // Shows `other`'s mesh in the material of this one's own, when both meshes have the same
    // shape (vertices, faces, texture coordinates and levels of detail) and one material each,
    // and deletes the mesh this object had, with its levels, unless another object shows it.
    // False, and nothing changed, otherwise.
    bool ShareShapeOf(const KObject& other);
};

enum KLightKind { KLIGHT_POINT = 0, KLIGHT_DIRECTIONAL = 1, KLIGHT_SPOT = 2 };

// Light; directional and spot lights shine along their local -z.
class KLight : public KNodeGraph {
public:
    explicit KLight(KScene* owner);

    int kind = KLIGHT_POINT;
    KColor ambient{0, 0, 0, 1};  // added to every lit surface; light animations set it
    KColor diffuse{1, 1, 1, 1};  // light animations set it
    KColor specular{1, 1, 1, 1}; //
    float intensity = 1.0f;      // multiplies diffuse and specular
    float range = 0.0f;          // 0: no fall-off distance limit
    float innerCone = 0.0f;      // spot cone half angles in degrees
    float outerCone = 45.0f;
};

// Camera; looks along its local -z, y up.
class KCamera : public KNodeGraph {
public:
    explicit KCamera(KScene* owner);

    float angle = 30.0f;     // half the vertical field of view, degrees (60 degree view)
    float nearDist = 0.1f;   // near plane distance
    float farDist = 1000.0f; // far plane distance

    // Inverse of the camera's world matrix (KUpdateWorld or GetWorldMatrix first).
    KMatrix GetViewMatrix() const;
    // OpenGL perspective projection (clip z -1..1) for width / height `aspect`.
    KMatrix GetProjMatrix(float aspect) const;
};

// Quad of width x height world units centred on the node, always facing the camera.
class KSprite : public KNodeGraph {
public:
    explicit KSprite(KScene* owner);

    float width = 1.0f, height = 1.0f;
    KMaterial* mat = nullptr;
    unsigned char depthTest = 1; // 0: drawn over everything (glows)
};

// What the objects of a copy show: a copy of each mesh, or the very meshes of the original.
enum KCopyMeshes {
    KCOPY_OWN_MESHES = 0,   // each copy may edit its meshes on its own
    KCOPY_SHARED_MESHES = 1 // copies drawn as they are: one mesh in memory and on the GPU
};

// Copy of `node` in the same scene: type, name, tag, flags, transform and, for objects, the
// mesh as `meshes` says (materials are always shared). With `deep` the children are copied
// too, recursively. The copy starts detached. Null gives null. Shared meshes belong to the scene
// like any other: an edit to one shows in the original and in every copy.
KNodeGraph* CopyNode(KNodeGraph* node, bool deep, KCopyMeshes meshes = KCOPY_OWN_MESHES);

// Moves the node by (dx, dy, dz) along its own axes (its current orientation), through the
// transform refresh.
void MovObj(KNodeGraph* node, float dx, float dy, float dz);

// Turns the node by adding (dx, dy, dz) degrees to its angles, through the transform refresh.
void RotateObjExt(KNodeGraph* node, float dx, float dy, float dz);

// Rebuilds stale local matrices under `root` and recomputes every world matrix from it
// (root's own parent chain included). The renderer and picking call it once per use.
void KUpdateWorld(KNodeGraph* root);
