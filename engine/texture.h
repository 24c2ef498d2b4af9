#pragma once
// Textures whose pixels stay in memory: RGBA, 4 bytes a pixel, rows bottom-up (row 0 is the
// bottom row as seen, as OpenGL uploads it). The game may rewrite the pixels and re-send them
// itself after PutGLparams (glTexSubImage2D), or set `dirty` for the renderer to re-send them.

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

    std::string name;     // the path as the game writes it, e.g. ".\textures\font.bmp"
    std::string fileName; // file it was read from
    int width = 0, height = 0;
    std::vector<unsigned char> pixels; // width * height * 4 bytes, bottom-up rows
    int filter = 1;                    // 0 nearest, 1 linear, 2 linear with mipmaps
    unsigned int glId = 0;             // GL texture name; created and deleted by the renderer only
    unsigned char dirty = 1;           // pixels to be (re-)sent by the renderer
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
    // The same from an encoded picture in memory (pictures embedded in a model file).
    bool LoadTextureFromMemory(const unsigned char* data, int size);
    void SetTextureFilter(int f);
    // For bitmap fonts drawn white on black: alpha becomes the brightness of each pixel and the
    // colour white, so texts take the colour they are drawn with.
    void CreateModifiedImg();
    // Marks the pixels for the renderer to send (again).
    void SetupTexture();
    // Binds the texture (GL_TEXTURE_2D, unpack alignment 1) so the caller can update it with
    // glTexSubImage2D. Needs a current GL context; asks the renderer to create the GL texture
    // first when it has none yet. Does nothing without a context or pixels.
    void PutGLparams();
    unsigned char* GetPixels() { return pixels.empty() ? nullptr : pixels.data(); }
};
