// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The marks the game lays on squares beside the select and target marks: the two squares of the
// last move, the two squares of the move the engine suggests, and on each square a selected
// piece may go to a dot (a quiet move) or a ring (a capture). They are objects of Case.m3d with
// pictures of their own under ".\textures\marks\".

#include <vector>

#include "tools/assetgen/panels.h"

namespace assetgen {

class GltfWriter;

// The pictures the marks' materials use (white with alpha, or two-toned for the hints).
std::vector<NamedPicture> markPictures();

// Adds the four mark objects ("caseLastMove", "caseSuggest", "caseMoveDot", "caseMoveRing")
// and their materials to the file being written. Each lies flat just above the square's top,
// below the select and target marks, so that all of them can share a square.
void addMoveMarks(GltfWriter& w);

namespace tex {
inline const std::string MARK_TILE = ".\\textures\\marks\\tile.png";
inline const std::string MARK_DOT = ".\\textures\\marks\\dot.png";
inline const std::string MARK_RING = ".\\textures\\marks\\ring.png";
} // namespace tex

} // namespace assetgen
