// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/node.h"

#include <algorithm>
#include <cmath>

#include "engine/mesh.h"
#include "engine/scene.h"

namespace {

constexpr float DEG_TO_RAD = 0.017453292f;

void removeChild(KNodeGraph* parent, KNode* child) {
    auto& c = parent->children;
    c.erase(std::remove(c.begin(), c.end(), child), c.end());
}

// World matrices of `n` and its subtree from the parent's world matrix.
void updateSubtree(KNodeGraph* n, const KMatrix& parentWorld) {
    n->prs.Refresh();
    n->world = parentWorld * n->prs.matrix;
    for (KNodeGraph* c : n->children)
        updateSubtree(c, n->world);
}

} // namespace

KNode::KNode(KScene* owner, KNodeType kind) : scene(owner), type(kind) {}

KNode::~KNode() = default;

KNodeGraph::~KNodeGraph() {
    if (scene && scene->Resetting()) return; // everything goes at once; no links to mend
    if (parent) removeChild(parent, this);
    for (KNodeGraph* c : children)
        c->parent = nullptr;
    if (scene) scene->Unregister(this);
}

bool KNode::InsertAsChildOf(KNodeGraph* newParent) {
    for (KNode* p = newParent; p; p = p->parent)
        if (p == this) return false; // would make a cycle
    if (parent == newParent) return true;
    if (parent) removeChild(parent, this);
    parent = newParent;
    if (newParent) newParent->children.push_back(static_cast<KNodeGraph*>(this));
    if (scene) scene->changed = 1;
    return true;
}

bool KNode::IsDrawn() const {
    const KNode* n = this;
    for (; n->parent; n = n->parent)
        if (n->hidden) return false;
    return !n->hidden && scene && n == static_cast<const KNode*>(scene->root);
}

KMatrix KNode::GetWorldMatrix() {
    prs.Refresh();
    world = parent ? parent->GetWorldMatrix() * prs.matrix : prs.matrix;
    return world;
}

KObject* KNode::AsObject() {
    return type == KNODE_OBJECT ? static_cast<KObject*>(this) : nullptr;
}
KLight* KNode::AsLight() {
    return type == KNODE_LIGHT ? static_cast<KLight*>(this) : nullptr;
}
KCamera* KNode::AsCamera() {
    return type == KNODE_CAMERA ? static_cast<KCamera*>(this) : nullptr;
}
KSprite* KNode::AsSprite() {
    return type == KNODE_SPRITE ? static_cast<KSprite*>(this) : nullptr;
}

KShell::KShell(KScene* owner) : KNodeGraph(owner, KNODE_SHELL) {
    if (owner) owner->Register(this);
}

KObject::KObject(KScene* owner) : KNodeGraph(owner, KNODE_OBJECT) {
    if (owner) owner->Register(this);
}

void KObject::SetMesh(KMesh* m) {
    mesh = m;
    if (scene) scene->changed = 1;
}

