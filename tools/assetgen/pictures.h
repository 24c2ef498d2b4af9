// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The menu wall's page pictures and the request picture, each with its "select" version
// that differs from it exactly inside the highlight rectangles.

#include <string>
#include <vector>

#include "tools/assetgen/image.h"
#include "tools/assetgen/text.h"

namespace assetgen {

struct PicturePair {
    std::string plainPath;  // data path as the game names it, e.g. ".\textures\request.jpg"
    std::string selectPath; // the same with "select" before ".jpg"
    Image plain, select;
};

// The four pages (general, newgame, multiplayer, color) and the request picture.
std::vector<PicturePair> menuPictures(const Fonts& fonts);

} // namespace assetgen
