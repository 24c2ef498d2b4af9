// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game's two bitmap fonts: 16 x 16 character grids of Latin-1 (character c in row c / 16
// counted from the top, column c % 16), white glyphs on black, 32 pixels per cell.

#include "tools/assetgen/image.h"
#include "tools/assetgen/text.h"

namespace assetgen {

inline constexpr int FONT_CELL = 32;

// The classic font is drawn with an advance of 11.5 for a size of 16 (spacing -4.5): its
// glyphs keep to the left 72 percent of the cell. The chat font advances by the whole cell.
Image classicFontAtlas(const Fonts& fonts);
Image chatFontAtlas(const Fonts& fonts);

} // namespace assetgen
