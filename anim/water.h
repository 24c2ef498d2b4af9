// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pool of the menu's water page: a grid mesh whose vertices rise and fall in rings that
// spread, reflect at the rim and die out. Vertex colours darken where the surface is raised
// and brighten where it is lowered. Steps are counted in frames, not in time.

#include <vector>

class KScene;
class KObject;
class KMesh;
class KMaterial;

class WaterSurface {
public:
    explicit WaterSurface(KScene* scene);

    // Makes the arrays, the grid mesh (material "water") and the node showing it. The node is
    // left detached; the menu places it. Vertex i = row * nx + column.
    void build(int nx, int nz, float sizeX, float sizeZ);

    // Disturbs the surface at grid column x, row y: with `single` one vertex, else a ring of
    // points for each radius 1 .. ringRadius - 1 (points outside the grid are skipped).
    void drop(int x, int y, int single);

    // One simulation step over the interior vertices; the border never moves.
    void step();

    // The thirty drops that start the page's motion when it opens.
    void startDrops();

    std::vector<float> base;         // rest height of every vertex
    std::vector<float> displacement; // height above rest as of the end of the last step
    std::vector<float> velocity;     // vertical speed, height units per step
    KScene* scene;
    KObject* node = nullptr;
    KMesh* mesh = nullptr;
    KMaterial* material = nullptr; // the scene's "water"
    int nx = 0, nz = 0;            // vertices per row, rows
    float sizeX = 0, sizeZ = 0;    // extent of the grid in object space
    float strength = -0.3f;        // drop strength
    float damping = 0.98f;         // velocity factor per step
    int ringRadius = 3;            // rings are made for radii below this
};
