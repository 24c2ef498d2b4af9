// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Key-frame animations. Keys sit at integer times; sampling between two keys interpolates
// (positions, scales, colours and material values linearly, rotations by spherical
// interpolation of quaternions); before the first key the first is held, after the last the
// last. Adding a key at a time that already has one replaces its value. Each addKey raises
// `length` to the key's time when it is lower; the caller may set `length` and `speed` freely.

#include <vector>

#include "engine/math3d.h"

class KPRS;
class KNode;
class KMaterial;
class KLight;

// putAnimKey flag bits.
enum : int { KANIM_POS = 1, KANIM_ROT = 2, KANIM_SCALE = 4, KANIM_ALL = 7 };

struct KVecKey {
    int time;
    KVector v;
};
struct KRotKey {
    int time;
    KQuat q;
};
struct KFloatKey {
    int time;
    float v;
};
struct KColorKey {
    int time;
    KColor c;
};

// Node transform animation.
class KAnim {
public:
    std::vector<KVecKey> posKeys;   // sorted by time
    std::vector<KRotKey> rotKeys;   // sorted by time
    std::vector<KFloatKey> scaKeys; // sorted by time; uniform scale
    int length = 0;                 // key time units
    float speed = 100.0f;           // key time units per second

    void addKeyPos(int time, float x, float y, float z);
    void addKeyRot(int time, const KQuat& q);
    void addKeyRot(int time, float x, float y, float z, float w);
    void addKeySca(int time, float s);
    void addKeySca(int time, float x, float y, float z); // uniform: x is used

    // Writes the keys sampled at `time` into the transform: position (flag 1), rotation as
    // angles in degrees (flag 2), scale (flag 4); a part without keys is left alone. Marks the
    // transform changed. A zero rotation key counts as no rotation.
    void putAnimKey(KPRS* prs, float time, int flag) const;
    void putAnimKey(KNode* node, float time, int flag) const;

    // Sampling, for callers that want the values without a node. False when there is no key.
    bool SamplePos(float time, KVector& out) const;
    bool SampleRot(float time, KQuat& out) const;
    bool SampleSca(float time, float& out) const;
};

// Kinds of material keys (addKeyType).
enum : int {
    KMATKEY_DIFFUSE_R = 0,
    KMATKEY_DIFFUSE_G = 1,
    KMATKEY_DIFFUSE_B = 2,
    KMATKEY_EMISSIVE = 3, // grey level of the emissive colour
    KMATKEY_SHININESS = 4,
    KMATKEY_OPACITY = 5,
    KMATKEY_REFLECT = 6,
    KMATKEY_COUNT = 7,
};

// Material animation.
class KAnimMat {
public:
    std::vector<KFloatKey> keys[KMATKEY_COUNT]; // per kind, sorted by time
    int length = 0;
    float speed = 100.0f;

    // Adds a key of kind `type` (KMATKEY_*; 5 is opacity); other kinds are ignored.
    void addKeyType(int type, int time, float value);
    // Writes every kind that has keys into the material and raises its change flag.
    void putAnimKey(KMaterial* mat, float time) const;
};

// Light animation: ambient and diffuse colours.
class KAnimLgh {
public:
    std::vector<KColorKey> ambKeys, diffKeys; // sorted by time
    int length = 0;
    float speed = 100.0f;

    void addKeyAmb(int time, float r, float g, float b);
    void addKeyDiff(int time, float r, float g, float b);
    // Writes the sampled colours (those with keys) into the light.
    void putAnimKey(KLight* light, float time) const;
};