namespace {

// The one material of all of a mesh's faces; null when they differ or there are none.
KMaterial* onlyMaterial(const KMesh& m) {
    if (m.faces.empty()) return nullptr;
    for (const KFace& f : m.faces)
        if (f.mat != m.faces[0].mat) return nullptr;
    return m.faces[0].mat;
}

bool sameVectors(const KVector& a, const KVector& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

// The same vertices, faces and texture coordinates, whatever the materials; and so for the
// levels of detail. A mesh without vertices (a level the renderer let go of) matches nothing.
bool sameShape(const KMesh& a, const KMesh& b) {
    if (a.verts.empty() || a.verts.size() != b.verts.size() || a.faces.size() != b.faces.size() ||
        a.levels.size() != b.levels.size() || a.levelCoverage != b.levelCoverage)
        return false;
    for (size_t i = 0; i < a.verts.size(); ++i) {
        const KVertex &u = a.verts[i], &v = b.verts[i];
        if (!sameVectors(u.pos, v.pos) || !sameVectors(u.normal, v.normal) ||
            u.color.r != v.color.r || u.color.g != v.color.g || u.color.b != v.color.b ||
            u.color.a != v.color.a)
            return false;
    }
    for (size_t i = 0; i < a.faces.size(); ++i) {
        const KFace &f = a.faces[i], &g = b.faces[i];
        for (int c = 0; c < 3; ++c)
            if (f.ref[c] != g.ref[c] || f.uv[c].u != g.uv[c].u || f.uv[c].v != g.uv[c].v)
                return false;
    }
    for (size_t i = 0; i < a.levels.size(); ++i)
        if (!a.levels[i] || !b.levels[i] || !sameShape(*a.levels[i], *b.levels[i]) ||
            onlyMaterial(*a.levels[i]) != onlyMaterial(a) ||
            onlyMaterial(*b.levels[i]) != onlyMaterial(b))
            return false;
    return true;
}

} // namespace

bool KObject::ShareShapeOf(const KObject& other) {
    KMesh* own = mesh;
    if (!own || !other.mesh || own == other.mesh || !scene) return false;
    KMaterial* ownMaterial = onlyMaterial(*own);
    KMaterial* otherMaterial = onlyMaterial(*other.mesh);
    if (!ownMaterial || !otherMaterial || !sameShape(*own, *other.mesh)) return false;
    recolourFrom = otherMaterial;
    recolourTo = ownMaterial;
    SetMesh(other.mesh);
    for (KNodeGraph* n : scene->nodes)
        if (KObject* o = n->AsObject(); o && o->mesh == own) return true;
    for (KMesh* level : own->levels) {
        bool shared = false; // a copy of the mesh holds the same levels
        for (const KMesh* m : scene->meshes)
            if (m != own && std::find(m->levels.begin(), m->levels.end(), level) != m->levels.end())
                shared = true;
        if (!shared) delete level;
    }
    delete own;
    return true;
}

KLight::KLight(KScene* owner) : KNodeGraph(owner, KNODE_LIGHT) {
    if (owner) owner->Register(this);
}

KCamera::KCamera(KScene* owner) : KNodeGraph(owner, KNODE_CAMERA) {
    if (owner) owner->Register(this);
}

KMatrix KCamera::GetViewMatrix() const {
    return world.Inverse();
}

KMatrix KCamera::GetProjMatrix(float aspect) const {
    float f = 1.0f / std::tan(angle * DEG_TO_RAD);
    if (aspect <= 0) aspect = 1;
    KMatrix p;
    for (float& v : p.m)
        v = 0;
    p.m[0] = f / aspect;
    p.m[5] = f;
    p.m[10] = (farDist + nearDist) / (nearDist - farDist);
    p.m[11] = -1;
    p.m[14] = 2 * farDist * nearDist / (nearDist - farDist);
    return p;
}

KSprite::KSprite(KScene* owner) : KNodeGraph(owner, KNODE_SPRITE) {
    if (owner) owner->Register(this);
}

KNodeGraph* CopyNode(KNodeGraph* node, bool deep, KCopyMeshes meshes) {
    if (!node) return nullptr;
    KScene* s = node->scene;
    KNodeGraph* copy = nullptr;
    switch (node->type) {
    case KNODE_SHELL:
        copy = new KShell(s);
        break;
    case KNODE_OBJECT: {
        auto* o = new KObject(s);
        KMesh* m = static_cast<KObject*>(node)->mesh;
        o->mesh = m && meshes == KCOPY_OWN_MESHES ? m->Copy() : m;
        o->recolourFrom = static_cast<KObject*>(node)->recolourFrom;
        o->recolourTo = static_cast<KObject*>(node)->recolourTo;
        copy = o;
        break;
    }
    case KNODE_LIGHT: {
        auto* src = static_cast<KLight*>(node);
        auto* l = new KLight(s);
        l->kind = src->kind;
        l->ambient = src->ambient;
        l->diffuse = src->diffuse;
        l->specular = src->specular;
        l->intensity = src->intensity;
        l->range = src->range;
        l->innerCone = src->innerCone;
        l->outerCone = src->outerCone;
        copy = l;
        break;
    }
    case KNODE_CAMERA: {
        auto* src = static_cast<KCamera*>(node);
        auto* c = new KCamera(s);
        c->angle = src->angle;
        c->nearDist = src->nearDist;
        c->farDist = src->farDist;
        copy = c;
        break;
    }
    case KNODE_SPRITE: {
        auto* src = static_cast<KSprite*>(node);
        auto* sp = new KSprite(s);
        sp->width = src->width;
        sp->height = src->height;
        sp->mat = src->mat;
        sp->depthTest = src->depthTest;
        copy = sp;
        break;
    }
    }
    copy->name = node->name;
    copy->tag = node->tag;
    copy->hidden = node->hidden;
    copy->reflect = node->reflect;
    copy->prs = node->prs;
    copy->world = node->world;
    if (deep) {
        // Index loop: the source's child list is not touched by copying, but stay safe.
        for (size_t i = 0; i < node->children.size(); ++i)
            CopyNode(node->children[i], true, meshes)->InsertAsChildOf(copy);
    }
    return copy;
}

void MovObj(KNodeGraph* node, float dx, float dy, float dz) {
    if (!node) return;
    KPRS& t = node->prs;
    t.Refresh();
    KMatrix r;
    r.RotateYXZMatrix(t.rot.x * DEG_TO_RAD, t.rot.y * DEG_TO_RAD, t.rot.z * DEG_TO_RAD);
    t.pos = t.pos + r.TransformDir(KVector(dx, dy, dz));
    t.changed = 1;
}

void RotateObjExt(KNodeGraph* node, float dx, float dy, float dz) {
    if (!node) return;
    KPRS& t = node->prs;
    t.Refresh();
    t.rot = t.rot + KVector(dx, dy, dz);
    t.changed = 1;
}

void KUpdateWorld(KNodeGraph* root) {
    if (!root) return;
    KMatrix base; // identity
    if (root->parent) base = root->parent->GetWorldMatrix();
    updateSubtree(root, base);
}
