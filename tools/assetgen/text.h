// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Text drawn into pictures from the DejaVu TrueType fonts (stb_truetype). Strings are Latin-1:
// each byte is its own code point, as in the game's font bitmaps.

#include <string>
#include <vector>

#include "tools/assetgen/image.h"

namespace assetgen {

class Font {
public:
    // Loads a TrueType file; false when it cannot be read or parsed.
    [[nodiscard]] bool load(const std::string& path);

    // Width in pixels of text at the given pixel height (ascent to descent).
    float measure(const std::string& text, float px) const;
    // Draws with the baseline at y, left edge at x; stretch widens the letters.
    void draw(Image& img, const std::string& text, float x, float baseline, float px, Rgba colour,
              float stretch = 1.0f) const;
    // Draws centred in a box (top-down picture coordinates); shadow of 0 draws none.
    void drawCentred(Image& img, const std::string& text, float boxX, float boxY, float boxW,
                     float boxH, float px, Rgba colour, float shadow = 0) const;
    // Draws one Unicode code point (chess symbols and the like) with its baseline at y.
    void drawCodepoint(Image& img, int codepoint, float x, float baseline, float px,
                       Rgba colour) const;
    // Coverage of one glyph, w x h bytes, with its offset from the pen position and baseline.
    std::vector<unsigned char> glyph(int codepoint, float px, int& w, int& h, int& xoff,
                                     int& yoff) const;
    float ascent(float px) const;
    float advance(int codepoint, float px) const;

private:
    std::vector<unsigned char> data_;
    std::vector<unsigned char> info_; // stbtt_fontinfo, kept opaque here
};

// The fonts the generator uses, loaded once from /usr/share/fonts/truetype/dejavu.
struct Fonts {
    Font sans, sansBold, serifBold, mono, monoBold;
    [[nodiscard]] bool load();
};

} // namespace assetgen
