// SPDX-License-Identifier: GPL-3.0-or-later
#include "anim/anim_manager.h"

#include <cmath>

#include "engine/KivEngine.h"

AnimManager* g_anim = nullptr;

AnimManager::AnimManager() {
    for (int i = 0; i < NODE_ANIM_COUNT; ++i) {
        KAnim* a = new KAnim();
        // Every node animation starts from the node's pose: these keys at time 0 are there to be
        // overwritten when an entry starts, so starting never inserts a key.
        a->addKeyPos(0, 0, 0, 0);
        a->addKeyRot(0, 0, 0, 0, 0);
        node_anims.push(a);
    }
    for (int i = 0; i < MATERIAL_ANIM_COUNT; ++i)
        material_anims.push(new KAnimMat());
    for (int i = 0; i < LIGHT_ANIM_COUNT; ++i)
        light_anims.push(new KAnimLgh());
    for (int i = 0; i < SKELETON_ANIM_COUNT; ++i)
        skeleton_anims.push(new KSkeleton());
}

AnimManager::~AnimManager() {
    for (KAnim* a : node_anims)
        delete a;
    for (KAnimMat* a : material_anims)
        delete a;
    for (KAnimLgh* a : light_anims)
        delete a;
    for (KSkeleton* s : skeleton_anims)
        delete s;
}

