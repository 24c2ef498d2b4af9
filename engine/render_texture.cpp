// SPDX-License-Identifier: GPL-3.0-or-later
// Textures on the GPU: created on first use, re-sent when the game marks the pixels dirty.

#include "engine/render_state.h"
#include "engine/texture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_set>
#include <vector>

namespace {

// Textures with a GL copy in the current context, so that closing the context can forget them
// all (their names mean nothing in a later context).
std::unordered_set<KTexture*> g_uploaded;

void applyFilter(int filter) {
    const GLint mag = filter == 0 ? GL_NEAREST : GL_LINEAR;
    const GLint min = filter == 0 ? GL_NEAREST : filter == 2 ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, mag);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, min);
}

// The colour's texture of a picture sent as brightness and colour, deleted (in the current
// context, when there is one).
void deleteChroma(KTexture& tex) {
    if (tex.chromaGlId && KRenderGlAlive()) glDeleteTextures(1, &tex.chromaGlId);
    tex.chromaGlId = 0;
}

unsigned char toByte(float v) {
    return static_cast<unsigned char>(std::clamp(std::lround(v), 0L, 255L));
}

// JPEG's conversion: the brightness of every pixel, and the colour differences from it averaged
// over each 2 x 2 block of pixels (half the width and the height, rounded up), as Cb and Cr.
void splitLumaChroma(const KTexture& tex, std::vector<unsigned char>& luma,
                     std::vector<unsigned char>& chroma, int& chromaW, int& chromaH) {
    const int w = tex.width, h = tex.height;
    chromaW = (w + 1) / 2;
    chromaH = (h + 1) / 2;
    luma.resize(static_cast<size_t>(w) * h);
    chroma.resize(static_cast<size_t>(chromaW) * chromaH * 2);
    const unsigned char* px = tex.pixels.data();
    for (size_t i = 0; i < luma.size(); ++i, px += 4)
        luma[i] = toByte(0.299f * px[0] + 0.587f * px[1] + 0.114f * px[2]);
    for (int cy = 0; cy < chromaH; ++cy) {
        for (int cx = 0; cx < chromaW; ++cx) {
            float cb = 0, cr = 0;
            int n = 0;
            for (int y = 2 * cy; y < std::min(h, 2 * cy + 2); ++y) {
                for (int x = 2 * cx; x < std::min(w, 2 * cx + 2); ++x, ++n) {
                    const unsigned char* p =
                        tex.pixels.data() + (static_cast<size_t>(y) * w + x) * 4;
                    cb += -0.168736f * p[0] - 0.331264f * p[1] + 0.5f * p[2];
                    cr += 0.5f * p[0] - 0.418688f * p[1] - 0.081312f * p[2];
                }
            }
            unsigned char* c = &chroma[(static_cast<size_t>(cy) * chromaW + cx) * 2];
            c[0] = toByte(128.0f + cb / float(n));
            c[1] = toByte(128.0f + cr / float(n));
        }
    }
}

void sendPlane(GLuint id, GLint internal, GLenum format, int w, int h, const void* data,
               int filter) {
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexImage2D(GL_TEXTURE_2D, 0, internal, w, h, 0, format, GL_UNSIGNED_BYTE, data);
    applyFilter(filter);
    if (filter == 2) glGenerateMipmap(GL_TEXTURE_2D);
}

// A picture as brightness and colour (KTexture::lumaChroma): two textures, the brightness's
// bound last, as the single texture would be.
GLuint uploadLumaChroma(KTexture* tex) {
    std::vector<unsigned char> luma, chroma;
    int chromaW = 0, chromaH = 0;
    splitLumaChroma(*tex, luma, chroma, chromaW, chromaH);
    if (!tex->glId) {
        glGenTextures(1, &tex->glId);
        g_uploaded.insert(tex);
    }
    if (!tex->chromaGlId) glGenTextures(1, &tex->chromaGlId);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    sendPlane(tex->chromaGlId, GL_RG8, GL_RG, chromaW, chromaH, chroma.data(), tex->filter);
    sendPlane(tex->glId, GL_R8, GL_RED, tex->width, tex->height, luma.data(), tex->filter);
    tex->dirty = 0;
    KTextureMean(tex);
    tex->ReleasePixels();
    return tex->glId;
}

} // namespace

