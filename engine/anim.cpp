// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/anim.h"

#include <algorithm>

#include "engine/material.h"
#include "engine/node.h"

namespace {

// Inserts a key keeping the list sorted by time; a key at an existing time replaces it.
template <class Key> void putKey(std::vector<Key>& keys, const Key& k) {
    // Keys are mostly added in time order: check the end first.
    if (keys.empty() || keys.back().time < k.time) {
        keys.push_back(k);
        return;
    }
    auto it = std::lower_bound(keys.begin(), keys.end(), k.time,
                               [](const Key& a, int t) { return a.time < t; });
    if (it != keys.end() && it->time == k.time)
        *it = k;
    else
        keys.insert(it, k);
}

// The two keys around `time` and the fraction between them; false when there is no key.
// Before the first key and after the last, both are that key.
template <class Key>
bool bracket(const std::vector<Key>& keys, float time, const Key*& a, const Key*& b, float& f) {
    if (keys.empty()) return false;
    auto it = std::upper_bound(keys.begin(), keys.end(), time,
                               [](float t, const Key& k) { return t < k.time; });
    if (it == keys.begin()) {
        a = b = &keys.front();
        f = 0;
    } else if (it == keys.end()) {
        a = b = &keys.back();
        f = 0;
    } else {
        b = &*it;
        a = &*(it - 1);
        f = (time - a->time) / static_cast<float>(b->time - a->time);
    }
    return true;
}

inline float lerp(float a, float b, float f) {
    return a + (b - a) * f;
}

KColor lerp(const KColor& a, const KColor& b, float f) {
    return {lerp(a.r, b.r, f), lerp(a.g, b.g, f), lerp(a.b, b.b, f), lerp(a.a, b.a, f)};
}

inline void raise(int& length, int time) {
    if (time > length) length = time;
}

} // namespace

void KAnim::addKeyPos(int time, float x, float y, float z) {
    putKey(posKeys, KVecKey{time, KVector(x, y, z)});
    raise(length, time);
}

void KAnim::addKeyRot(int time, const KQuat& q) {
    putKey(rotKeys, KRotKey{time, q});
    raise(length, time);
}

void KAnim::addKeyRot(int time, float x, float y, float z, float w) {
    addKeyRot(time, KQuat(x, y, z, w));
}

void KAnim::addKeySca(int time, float s) {
    putKey(scaKeys, KFloatKey{time, s});
    raise(length, time);
}

void KAnim::addKeySca(int time, float x, float y, float z) {
    addKeySca(time, x);
}

bool KAnim::SamplePos(float time, KVector& out) const {
    const KVecKey *a, *b;
    float f;
    if (!bracket(posKeys, time, a, b, f)) return false;
    out = a->v + (b->v - a->v) * f;
    return true;
}

bool KAnim::SampleRot(float time, KQuat& out) const {
    const KRotKey *a, *b;
    float f;
    if (!bracket(rotKeys, time, a, b, f)) return false;
    // Slerp normalises both ends, so a zero key (as pools are filled) counts as no rotation.
    out = (a == b) ? a->q.Normalized() : KQuat::Slerp(a->q, b->q, f);
    return true;
}

bool KAnim::SampleSca(float time, float& out) const {
    const KFloatKey *a, *b;
    float f;
    if (!bracket(scaKeys, time, a, b, f)) return false;
    out = lerp(a->v, b->v, f);
    return true;
}

void KAnim::putAnimKey(KPRS* prs, float time, int flag) const {
    if (!prs) return;
    bool wrote = false;
    KVector p;
    KQuat q;
    float s;
    if ((flag & KANIM_POS) && SamplePos(time, p)) {
        prs->pos = p;
        wrote = true;
    }
    if ((flag & KANIM_ROT) && SampleRot(time, q)) {
        prs->rot = q.GetAnglesYXZ();
        wrote = true;
    }
    if ((flag & KANIM_SCALE) && SampleSca(time, s)) {
        prs->scale = s;
        wrote = true;
    }
    if (wrote) prs->changed = 1;
}

void KAnim::putAnimKey(KNode* node, float time, int flag) const {
    if (node) putAnimKey(&node->prs, time, flag);
}

void KAnimMat::addKeyType(int type, int time, float value) {
    if (type < 0 || type >= KMATKEY_COUNT) return;
    putKey(keys[type], KFloatKey{time, value});
    raise(length, time);
}

void KAnimMat::putAnimKey(KMaterial* mat, float time) const {
    if (!mat) return;
    for (int kind = 0; kind < KMATKEY_COUNT; ++kind) {
        const KFloatKey *a, *b;
        float f;
        if (!bracket(keys[kind], time, a, b, f)) continue;
        float v = lerp(a->v, b->v, f);
        switch (kind) {
        case KMATKEY_DIFFUSE_R:
            mat->diffuse.r = v;
            break;
        case KMATKEY_DIFFUSE_G:
            mat->diffuse.g = v;
            break;
        case KMATKEY_DIFFUSE_B:
            mat->diffuse.b = v;
            break;
        case KMATKEY_EMISSIVE:
            mat->emissive = KColor{v, v, v, 1};
            break;
        case KMATKEY_SHININESS:
            mat->shininess = v;
            break;
        case KMATKEY_OPACITY:
            mat->opacity = v;
            break;
        case KMATKEY_REFLECT:
            mat->reflect = v;
            break;
        }
        mat->changed = 1;
    }
}

void KAnimLgh::addKeyAmb(int time, float r, float g, float b) {
    putKey(ambKeys, KColorKey{time, KColor{r, g, b, 1}});
    raise(length, time);
}

void KAnimLgh::addKeyDiff(int time, float r, float g, float b) {
    putKey(diffKeys, KColorKey{time, KColor{r, g, b, 1}});
    raise(length, time);
}

void KAnimLgh::putAnimKey(KLight* light, float time) const {
    if (!light) return;
    const KColorKey *a, *b;
    float f;
    if (bracket(ambKeys, time, a, b, f)) light->ambient = lerp(a->c, b->c, f);
    if (bracket(diffKeys, time, a, b, f)) light->diffuse = lerp(a->c, b->c, f);
}