namespace {

// The entry of `target` in `entries`, or null.
template <class Entry, class Target>
Entry* findEntry(GrowArray<Entry>& entries, Target* Entry::*field, const Target* target) {
    if (!target) return nullptr;
    for (Entry& e : entries)
        if (e.*field == target) return &e;
    return nullptr;
}

NodeAnimEntry* findNode(const KNodeGraph* node) {
    return g_anim ? findEntry(g_anim->node_entries, &NodeAnimEntry::node, node) : nullptr;
}

MaterialAnimEntry* findMaterial(const KMaterial* material) {
    return g_anim ? findEntry(g_anim->material_entries, &MaterialAnimEntry::material, material)
                  : nullptr;
}

LightAnimEntry* findLight(const KLight* light) {
    return g_anim ? findEntry(g_anim->light_entries, &LightAnimEntry::light, light) : nullptr;
}

SkeletonAnimEntry* findSkeleton(const KSkeleton* skeleton) {
    return g_anim ? findEntry(g_anim->skeleton_entries, &SkeletonAnimEntry::skeleton, skeleton)
                  : nullptr;
}

// While a completion callback runs: the tick at which the entry that called it reached its
// end. Entries started by the callback start from that moment, not from the next update: a
// chain of animations (a glide, the camera's turn, the computer's answer) then takes the same
// time at any frame rate instead of losing up to a frame at every link.
bool g_inCompletion = false;
unsigned g_completionTicks = 0;

// Runs `done` as the completion of an entry that passed its end `overSeconds` before the
// clock reading `nowTicks`.
void complete(AnimEndCallback done, unsigned nowTicks, double overSeconds) {
    if (!done) return;
    const bool outer = g_inCompletion;
    const unsigned outerTicks = g_completionTicks;
    g_inCompletion = true;
    g_completionTicks = nowTicks - static_cast<unsigned>(overSeconds * 1e6 + 0.5);
    done();
    g_inCompletion = outer;
    g_completionTicks = outerTicks;
}

// Starting an entry arms its callback; stopping it or pointing it elsewhere disarms it, so that
// a non-null on_end always means "a flight is under way that will call this".
template <class Entry> void start(Entry* e, int mode, AnimEndCallback on_end) {
    if (!e) return;
    e->state = ANIM_START;
    e->mode = mode;
    e->on_end = on_end;
    e->stamped = g_inCompletion;
    if (g_inCompletion) e->stamp = g_completionTicks;
}

// The first update of a started entry: its clock starts at the start's moment when that is
// known (started by a completion), else now.
template <class Entry> void startClock(Entry& e) {
    if (!e.stamped) GetTimePassed(&e.stamp);
    e.stamped = false;
}

// Writes the node's current pose into the keys at time 0, so the animation starts from where
// the node stands.
void keysFromPose(KAnim* anim, KNodeGraph* node) {
    KPRS& prs = node->prs;
    prs.CreateMatrix();
    anim->addKeyPos(0, prs.pos.x, prs.pos.y, prs.pos.z);
    anim->addKeyRot(0, KAnglesToQuat(prs.rot.x, prs.rot.y, prs.rot.z));
}

// Fraction of an eased animation run at full speed; after it the speed falls with a cosine
// that reaches about 0.009 at the end.
constexpr double EASE_FULL_SPEED = 0.2;
constexpr double EASE_FALL = 1.952;
constexpr int TOUR_PRESET = 6;

// The key time `dt` seconds after `time`, at `speed` key units a second; `over` gets the seconds
// of dt left once `length` is reached (0 before). In the eased mode the speed is
// speed x cos(u), u = (time / length - 0.2) x 1.952, once past the first fifth: that law is
// integrated exactly (du / dt = a cos u gives asinh(tan u) growing by a dt), so a move lasts the
// same and passes the same places whatever the frame rate.
double advance(double time, double dt, double speed, double length, bool eased, double& over) {
    over = 0;
    if (speed <= 0 || dt <= 0) return time;
    if (!eased || length <= 0) {
        const double t = time + dt * speed;
        if (length > 0 && t >= length) over = (t - length) / speed;
        return t;
    }
    const double knee = EASE_FULL_SPEED * length;
    if (time <= knee) {
        const double need = (knee - time) / speed;
        if (dt <= need) return time + dt * speed;
        time = knee;
        dt -= need;
    }
    const double a = EASE_FALL * speed / length;
    const double u = (time / length - EASE_FULL_SPEED) * EASE_FALL;
    const double g = std::asinh(std::tan(u)) + a * dt;
    const double gEnd = std::asinh(std::tan((1 - EASE_FULL_SPEED) * EASE_FALL));
    if (g >= gEnd) {
        over = (g - gEnd) / a;
        return length;
    }
    return (std::atan(std::sinh(g)) / EASE_FALL + EASE_FULL_SPEED) * length;
}

// A looping time brought back into [restart, length), keeping what ran past the end.
float wrap(double time, double restart, double length) {
    if (length <= restart) return static_cast<float>(restart);
    return static_cast<float>(restart + std::fmod(time - length, length - restart));
}

void updateNodes(AnimManager* m) {
    // By index and re-fetched every turn: a callback may append entries (and move the block).
    for (int i = 0; i < m->node_entries.count; ++i) {
        NodeAnimEntry& e = m->node_entries[i];
        if (e.state == ANIM_STOPPED) continue;
        if (!e.anim || !e.node) {
            e.state = ANIM_STOPPED;
            continue;
        }
        if (e.state == ANIM_START) {
            startClock(e);
            e.time = 0;
            e.state = ANIM_RUNNING;
            keysFromPose(e.anim, e.node);
        }
        e.node->prs.Refresh();
        const float dt = GetTimePassed(&e.stamp);
        const float length = static_cast<float>(e.anim->length);
        double over;
        const double t = advance(e.time, dt, e.anim->speed, length, e.mode == ANIM_EASE_OUT, over);
        e.time = static_cast<float>(t);

        if (t < length) {
            e.anim->putAnimKey(e.node, e.time, e.key_flag);
            continue;
        }
        if (e.preset == TOUR_PRESET) {
            // Round again from the tour's first key, whose time is the speed value.
            e.time = wrap(t, e.anim->speed, length);
            e.anim->putAnimKey(e.node, e.time, e.key_flag);
            continue;
        }
        if (e.mode == ANIM_LOOP) {
            e.time = wrap(t, 0, length);
            e.anim->putAnimKey(e.node, e.time, e.key_flag);
            continue;
        }
        e.anim->putAnimKey(e.node, length, e.key_flag);
        e.state = ANIM_STOPPED;
        // Disarmed before any runs: a completion may start this entry again.
        AnimEndCallback done[1 + HANDED_ON_MAX] = {e.on_end};
        e.on_end = nullptr;
        for (int k = 0; k < HANDED_ON_MAX; ++k) {
            done[1 + k] = e.handed_on[k];
            e.handed_on[k] = nullptr;
        }
        const unsigned now = e.stamp;
        for (AnimEndCallback cb : done) // `e` may be stale from here on
            complete(cb, now, over);
    }
}

// Material and light entries share their rules.
template <class Entry, class Target>
void updateColourEntries(GrowArray<Entry>& list, Target* Entry::*target) {
    for (int i = 0; i < list.count; ++i) {
        Entry& e = list[i];
        if (e.state == ANIM_STOPPED) continue;
        Target* t = e.*target;
        if (!e.anim || !t) {
            e.state = ANIM_STOPPED;
            continue;
        }
        if (e.state == ANIM_START) {
            startClock(e);
            e.time = 0;
            e.state = ANIM_RUNNING;
            e.anim->putAnimKey(t, 0.1f);
            continue;
        }
        const float length = static_cast<float>(e.anim->length);
        double over;
        const double time =
            advance(e.time, GetTimePassed(&e.stamp), e.anim->speed, length, false, over);
        e.time = static_cast<float>(time);
        if (time < length) {
            e.anim->putAnimKey(t, e.time);
            continue;
        }
        if (e.mode == ANIM_LOOP) {
            e.time = wrap(time, 0, length);
            e.anim->putAnimKey(t, e.time);
            continue;
        }
        e.anim->putAnimKey(t, length);
        e.state = ANIM_STOPPED;
        AnimEndCallback done = e.on_end;
        e.on_end = nullptr;
        complete(done, e.stamp, over);
    }
}

void updateSkeletons(AnimManager* m) {
    for (int i = 0; i < m->skeleton_entries.count; ++i) {
        SkeletonAnimEntry& e = m->skeleton_entries[i];
        if (e.state == ANIM_STOPPED) continue;
        if (!e.skeleton) {
            e.state = ANIM_STOPPED;
            continue;
        }
        if (e.state == ANIM_START) {
            startClock(e);
            e.time = 0;
            e.state = ANIM_RUNNING;
        }
        double over;
        const double time =
            advance(e.time, GetTimePassed(&e.stamp), e.speed, e.length, false, over);
        e.time = static_cast<float>(time);
        if (time < e.length) {
            e.skeleton->putAnimKey(e.time, KANIM_POS | KANIM_ROT);
            continue;
        }
        if (e.mode == ANIM_LOOP) {
            e.time = wrap(time, 0, e.length);
            e.skeleton->putAnimKey(e.time, KANIM_POS | KANIM_ROT);
            continue;
        }
        e.skeleton->putAnimKey(e.length, KANIM_POS | KANIM_ROT);
        e.state = ANIM_STOPPED;
    }
}

} // namespace

