// Textures on the GPU: created on first use, re-sent when the game marks the pixels dirty.

#include "engine/render_state.h"
#include "engine/texture.h"

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

} // namespace

GLuint KUploadTexture(KTexture* tex) {
    if (!tex) return 0;
    if (tex->glId && !tex->dirty) return tex->glId;
    // Sent before and let go: read again for this upload (a new context, a new filter).
    if (tex->pixelsReleased && !tex->ReloadPixels()) return 0;
    const size_t bytes = static_cast<size_t>(tex->width) * tex->height * 4;
    if (tex->width <= 0 || tex->height <= 0 || tex->pixels.size() < bytes) return 0;

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
    g_uploaded.erase(tex);
    KNoteMemoryLetGo();
}

void KForgetGpuTextures() {
    for (KTexture* t : g_uploaded) {
        glDeleteTextures(1, &t->glId);
        t->glId = 0;
        t->dirty = 1;
    }
    g_uploaded.clear();
}
