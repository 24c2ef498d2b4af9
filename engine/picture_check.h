// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the engine lets its picture decoder see: the game's JPEG, PNG and BMP pictures, within a
// size a texture can have. The decoder reads other formats too, which the game never uses and
// which only widen what a damaged or hostile file could reach.

#include <cstddef>

constexpr int MAX_PICTURE_SIDE = 8192;                 // pixels, either side
constexpr long MAX_PICTURE_PIXELS = 16L * 1024 * 1024; // 64 MB of RGBA

// Null when the encoded picture may be decoded; otherwise why it is refused: not a JPEG, PNG or
// BMP picture; a JPEG the decoder would mishandle (a Huffman table listing more than the 256
// symbols it holds, which the decoder writes past; a scan using a table never defined, or a
// component no scan decodes, which it shows as leftover memory); unreadable dimensions; or too
// large.
const char* pictureRefusal(const unsigned char* data, size_t size);
