// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/assetgen/font_atlas.h"

#include <cmath>

namespace assetgen {

namespace {

// usedWidth: the part of the cell the text advance covers, in which the glyph is centred.
Image atlas(const Font& font, float px, float stretch, float usedWidth) {
    const int S = 16 * FONT_CELL;
    Image img(S, S, {0, 0, 0, 1});
    const float baseline = std::round(FONT_CELL * 0.76f);
    for (int c = 33; c < 256; ++c) {
        if (c >= 127 && c < 160) continue; // no glyphs for the control codes
        int col = c % 16, row = c / 16;
        float adv = font.advance(c, px) * stretch;
        // Drawn in a cell of its own so that no glyph spills into its neighbours.
        Image cell(FONT_CELL, FONT_CELL, {0, 0, 0, 1});
        font.draw(cell, std::string(1, char(c)), (usedWidth - adv) / 2, baseline, px, {1, 1, 1, 1},
                  stretch);
        img.blit(cell, col * FONT_CELL, row * FONT_CELL);
    }
    return img;
}

} // namespace

Image classicFontAtlas(const Fonts& fonts) {
    // Monospaced letters are 0.6 of their height wide: widened to fill most of the advance.
    return atlas(fonts.monoBold, 29.0f, 1.2f, FONT_CELL * 11.5f / 16.0f);
}

Image chatFontAtlas(const Fonts& fonts) {
    return atlas(fonts.monoBold, 28.0f, 1.45f, float(FONT_CELL));
}

} // namespace assetgen
