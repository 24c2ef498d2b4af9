// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A menu picture changed in place on the graphics card: the scene texture that the model's
// materials show, a plain copy of its pixels and the highlighted version loaded beside it.
// Highlights are pasted into the pixels and the whole picture is re-sent with glTexSubImage2D.

#include <vector>

class KScene;
class KTexture;

// A rectangle of a picture's pixel buffer (row 0 is the first row of the buffer, which is the
// bottom row as seen).
struct PixelRect {
    int x, y;          // pixels
    int width, height; // pixels
};

struct PagePicture {
    KTexture* picture = nullptr;            // the scene's texture, shown by the model
    KTexture* highlight = nullptr;          // highlighted version, same size, owned by the scene
    std::vector<unsigned char> plainPixels; // RGBA copy of `picture` taken at start-up
};

// Fills `pp`: `picture` is the scene's texture named `textureName`, `plainPixels` a copy of its
// pixels, `highlight` a new texture named `selectName` read from `selectPath`. Returns false
// (and leaves what it could not find null or empty) when the texture or the file is missing;
// the picture then simply never changes.
bool initPagePicture(PagePicture& pp, KScene* scene, const char* textureName,
                     const char* selectName, const char* selectPath);

// Copies `r` from the plain copy (restoreRect) or from the highlight (pasteHighlight) into the
// picture's pixels. The rectangle is clipped to both pictures, so a picture of another size
// than the one laid out for never overruns a buffer.
void restoreRect(PagePicture& pp, const PixelRect& r);
void pasteHighlight(PagePicture& pp, const PixelRect& r);

// Sends the whole picture to its GL texture (PutGLparams, then glTexSubImage2D). Without a GL
// texture yet (no context, or never drawn) it marks the pixels for the renderer's first upload.
void uploadPicture(PagePicture& pp);
