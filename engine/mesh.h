// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Triangle meshes, as loaded from model files or built and edited in code. Every edit through
// the methods marks the mesh changed; code that writes `verts` directly sets `changed` itself.
// The renderer re-sends a changed mesh before drawing it and clears the flag.

#include <vector>

#include "engine/math3d.h"

class KScene;
class KMaterial;

struct KVertex {
    KVector pos;              // object space
    KVector normal;           // zero: the renderer uses the face normal
    KColor color{1, 1, 1, 1}; // multiplied in when the material asks for it
};

// A triangle: three vertex indices, texture coordinates per corner, a material.
class KFace {
public:
    int ref[3] = {0, 0, 0}; // vertex indices
    KUV uv[3];              // texture coordinates, one per corner
    KMaterial* mat = nullptr;

    void initFace(); // all zero, no material
    void SetVertsRef(int a, int b, int c);
    void SetMaterial(KMaterial* m);
    void SetUV(int corner, float u, float v);
};

class KMesh {
public:
    // A mesh of the scene (the scene deletes it); the counts only reserve room.
    KMesh(KScene* owner, int nbVerts, int nbFaces);
    ~KMesh(); // tells the renderer (hook) so it frees the GPU copy
    KMesh(const KMesh&) = delete;
    KMesh& operator=(const KMesh&) = delete;

    std::vector<KVertex> verts;
    std::vector<KFace> faces;
    unsigned char changed = 1;    // geometry to be re-sent to the GPU
    unsigned char isStatic = 1;   // cleared for meshes rewritten every frame (streamed)
    unsigned char rapidModel = 1; // picking may reject by the cached bounding box
    void* gpu = nullptr;          // the renderer's buffers; only the renderer touches it
    KScene* scene;

    // Levels of detail: coarser versions of this mesh, finest first, drawn where it is small
    // on screen; the coarsest also stands for it in mirror reflections. levelCoverage[i] is the
    // screen coverage below which levels[i] replaces the finer ones: the diameter of the
    // mesh's bounding sphere on screen as a fraction of the window's height. The meshes belong
    // to the scene and are shared by copies. An edit through the methods below drops them (they
    // would no longer match); picking always tests the mesh itself. Levels are only drawn: once
    // the renderer has sent one, it lets go of its vertices and faces (render_state.h), so a
    // mesh is never both a level and an object's own mesh.
    std::vector<KMesh*> levels;
    std::vector<float> levelCoverage;

    int addVert(const KVertex& v); // returns the new index
    // The second colour is taken for the callers that pass one; nothing draws it, so it is not
    // kept (a mesh's memory is mostly its vertices and faces).
    int addVert(const KVector& pos, const KVector& normal, const KColor& c1, const KColor& c2);
    // Adds a copy of the face; refused (-1) when it names a vertex that does not exist.
    int addFace(const KFace& f);
    // Sets the position of vertex i; an index out of range is ignored.
    void moveVert(int i, float x, float y, float z);
    void Clear(); // no vertices, no faces
    // Drops the quick-collision model: picking then tests every triangle without the cached
    // bounding box (meshes that change every frame).
    void DeleteRapidModel();

    // Object-space bounds of the vertices; false for a mesh without vertices.
    bool GetBounds(KVector& lo, KVector& hi) const;
    // Fills zero normals with the normals of the faces using the vertex.
    void ComputeMissingNormals();
    // A copy with the same vertices, faces, materials and levels of detail, owned by the same
    // scene.
    KMesh* Copy() const;

private:
    // The bounds of a mesh with the quick-collision model, kept from one pick to the next (the
    // pointer is picked against every mesh of the scene as it moves). The edits above forget
    // them; vertices written directly belong to meshes without that model (the water).
    mutable bool boundsKnown_ = false;
    mutable KVector boundsLo_, boundsHi_;
};