void StartNodeAnim(KNodeGraph* node, int mode, int key_flag, AnimEndCallback on_end) {
    NodeAnimEntry* e = findNode(node);
    if (!e) return;
    start(e, mode, on_end);
    e->key_flag = key_flag;
}

void StartMaterialAnim(KMaterial* material, int mode, AnimEndCallback on_end) {
    start(findMaterial(material), mode, on_end);
}

void StartLightAnim(KLight* light, int mode, AnimEndCallback on_end) {
    start(findLight(light), mode, on_end);
}

NodeAnimEntry* FindNodeEntry(const KNodeGraph* node) {
    return findNode(node);
}

MaterialAnimEntry* FindMaterialEntry(const KMaterial* material) {
    return findMaterial(material);
}

LightAnimEntry* FindLightEntry(const KLight* light) {
    return findLight(light);
}

namespace {

// Points the entry of `target` (appended when it has none) at `anim`, stopped at time 0.
template <class Entry, class Target, class Anim>
void pointEntryAt(GrowArray<Entry>& entries, Entry* found, Target* Entry::*field, Target* target,
                  Anim* anim, int preset) {
    Entry* e = found;
    if (!e) {
        Entry fresh;
        fresh.*field = target;
        entries.push(fresh);
        e = &entries[entries.count - 1];
    }
    e->anim = anim;
    e->preset = preset;
    e->time = 0;
    e->state = ANIM_STOPPED;
    e->on_end = nullptr;
}

} // namespace

void SetNodeAnim(KNodeGraph* node, int preset) {
    if (!g_anim || !node || preset < 0 || preset >= g_anim->node_anims.count) return;
    pointEntryAt(g_anim->node_entries, findNode(node), &NodeAnimEntry::node, node,
                 g_anim->node_anims[preset], preset);
    if (NodeAnimEntry* e = findNode(node))
        for (AnimEndCallback& h : e->handed_on)
            h = nullptr;
}

