// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Hierarchy animation: one transform track per object node of a node's hierarchy, all played
// with one time. Tracks are listed depth first, children before the next sibling.

#include <vector>

#include "engine/anim.h"

class KNodeGraph;

class KSkeleton {
public:
    struct Track {
        KNodeGraph* node;
        KAnim anim;
    };

    KNodeGraph* root = nullptr;
    std::vector<Track> tracks; // depth first
    int length = 0;            // highest key time of all tracks, or as set
    float speed = 100.0f;

    // Lists the object nodes under `r` (r included when it is an object), depth first, each
    // with an empty track. Replaces any previous tracks.
    void Bind(KNodeGraph* r);
    // The track of a node, or null.
    KAnim* TrackOf(const KNodeGraph* node);
    // Raises `length` to the highest key time of the tracks.
    void UpdateLength();
    // Writes every track's key at `time` into its node (stale matrices rebuilt first).
    void putAnimKey(float time, int flag = KANIM_POS | KANIM_ROT);
};
