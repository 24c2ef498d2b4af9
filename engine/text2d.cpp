// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/text2d.h"

#include <cstring>

#include "engine/scene.h"

KFont::KFont(KScene* owner) : scene(owner) {
    if (owner) owner->Register(this);
    BuildFontLists(cols, rows, size, spacing);
}

void KFont::SetTexture(KTexture* t) {
    texture = t;
}

void KFont::BuildFontLists(int nbCols, int nbRows, float charSize, float charSpacing) {
    cols = nbCols > 0 ? nbCols : 16;
    rows = nbRows > 0 ? nbRows : 16;
    size = charSize >= 1.0f ? charSize : 1.0f;
    spacing = charSpacing;
    float advance = size + spacing;
    if (advance < 1.0f) advance = 1.0f;
    float cw = 1.0f / cols, ch = 1.0f / rows;
    for (int c = 0; c < 256; ++c) {
        KGlyph& g = glyphs[c];
        int col = c % cols, row = c / cols; // row counted from the top of the picture
        if (row >= rows) {
            g = KGlyph(); // no cell for this character: draws nothing, takes no room
            continue;
        }
        g.u0 = col * cw;
        g.u1 = (col + 1) * cw;
        g.v1 = 1.0f - row * ch; // v is bottom-up
        g.v0 = 1.0f - (row + 1) * ch;
        g.advance = advance;
    }
}

float KFont::TextWidth(const char* s) const {
    float w = 0;
    for (; s && *s; ++s)
        w += glyphs[static_cast<unsigned char>(*s)].advance;
    return w;
}

void KTexte::SetTexte(const char* s) {
    std::memset(texte, 0, sizeof(texte));
    if (s) std::strncpy(texte, s, MAX_LEN);
}

void KTexte::SetTexte(const char* s, int length) {
    std::memset(texte, 0, sizeof(texte));
    if (!s || length <= 0) return;
    if (length > MAX_LEN) length = MAX_LEN;
    std::memcpy(texte, s, strnlen(s, length));
}

KImage2D::KImage2D(KScene* owner) : scene(owner) {
    if (owner) owner->Register(this);
}
