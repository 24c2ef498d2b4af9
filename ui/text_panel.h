// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A dark panel with a thin light frame, drawn behind lines of text (the move line, the load
// screen's details, the statistics): two window-space images under the texts.

class KFont;
class KImage2D;
class KTexte;
struct KColor;

struct TextPanel {
    KImage2D* frame = nullptr; // one pixel wider on every side than the body
    KImage2D* body = nullptr;
};

// A hidden panel; `name` names its two materials (name + "Frame", name). Null images without a
// scene.
TextPanel makeTextPanel(const char* name);

// The body's rectangle in window pixels (top-left corner, size); the frame follows.
void placeTextPanel(TextPanel& panel, int x, int y, int width, int height);

void setTextPanelShown(TextPanel& panel, bool shown);

// One of the two images: a hidden flat `colour` rectangle, drawn under the texts, on a material
// of its own named `name`. Its place and size are the caller's.
KImage2D* makePanelImage(const char* name, const KColor& colour);

// A hidden line of text over the board in `font`, `size` times the font's size, blended, in
// `rgb`, added to the scene's texts (drawn in the order they were made).
KTexte* makeOverlayLine(KFont* font, float size, const float rgb[3]);
