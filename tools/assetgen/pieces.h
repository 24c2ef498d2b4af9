#pragma once
// The six chess piece shapes, standing on y = 0, centred on the y axis, one unit being one
// square. The knight looks towards +x.

#include "tools/assetgen/mesh.h"

namespace assetgen {

Mesh pawnShape();
Mesh rookShape();
Mesh knightShape();
Mesh bishopShape();
Mesh queenShape();
Mesh kingShape();

} // namespace assetgen
