// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The shared look of the menu pictures and panels: night-blue glass, thin gold frames, ivory
// text; highlighted entries glow gold.

#include <string>

#include "tools/assetgen/image.h"
#include "tools/assetgen/text.h"

namespace assetgen::style {

inline const Rgba GOLD = rgb(0xe8c36a);
inline const Rgba GOLD_DARK = rgb(0x9c7a2c);
inline const Rgba IVORY = rgb(0xf4ecd8);
inline const Rgba MUTED = rgb(0xa9b4cc);
inline const Rgba NAVY = rgb(0x101a33);

// Box in top-down picture pixels.
struct Box {
    float x, y, w, h;
};

// A picture rectangle given in the bottom-up buffer (x, y, w, h) as a top-down box.
Box fromBottomUp(int x, int y, int w, int h, int pictureHeight);

// Night-blue background with a soft light from above and a gold frame inset by `inset`.
void background(Image& img, float inset, float radius, float alpha = 1.0f);
// Translucent glass panel with a gold border, for the heads-up panels.
void glassPanel(Image& img, Box b, float radius, float alpha);
// Largest text size up to maxPx that fits the width.
float fitSize(const Font& f, const std::string& text, float maxPx, float width);
// An entry's plate and label as drawn on the plain picture.
void plate(Image& img, const Font& f, Box label, const std::string& text, float maxPx);
// The highlighted look of the same entry; the glow fills `area` (the highlight rectangle) and
// fades out before its edges so that pasting it shows no seam.
void plateLit(Image& img, const Font& f, Box label, Box area, const std::string& text, float maxPx);
// Soft glow that fades out before the edges of `area`, so that pasting the area shows no
// seam.
void glowInside(Image& img, float cx, float cy, float radius, Rgba c, Box area);
// Copies `lit` into `plain` outside the box: the result differs from plain only inside it.
Image keepInside(const Image& plain, const Image& lit, Box b);

} // namespace assetgen::style
