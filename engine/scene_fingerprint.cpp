// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/scene_fingerprint.h"

#include <cstring>

#include "engine/material.h"
#include "engine/mesh.h"
#include "engine/node.h"
#include "engine/scene.h"
#include "engine/text2d.h"
#include "engine/texture.h"

namespace {

// FNV-1a over 32-bit words: the values are floats, counts and pointers, not text.
class Fold {
public:
    void word(uint32_t w) { h_ = (h_ ^ w) * 0x100000001b3ull; }
    void number(float f) {
        uint32_t w;
        std::memcpy(&w, &f, sizeof w);
        word(w);
    }
    void number(int i) { word(uint32_t(i)); }
    void flag(unsigned char b) { word(b); }
    void pointer(const void* p) {
        const auto v = uint64_t(reinterpret_cast<uintptr_t>(p));
        word(uint32_t(v));
        word(uint32_t(v >> 32));
    }
    void vector(const KVector& v) {
        number(v.x);
        number(v.y);
        number(v.z);
    }
    void colour(const KColor& c) {
        number(c.r);
        number(c.g);
        number(c.b);
        number(c.a);
    }
    void text(const char* s) {
        for (; *s; ++s)
            word(static_cast<unsigned char>(*s));
        word(0);
    }
    uint64_t value() const { return h_; }

private:
    uint64_t h_ = 0xcbf29ce484222325ull;
};

bool isStill(const KNodeGraph* n, const KNodeGraph* const* still, int stillCount) {
    for (int i = 0; i < stillCount; ++i)
        if (still[i] == n) return true;
    return false;
}

void foldNode(Fold& f, const KNodeGraph* n, bool still) {
    f.pointer(n->parent);
    f.flag(n->hidden);
    f.flag(n->reflect);
    if (!still) {
        f.vector(n->prs.pos);
        f.vector(n->prs.rot);
        f.number(n->prs.scale);
    }
    auto* node = const_cast<KNodeGraph*>(n); // the As* casts are not const; nothing is written
    if (KObject* o = node->AsObject()) {
        f.pointer(o->mesh);
        f.pointer(o->recolourFrom);
        f.pointer(o->recolourTo);
    } else if (KLight* l = node->AsLight()) {
        f.number(l->kind);
        f.colour(l->ambient);
        f.colour(l->diffuse);
        f.colour(l->specular);
        f.number(l->intensity);
        f.number(l->range);
        f.number(l->innerCone);
        f.number(l->outerCone);
    } else if (KCamera* c = node->AsCamera()) {
        f.number(c->angle);
        f.number(c->nearDist);
        f.number(c->farDist);
    } else if (KSprite* s = node->AsSprite()) {
        f.number(s->width);
        f.number(s->height);
        f.pointer(s->mat);
        f.flag(s->depthTest);
    }
}

void foldMaterial(Fold& f, const KMaterial* m) {
    f.colour(m->diffuse);
    f.colour(m->ambient);
    f.colour(m->specular);
    f.colour(m->emissive);
    f.number(m->shininess);
    f.number(m->opacity);
    f.number(m->reflect);
    f.number(m->alphaCutoff);
    f.word(m->options);
    f.flag(m->blend);
    f.flag(m->noZWrite);
    f.pointer(m->texture);
}

void foldText(Fold& f, const KTexte* t) {
    f.flag(t->visible);
    if (!t->visible) return; // a hidden line may change as it likes
    f.text(t->texte);
    f.pointer(t->font);
    f.number(t->r);
    f.number(t->g);
    f.number(t->b);
    f.flag(t->blend);
    f.number(t->x);
    f.number(t->y);
    f.number(t->size);
}

void foldImage(Fold& f, const KImage2D* i) {
    f.flag(i->hidden);
    f.number(i->x);
    f.number(i->y);
    f.number(i->width);
    f.number(i->height);
    f.flag(i->underTexts);
    f.pointer(i->mat);
}

} // namespace

uint64_t KSceneFingerprint(const KScene* scene, const KNodeGraph* const* still, int stillCount) {
    if (!scene) return 0;
    Fold f;
    f.pointer(scene->root);
    f.pointer(scene->selectedLight);
    f.number(scene->screenWidth);
    f.number(scene->screenHeight);
    f.flag(scene->statistics);
    f.number(int(scene->nodes.size()));
    for (const KNodeGraph* n : scene->nodes)
        foldNode(f, n, isStill(n, still, stillCount));
    for (const KMaterial* m : scene->materials)
        foldMaterial(f, m);
    for (const KTexture* t : scene->textures) {
        f.flag(t->dirty);
        f.word(t->rewrites);
    }
    for (const KMesh* m : scene->meshes)
        f.flag(m->changed);
    for (const KFont* font : scene->fonts) {
        f.number(font->size);
        f.number(font->spacing);
        f.pointer(font->texture);
    }
    f.number(int(scene->textes.size()));
    for (const KTexte* t : scene->textes)
        foldText(f, t);
    f.number(int(scene->images.size()));
    for (const KImage2D* i : scene->images)
        foldImage(f, i);
    return f.value();
}
