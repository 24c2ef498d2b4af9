// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/scene.h"

#include <algorithm>
#include <cstring>

#include "engine/log.h"
#include "engine/material.h"
#include "engine/mesh.h"
#include "engine/node.h"
#include "engine/paths.h"
#include "engine/text2d.h"
#include "engine/texture.h"

void KLogOpen();
void KLogClose();

namespace {

template <class T> void eraseOne(std::vector<T*>& v, T* p) {
    auto it = std::find(v.begin(), v.end(), p);
    if (it != v.end()) v.erase(it);
}

template <class T> void deleteEach(std::vector<T*>& v) {
    for (T* p : v)
        delete p;
    v.clear();
}

} // namespace

KScene::KScene() {
    root = new KShell(this);
}

KScene::~KScene() {
    DeleteAll();
}

void KScene::DeleteAll() {
    resetting_ = true;
    deleteEach(nodes);
    deleteEach(meshes); // each tells the renderer to free its GPU copy
    deleteEach(materials);
    deleteEach(textures);
    deleteEach(fonts);
    deleteEach(textes);
    deleteEach(images);
    root = nullptr;
    selectedLight = nullptr;
    camera = nullptr;
    resetting_ = false;
}

void KScene::Reset() {
    DeleteAll();
    root = new KShell(this);
    stats = KStats();
    statistics = 0;
    changed = 1;
}

void KScene::AddTexte(KTexte* t) {
    if (t && std::find(textes.begin(), textes.end(), t) == textes.end()) textes.push_back(t);
}

void KScene::Register(KNodeGraph* n) {
    nodes.push_back(n);
}
void KScene::Register(KMesh* m) {
    meshes.push_back(m);
}
void KScene::Register(KMaterial* m) {
    materials.push_back(m);
}
void KScene::Register(KTexture* t) {
    textures.push_back(t);
}
void KScene::Register(KFont* f) {
    fonts.push_back(f);
}
void KScene::Register(KImage2D* i) {
    images.push_back(i);
}

void KScene::Unregister(KNodeGraph* n) {
    eraseOne(nodes, n);
    if (selectedLight == static_cast<KNode*>(n)) selectedLight = nullptr;
    if (camera == static_cast<KNode*>(n)) camera = nullptr;
    if (root == static_cast<KNode*>(n)) root = nullptr;
    changed = 1;
}

void KScene::Unregister(KMesh* m) {
    eraseOne(meshes, m);
    // Objects showing the mesh lose it rather than keep a dangling pointer.
    for (KNodeGraph* n : nodes)
        if (KObject* o = n->AsObject(); o && o->mesh == m) o->mesh = nullptr;
}

void KScene::Unregister(KTexture* t) {
    eraseOne(textures, t);
    for (KMaterial* m : materials)
        if (m->texture == t) m->texture = nullptr;
    for (KFont* f : fonts)
        if (f->texture == t) f->texture = nullptr;
}

int KivInitDLL() {
    KLogOpen();
    Log("KivEngine started\n");
    return 1;
}

void KivFreeDLL() {
    Log("KivEngine stopped\n");
    KLogClose();
}

KScene* CreateScene() {
    return new KScene();
}

KNodeGraph* GetObjByName(KScene* scene, const char* name) {
    if (!scene || !name) return nullptr;
    for (KNodeGraph* n : scene->nodes)
        if (n->name == name) return n;
    return nullptr;
}

KMaterial* GetMatByName(KScene* scene, const char* name) {
    if (!scene || !name) return nullptr;
    for (KMaterial* m : scene->materials)
        if (m->name == name) return m;
    return nullptr;
}

KTexture* KFindTexture(KScene* scene, const char* name) {
    if (!scene || !name) return nullptr;
    std::string wanted = KNormalizePath(name);
    for (KTexture* t : scene->textures)
        if (KNormalizePath(t->name.c_str()) == wanted) return t;
    return nullptr;
}

KTexture* GetTexByName(KScene* scene, const char* name) {
    KTexture* t = KFindTexture(scene, name);
    // The caller may read or rewrite the pixels (a menu picture highlighted in place).
    if (t) t->KeepPixels();
    return t;
}
