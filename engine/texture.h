// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Textures: RGBA pixels, 4 bytes a pixel, rows bottom-up (row 0 is the bottom row as seen, as
// OpenGL uploads it). The game may rewrite the pixels and re-send them itself after PutGLparams
// (glTexSubImage2D), or set `dirty` for the renderer to re-send them.
//
// Once the GPU holds a picture read from a file, the renderer lets go of its pixels (the driver
// keeps its own copy) and reads the file again should it need them. Pixels the game may read or
// rewrite stay: those of a texture looked up by name (GetTexByName) or asked for (GetPixels,
// PutGLparams, KeepPixels), and those no file can give again (an embedded picture).

#include <string>
#include <vector>

#include "engine/math3d.h"

class KScene;

class KTexture {
public:
    explicit KTexture(KScene* owner); // a texture of the scene (the scene deletes it)
    ~KTexture();                      // tells the renderer (hook) so it frees the GL texture
    KTexture(const KTexture&) = delete;
    KTexture& operator=(const KTexture&) = delete;

    std::string name;       // the path as the game writes it, e.g. ".\textures\font.bmp"
    std::string fileName;   // file it was read from
    std::string loadedFrom; // the file that holds the pixels (empty: they came from elsewhere)
    int width = 0, height = 0;
    std::vector<unsigned char> pixels; // width * height * 4 bytes, bottom-up rows
    int filter = 1;                    // 0 nearest, 1 linear, 2 linear with mipmaps
    unsigned int glId = 0;             // GL texture name; created and deleted by the renderer only
    unsigned char dirty = 1;           // pixels to be (re-)sent by the renderer
    unsigned int rewrites = 0;         // PutGLparams calls: the game re-sent the picture itself
    unsigned char keepPixels = 0;      // the pixels stay in memory after upload
    unsigned char pixelsReleased = 0;  // let go after upload (width and height stay)
    unsigned char brightnessAlpha = 0; // CreateModifiedImg was applied to the file's pixels
    // An opaque picture the game never rewrites (a sky): sent as its brightness at full size and
    // its colour at half size, in two GL textures, as a JPEG file stores it: 3 bytes for every 8
    // it would take whole. Materials drawing it put the two together; set before it is sent.
    unsigned char lumaChroma = 0;
    unsigned int chromaGlId = 0; // the colour's GL texture (lumaChroma); the renderer's alone
    KScene* scene;
    // Average colour of the pixels, worked out by the renderer when it needs it (for the pixel
    // count meanPixels; a picture rewritten in place keeps its first average).
    KColor mean{1, 1, 1, 1};
    size_t meanPixels = 0;

    // Reads a JPEG, PNG or BMP ('\' taken as '/', path relative to the current folder) into
    // `pixels`. False (and a log line) when the file is missing, unreadable, of another format,
    // damaged or larger than a texture may be (engine/picture_check.h); the texture is then
    // left empty.
    bool LoadTexture(const char* path);
    // The same, but only the picture's size is read now (after the same checks); the pixels are
    // read when first needed: the first upload, or KeepPixels. For model files, whose pictures
    // may wait for a screen that never opens.
    bool LoadTextureLater(const char* path);
    // The same from an encoded picture in memory (pictures embedded in a model file).
    bool LoadTextureFromMemory(const unsigned char* data, int size);
    void SetTextureFilter(int f);
    // For bitmap fonts drawn white on black: alpha becomes the brightness of each pixel and the
    // colour white, so texts take the colour they are drawn with. Pixels read again from the
    // file are changed the same way; pixels not in memory are not read for it, only when they
    // are next needed. The renderer sends such a picture as its alpha alone (GL_R8, one byte a
    // pixel, read back as white with that alpha).
    void CreateModifiedImg();
    // Marks the pixels for the renderer to send (again).
    void SetupTexture();
    // The pixels in memory (read again from the file if they were let go) and kept there from
    // now on. False when there are none to be had.
    bool KeepPixels();
    // The pixels of a picture the GPU holds, let go when the file can give them again and
    // nobody asked to keep them (the renderer calls it after an upload).
    void ReleasePixels();
    // For a picture that will not show for a long time, if ever again (the intro's title): the
    // GPU's copy goes. Drawn again, it is sent again, its pixels read from the file first if
    // they were let go.
    void DropGpuCopy();
    // Let-go pixels read again from the file, for one more upload; false when that fails.
    bool ReloadPixels();
    // Binds the texture (GL_TEXTURE_2D, unpack alignment 1) so the caller can update it with
    // glTexSubImage2D. Needs a current GL context; asks the renderer to create the GL texture
    // first when it has none yet. Does nothing without a context or pixels.
    void PutGLparams();
    unsigned char* GetPixels() { return KeepPixels() ? pixels.data() : nullptr; }
};
