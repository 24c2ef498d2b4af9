// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The six chess piece shapes, standing on y = 0, centred on the y axis, one unit being one
// square. The knight looks towards +x.

#include "tools/assetgen/mesh.h"

namespace assetgen {

// How finely a piece is cut. The full model is for views where a piece is large; coarser levels
// replace it where it is small on screen or only seen dimmed in the board's mirror, cut so that
// the outline stays within about half a pixel of the full one at the sizes they are used.
struct Detail {
    int segments;    // around the axis of turned parts
    float arcSteps;  // fraction of each profile curve's steps kept (at least one)
    int capSplits;   // splits of the knight's carved sides (their swell)
    int outlineSub;  // points per knight outline segment
    int bevelSteps;  // steps round the knight's and the cross's rounded edges
    float sphereCut; // fraction of the segments of the small balls (crown, eyes, mane)
};

// The levels written for every piece, finest first, and the screen coverage (bounding sphere
// diameter over the window's height) down to which each is used before the next takes over.
constexpr int PIECE_LEVELS = 3;
constexpr Detail PIECE_DETAIL[PIECE_LEVELS] = {
    {32, 1.0f, 2, 4, 4, 1.0f},
    {16, 0.5f, 1, 2, 2, 0.5f},
    {10, 0.34f, 0, 1, 1, 0.34f},
};
constexpr float PIECE_COVERAGE[PIECE_LEVELS] = {0.25f, 0.1f, 0.0f};

Mesh pawnShape(const Detail& d = PIECE_DETAIL[0]);
Mesh rookShape(const Detail& d = PIECE_DETAIL[0]);
Mesh knightShape(const Detail& d = PIECE_DETAIL[0]);
Mesh bishopShape(const Detail& d = PIECE_DETAIL[0]);
Mesh queenShape(const Detail& d = PIECE_DETAIL[0]);
Mesh kingShape(const Detail& d = PIECE_DETAIL[0]);

} // namespace assetgen