GLuint KUploadTexture(KTexture* tex) {
    if (!tex) return 0;
    if (tex->glId && !tex->dirty) return tex->glId;
    // Sent before and let go: read again for this upload (a new context, a new filter).
    if (tex->pixelsReleased && !tex->ReloadPixels()) return 0;
    const size_t bytes = static_cast<size_t>(tex->width) * tex->height * 4;
    if (tex->width <= 0 || tex->height <= 0 || tex->pixels.size() < bytes) return 0;
    if (tex->lumaChroma) return uploadLumaChroma(tex);

    deleteChroma(*tex); // sent before as brightness and colour
    const bool fresh = tex->glId == 0;
    if (fresh) {
        glGenTextures(1, &tex->glId);
        g_uploaded.insert(tex);
    }
    glBindTexture(GL_TEXTURE_2D, tex->glId);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (fresh) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    }
    // A picture turned white with its brightness as alpha (the fonts) is sent as its alpha
    // alone, a quarter of the memory: the texture reads back (1, 1, 1, alpha) as before.
    const bool alphaOnly = tex->brightnessAlpha != 0;
    const GLint internal = alphaOnly ? GL_R8 : GL_RGBA8;
    const GLenum format = alphaOnly ? GL_RED : GL_RGBA;
    const unsigned char* data = tex->pixels.data();
    std::vector<unsigned char> alphas;
    if (alphaOnly) {
        alphas.resize(bytes / 4);
        for (size_t i = 0; i < alphas.size(); ++i)
            alphas[i] = tex->pixels[i * 4 + 3];
        data = alphas.data();
    }
    GLint w = 0, h = 0, held = 0;
    if (!fresh) {
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &held);
    }
    // Rows are bottom-up in memory, which is the order OpenGL reads them.
    if (w == tex->width && h == tex->height && held == internal)
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, format, GL_UNSIGNED_BYTE, data);
    else
        glTexImage2D(GL_TEXTURE_2D, 0, internal, tex->width, tex->height, 0, format,
                     GL_UNSIGNED_BYTE, data);
    const GLint swizzle[4] = {alphaOnly ? GL_ONE : GL_RED, alphaOnly ? GL_ONE : GL_GREEN,
                              alphaOnly ? GL_ONE : GL_BLUE, alphaOnly ? GL_RED : GL_ALPHA};
    glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, swizzle);
    applyFilter(tex->filter);
    if (tex->filter == 2) glGenerateMipmap(GL_TEXTURE_2D);
    tex->dirty = 0;
    // The driver holds its own copy now: the average the mirrors need is taken while the
    // pixels are at hand, then they go unless the game keeps them.
    KTextureMean(tex);
    tex->ReleasePixels();
    return tex->glId;
}

KColor KTextureMean(KTexture* tex) {
    if (!tex) return KColor{1, 1, 1, 1};
    if (tex->pixelsReleased) {
        if (tex->meanPixels) return tex->mean; // taken before they went
        // Never read yet: read for the average, and let go again.
        if (!tex->ReloadPixels()) return KColor{1, 1, 1, 1};
        const KColor mean = KTextureMean(tex);
        tex->ReleasePixels();
        return mean;
    }
    if (tex->meanPixels == tex->pixels.size() && !tex->pixels.empty()) return tex->mean;
    // Whole numbers, a pixel at a time: the loop the compiler turns into vector adds (a
    // texture's bytes add up to far less than 2^64).
    uint64_t sum[4] = {0, 0, 0, 0};
    const size_t n = tex->pixels.size() / 4;
    const unsigned char* p = tex->pixels.data();
    for (size_t i = 0; i < n; ++i, p += 4) {
        sum[0] += p[0];
        sum[1] += p[1];
        sum[2] += p[2];
        sum[3] += p[3];
    }
    const double whole = 255.0 * double(n);
    tex->mean = n ? KColor{float(double(sum[0]) / whole), float(double(sum[1]) / whole),
                           float(double(sum[2]) / whole), float(double(sum[3]) / whole)}
                  : KColor{1, 1, 1, 1};
    tex->meanPixels = tex->pixels.size();
    return tex->mean;
}

void KFreeGpuTexture(KTexture* tex) {
    if (!tex || !tex->glId) return;
    if (KRenderGlAlive()) glDeleteTextures(1, &tex->glId);
    tex->glId = 0;
    deleteChroma(*tex);
    g_uploaded.erase(tex);
    KNoteMemoryLetGo();
}

void KForgetGpuTextures() {
    for (KTexture* t : g_uploaded) {
        glDeleteTextures(1, &t->glId);
        t->glId = 0;
        deleteChroma(*t);
        t->dirty = 1;
    }
    g_uploaded.clear();
}
