// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The menu wall's page that chooses the computer: its engine (the previous and next arrows around
// a well that shows the engine's name) and its level (1 to 6, a click on one takes it), with the
// pictures of the engines' names the game pastes into the well.

#include "tools/assetgen/panels.h"
#include "tools/assetgen/pictures.h"

namespace assetgen {

// computer.jpg and computerselect.jpg; the well shows "Built-in".
PicturePair computerPage(const Fonts& fonts);

// engines.jpg: the well with each engine's name, ENGINE_PLATE_COUNT slots from the top.
NamedPicture enginePlates(const Fonts& fonts);

} // namespace assetgen
