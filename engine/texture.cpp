#include "engine/texture.h"

#include <SDL.h>
#include <cstring>
#include <epoxy/gl.h>
#include <stb/stb_image.h>

#include "engine/hooks.h"
#include "engine/log.h"
#include "engine/paths.h"
#include "engine/scene.h"

namespace {

// Keeps a decoded stb picture as the texture's pixels. stb gives rows top-down; the engine
// keeps them bottom-up as OpenGL uploads them.
bool takePixels(KTexture& t, unsigned char* data, int w, int h, const char* what) {
    if (!data || w <= 0 || h <= 0) {
        Log("KTexture: cannot read %s (%s)\n", what,
            stbi_failure_reason() ? stbi_failure_reason() : "unknown");
        if (data) stbi_image_free(data);
        return false;
    }
    t.width = w;
    t.height = h;
    size_t row = static_cast<size_t>(w) * 4;
    t.pixels.resize(row * h);
    for (int y = 0; y < h; ++y)
        std::memcpy(&t.pixels[row * (h - 1 - y)], data + row * y, row);
    stbi_image_free(data);
    t.dirty = 1;
    return true;
}

} // namespace

KTexture::KTexture(KScene* owner) : scene(owner) {
    if (owner) owner->Register(this);
}

KTexture::~KTexture() {
    if (auto hook = KGetRenderHooks().textureDestroyed) hook(this);
    if (scene && !scene->Resetting()) scene->Unregister(this);
}

bool KTexture::LoadTexture(const char* path) {
    std::string file = KNormalizePath(path);
    int w = 0, h = 0, n = 0;
    unsigned char* data = stbi_load(file.c_str(), &w, &h, &n, 4);
    std::string what = "\"" + file + "\"";
    if (!takePixels(*this, data, w, h, what.c_str())) return false;
    if (fileName.empty()) fileName = file;
    return true;
}

bool KTexture::LoadTextureFromMemory(const unsigned char* data, int size) {
    int w = 0, h = 0, n = 0;
    unsigned char* px =
        (data && size > 0) ? stbi_load_from_memory(data, size, &w, &h, &n, 4) : nullptr;
    return takePixels(*this, px, w, h, "an embedded picture");
}

void KTexture::SetTextureFilter(int f) {
    filter = f;
    dirty = 1;
}

void KTexture::CreateModifiedImg() {
    for (size_t i = 0; i + 3 < pixels.size(); i += 4) {
        unsigned char m = pixels[i];
        if (pixels[i + 1] > m) m = pixels[i + 1];
        if (pixels[i + 2] > m) m = pixels[i + 2];
        pixels[i] = pixels[i + 1] = pixels[i + 2] = 255;
        pixels[i + 3] = m;
    }
    dirty = 1;
}

void KTexture::SetupTexture() {
    dirty = 1;
}

void KTexture::PutGLparams() {
    if (pixels.empty() || !SDL_GL_GetCurrentContext()) return;
    if (glId == 0 || dirty) {
        if (auto hook = KGetRenderHooks().textureNeedsUpload) hook(this);
    }
    if (glId == 0) return;
    glBindTexture(GL_TEXTURE_2D, glId);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
}
