// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Procedural material pictures: woods, marbles, the star sky, the floor and the water.

#include <string>
#include <vector>

#include "tools/assetgen/panels.h"

namespace assetgen {

std::vector<NamedPicture> materialPictures(const Fonts& fonts);

namespace tex {
inline const std::string WOOD = ".\\textures\\wood.jpg";
inline const std::string FRAME = ".\\textures\\frame.jpg";
// The same frame with its letters and digits turned to read upright from the other sides: the
// board shows the one that faces the camera.
inline const std::string FRAME_FROM_H_FILE = ".\\textures\\frame_hfile.jpg";
inline const std::string FRAME_FROM_BLACK = ".\\textures\\frame_black.jpg";
inline const std::string FRAME_FROM_A_FILE = ".\\textures\\frame_afile.jpg";
inline const std::string MARBLE_LIGHT = ".\\textures\\marblelight.jpg";
inline const std::string MARBLE_DARK = ".\\textures\\marbledark.jpg";
inline const std::string STARS = ".\\textures\\stars.jpg";
inline const std::string FLOOR = ".\\textures\\floor.jpg";
inline const std::string WATER = ".\\textures\\water.jpg";
inline const std::string CUBE_BACK = ".\\textures\\cubeback.jpg";
} // namespace tex

// The board frame's picture is drawn over the whole board, x and z from -1 to 8 at FRAME_SIZE
// pixels, but the frame shows only its outer ring, half a unit wide: the squares cover the
// rest. The file holds the ring alone, as four strips of FRAME_STRIP rows one under the other,
// one per side of the frame (`frameUV`'s `side`), each running the board's full length with
// its pixels unchanged (the sides along z turned a quarter), and a few rows of the picture
// beyond the ring on both edges, so that filtering at the ring's edges reads what it read in
// the whole picture. A quarter of the memory, the same pixels on screen.
constexpr int FRAME_SIZE = 1024;
constexpr int FRAME_STRIP = 64;
constexpr float FRAME_UNIT = FRAME_SIZE / 9.0f; // pixels per board unit
// The sides: 0 beyond rank 1 (z 7.5..8), 1 beyond the h-file (x 7.5..8), 2 beyond rank 8
// (z -1..-0.5), 3 beyond the a-file (x -1..-0.5).
constexpr int FRAME_SIDES = 4;
// Sides 1 and 3 run along z: their strips hold the whole picture's columns, turned.
constexpr bool frameSideAlongZ(int side) {
    return side == 1 || side == 3;
}
// The first row (or column) of the whole picture a side's strip starts at.
constexpr int frameStripStart(int side) {
    return side < 2 ? FRAME_SIZE - FRAME_STRIP + 3 : -3;
}
// Texture coordinates in the frame's file of the board point (x, z), on side `side`.
inline void frameUV(int side, float x, float z, float& u, float& v) {
    const bool acrossX = frameSideAlongZ(side);
    const float along = ((acrossX ? z : x) + 1.0f) * FRAME_UNIT;
    const float across = ((acrossX ? x : z) + 1.0f) * FRAME_UNIT;
    u = along / FRAME_SIZE;
    v = (float(side * FRAME_STRIP) + across - float(frameStripStart(side))) /
        float(FRAME_SIDES * FRAME_STRIP);
}

} // namespace assetgen