void ReplaceNodeAnim(KNodeGraph* node, int preset, int mode, int key_flag, AnimEndCallback on_end) {
    if (!g_anim || !node || preset < 0 || preset >= g_anim->node_anims.count) return;
    // 1. What the run under way still owes.
    AnimEndCallback owed[1 + HANDED_ON_MAX] = {};
    const NodeAnimEntry* old = findNode(node);
    if (old && old->state != ANIM_STOPPED) {
        owed[0] = old->on_end;
        for (int k = 0; k < HANDED_ON_MAX; ++k)
            owed[1 + k] = old->handed_on[k];
    }
    // 2. The new run.
    SetNodeAnim(node, preset);
    NodeAnimEntry* e = findNode(node);
    if (!e) return;
    start(e, mode, on_end);
    e->key_flag = key_flag;
    // 3. Each owed completion once, after the new run's own.
    int free = 0;
    for (AnimEndCallback cb : owed) {
        if (!cb || NodeAnimOwes(node, cb)) continue;
        if (!e->on_end)
            e->on_end = cb;
        else if (free < HANDED_ON_MAX)
            e->handed_on[free++] = cb;
    }
}

bool NodeAnimOwes(const KNodeGraph* node, AnimEndCallback callback) {
    const NodeAnimEntry* e = findNode(node);
    if (!e || e->state == ANIM_STOPPED || !callback) return false;
    if (e->on_end == callback) return true;
    for (AnimEndCallback h : e->handed_on)
        if (h == callback) return true;
    return false;
}

void SetMaterialAnim(KMaterial* material, int preset) {
    if (!g_anim || !material || preset < 0 || preset >= g_anim->material_anims.count) return;
    pointEntryAt(g_anim->material_entries, findMaterial(material), &MaterialAnimEntry::material,
                 material, g_anim->material_anims[preset], preset);
}

void SetLightAnim(KLight* light, int preset) {
    if (!g_anim || !light || preset < 0 || preset >= g_anim->light_anims.count) return;
    pointEntryAt(g_anim->light_entries, findLight(light), &LightAnimEntry::light, light,
                 g_anim->light_anims[preset], preset);
}

void SetSkeletonAnim(KSkeleton* skeleton) {
    if (!g_anim || !skeleton) return;
    SkeletonAnimEntry* e = findSkeleton(skeleton);
    if (!e) {
        SkeletonAnimEntry fresh;
        fresh.skeleton = skeleton;
        g_anim->skeleton_entries.push(fresh);
        e = &g_anim->skeleton_entries[g_anim->skeleton_entries.count - 1];
    }
    e->speed = skeleton->speed;
    e->length = static_cast<float>(skeleton->length);
    e->time = 0;
    e->state = ANIM_STOPPED;
}

void StartSkeletonAnim(KSkeleton* skeleton, int mode) {
    SkeletonAnimEntry* e = findSkeleton(skeleton);
    if (!e) return;
    e->state = ANIM_START;
    e->mode = mode;
    e->stamped = g_inCompletion;
    if (g_inCompletion) e->stamp = g_completionTicks;
}

void StopAll() {
    if (!g_anim) return;
    for (NodeAnimEntry& e : g_anim->node_entries) {
        e.state = ANIM_STOPPED;
        e.on_end = nullptr;
        for (AnimEndCallback& h : e.handed_on)
            h = nullptr;
    }
    for (MaterialAnimEntry& e : g_anim->material_entries) {
        e.state = ANIM_STOPPED;
        e.on_end = nullptr;
    }
    for (LightAnimEntry& e : g_anim->light_entries) {
        e.state = ANIM_STOPPED;
        e.on_end = nullptr;
    }
    for (SkeletonAnimEntry& e : g_anim->skeleton_entries)
        e.state = ANIM_STOPPED;
}

void UpdateAnimations() {
    AnimManager* m = g_anim;
    if (!m) return;
    updateNodes(m);
    updateColourEntries(m->material_entries, &MaterialAnimEntry::material);
    updateColourEntries(m->light_entries, &LightAnimEntry::light);
    updateSkeletons(m);
}
