// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/page_picture.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cstring>

#include "engine/KivEngine.h"

bool initPagePicture(PagePicture& pp, KScene* scene, const char* textureName,
                     const char* selectName, const char* selectPath) {
    pp.picture = GetTexByName(scene, textureName);
    pp.plainPixels.clear();
    if (pp.picture) pp.plainPixels = pp.picture->pixels;
    pp.highlight = new KTexture(scene);
    pp.highlight->name = selectName;
    pp.highlight->fileName = selectName;
    bool loaded = pp.highlight->LoadTexture(selectPath);
    // The highlight is only a source of pixels; it is never drawn, so it needs no GL copy.
    pp.highlight->dirty = 0;
    return pp.picture && !pp.plainPixels.empty() && loaded;
}

// Copies rectangle r from `src` (srcWidth pixels a row, srcHeight rows) into the picture, clipped
// to both buffers.
static void copyRect(KTexture* dst, const unsigned char* src, int srcWidth, int srcHeight,
                     const PixelRect& r) {
    if (!dst || !src || dst->pixels.empty()) return;
    int x0 = std::max(r.x, 0), y0 = std::max(r.y, 0);
    int x1 = std::min({r.x + r.width, dst->width, srcWidth});
    int y1 = std::min({r.y + r.height, dst->height, srcHeight});
    if (x1 <= x0 || y1 <= y0) return;
    size_t rowBytes = size_t(x1 - x0) * 4;
    for (int y = y0; y < y1; ++y) {
        std::memcpy(&dst->pixels[(size_t(y) * dst->width + x0) * 4],
                    &src[(size_t(y) * srcWidth + x0) * 4], rowBytes);
    }
}

void restoreRect(PagePicture& pp, const PixelRect& r) {
    if (!pp.picture || pp.plainPixels.size() != pp.picture->pixels.size()) return;
    copyRect(pp.picture, pp.plainPixels.data(), pp.picture->width, pp.picture->height, r);
}

void pasteHighlight(PagePicture& pp, const PixelRect& r) {
    if (!pp.highlight || pp.highlight->pixels.empty()) return;
    copyRect(pp.picture, pp.highlight->pixels.data(), pp.highlight->width, pp.highlight->height, r);
}

void uploadPicture(PagePicture& pp) {
    KTexture* t = pp.picture;
    if (!t || t->pixels.empty()) return;
    t->PutGLparams();
    if (t->glId == 0) {
        // No GL texture yet: the renderer sends the current pixels when it first draws it.
        t->dirty = 1;
        return;
    }
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, t->width, t->height, GL_RGBA, GL_UNSIGNED_BYTE,
                    t->pixels.data());
}
