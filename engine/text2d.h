// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Window-space drawables: bitmap fonts, text objects and 2D images. Window coordinates are
// pixels from the top-left corner of the window. The renderer draws the scene's texts and
// images after the 3D scene, in list order.

#include <string>

#include "engine/math3d.h"

class KScene;
class KTexture;
class KMaterial;

// One character cell of a font: its rectangle in the texture (v bottom-up) and its advance.
struct KGlyph {
    float u0 = 0, v0 = 0, u1 = 0, v1 = 0;
    float advance = 0; // pixels from this character's left edge to the next one's
};

// Bitmap font: a texture holding a grid of Latin-1 characters, character c in column c % cols,
// row c / cols counted from the top of the picture.
class KFont {
public:
    explicit KFont(KScene* owner = nullptr); // with a scene, the scene keeps and deletes it

    std::string name;
    KTexture* texture = nullptr;
    int cols = 16, rows = 16;
    float size = 16.0f;   // drawn height (and cell width) of a character, pixels
    float spacing = 0.0f; // added to the cell width between characters (negative: tighter)
    KGlyph glyphs[256];
    KScene* scene;

    void SetTexture(KTexture* t);
    // Lays out the cols x rows grid for characters drawn `size` pixels high, each advancing
    // size + spacing pixels (at least 1). Sizes below 1 are raised to 1.
    void BuildFontLists(int nbCols, int nbRows, float charSize, float charSpacing);
    // Width in pixels of the string up to its first zero.
    float TextWidth(const char* s) const;
};

// A line of text drawn in window pixels; its string is a fixed buffer the game may write into
// character by character (the line shows up to the first zero).
class KTexte {
public:
    static constexpr int MAX_LEN = 256; // characters, the terminating zero not counted

    KTexte() = default;

    char texte[MAX_LEN + 1] = {}; // always zero-terminated at MAX_LEN
    KFont* font = nullptr;
    float r = 1, g = 1, b = 1; // colour
    unsigned char visible = 0; // 0 hides the text
    unsigned char blend = 1;   // drawn alpha-blended over the scene
    int x = 0, y = 0;          // top-left of the first character, window pixels
    float size = 1.0f;         // factor on the font's size

    // Copies s (null gives the empty string), at most MAX_LEN characters; the rest of the
    // buffer is zeroed.
    void SetTexte(const char* s);
    // Copies at most `length` characters of s (and at most MAX_LEN), stopping at its first zero;
    // the rest of the buffer is zeroed.
    void SetTexte(const char* s, int length);
};

// A material drawn as a rectangle at a window position (the game's cursor, panels behind texts).
class KImage2D {
public:
    explicit KImage2D(KScene* owner); // appended to the scene's images, which deletes it

    int x = 0, y = 0; // top-left corner, window pixels
    int width = 32, height = 32;
    unsigned char hidden = 0;
    unsigned char underTexts = 0; // 1: drawn before the texts (a panel behind lines of text)
    KMaterial* mat = nullptr;
    KScene* scene;
};
