// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/skeleton.h"

#include "engine/node.h"

namespace {

void collect(KNodeGraph* n, std::vector<KSkeleton::Track>& out) {
    if (n->type == KNODE_OBJECT) out.push_back(KSkeleton::Track{n, KAnim()});
    for (KNodeGraph* c : n->children)
        collect(c, out);
}

} // namespace

void KSkeleton::Bind(KNodeGraph* r) {
    root = r;
    tracks.clear();
    if (r) collect(r, tracks);
}

KAnim* KSkeleton::TrackOf(const KNodeGraph* node) {
    for (Track& t : tracks)
        if (t.node == node) return &t.anim;
    return nullptr;
}

void KSkeleton::UpdateLength() {
    for (const Track& t : tracks)
        if (t.anim.length > length) length = t.anim.length;
}

void KSkeleton::putAnimKey(float time, int flag) {
    for (Track& t : tracks) {
        t.node->prs.Refresh();
        t.anim.putAnimKey(&t.node->prs, time, flag);
    }
}
