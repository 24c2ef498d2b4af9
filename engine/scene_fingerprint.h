// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A fingerprint of everything a frame of the scene shows: equal fingerprints mean that drawing
// the scene again would give the same picture. A frame loop that draws only when the picture
// changes compares the fingerprint after each pass with the one of the last frame drawn.

#include <cstdint>

class KScene;
class KNodeGraph;

// Folds in, for every node of the scene, its place in the graph, its transform and flags and
// what its type shows (mesh, light colours, camera lens, sprite); every material's colours,
// texture and options; every texture's pending upload and in-place rewrites; every mesh's
// pending re-send; the fonts' sizes; the visible texts (string, font, colour, place) and the
// 2D images; the light slot and the screen size. The transforms of the nodes in `still` (the
// ambient motion, drawn at its own pace) are left out, and so is what the renderer keeps for
// itself (world matrices, statistics). Cheap enough for every pass of the loop: about 10
// microseconds for the game's board (some 300 nodes, 60 materials, 40 texts).
uint64_t KSceneFingerprint(const KScene* scene, const KNodeGraph* const* still, int stillCount);
