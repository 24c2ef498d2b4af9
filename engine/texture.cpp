// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/texture.h"

#include <SDL.h>
#include <cstring>
#include <epoxy/gl.h>
#include <stb/stb_image.h>

#include "engine/folders.h"
#include "engine/hooks.h"
#include "engine/log.h"
#include "engine/paths.h"
#include "engine/picture_check.h"
#include "engine/scene.h"

namespace {

// Keeps a decoded stb picture as the texture's pixels. stb gives rows top-down; the engine
// keeps them bottom-up as OpenGL uploads them.
void takePixels(KTexture& t, unsigned char* data, int w, int h) {
    t.width = w;
    t.height = h;
    size_t row = static_cast<size_t>(w) * 4;
    t.pixels.resize(row * h);
    for (int y = 0; y < h; ++y)
        std::memcpy(&t.pixels[row * (h - 1 - y)], data + row * y, row);
    t.dirty = 1;
}

// A refused or unreadable picture leaves the texture empty, whatever it held before.
bool refuse(KTexture& t, const char* what, const char* why) {
    Log("KTexture: cannot read %s (%s)\n", what, why ? why : "unknown");
    t.width = t.height = 0;
    t.pixels.clear();
    t.dirty = 1;
    return false;
}

// Checks and decodes an encoded picture into the texture.
bool decode(KTexture& t, const unsigned char* data, size_t size, const char* what) {
    if (const char* why = pictureRefusal(data, size)) return refuse(t, what, why);
    int w = 0, h = 0, n = 0;
    unsigned char* px = stbi_load_from_memory(data, static_cast<int>(size), &w, &h, &n, 4);
    if (!px || w <= 0 || h <= 0) {
        if (px) stbi_image_free(px);
        return refuse(t, what, stbi_failure_reason());
    }
    takePixels(t, px, w, h);
    stbi_image_free(px);
    return true;
}

void alphaFromBrightness(std::vector<unsigned char>& pixels) {
    for (size_t i = 0; i + 3 < pixels.size(); i += 4) {
        unsigned char m = pixels[i];
        if (pixels[i + 1] > m) m = pixels[i + 1];
        if (pixels[i + 2] > m) m = pixels[i + 2];
        pixels[i] = pixels[i + 1] = pixels[i + 2] = 255;
        pixels[i + 3] = m;
    }
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
    std::string what = "\"" + file + "\"";
    std::vector<unsigned char> bytes;
    pixelsReleased = 0;
    brightnessAlpha = 0;
    loadedFrom.clear();
    if (!KReadFile(KDataPath(path), bytes)) return refuse(*this, what.c_str(), "no such file");
    if (!decode(*this, bytes.data(), bytes.size(), what.c_str())) return false;
    // The pixels come from this file: it can give them again (the path as given, read again
    // through the same data folder).
    loadedFrom = file;
    if (fileName.empty()) fileName = file;
    return true;
}

bool KTexture::LoadTextureLater(const char* path) {
    std::string file = KNormalizePath(path);
    std::string what = "\"" + file + "\"";
    std::vector<unsigned char> bytes;
    pixelsReleased = 0;
    brightnessAlpha = 0;
    loadedFrom.clear();
    if (!KReadFile(KDataPath(path), bytes)) return refuse(*this, what.c_str(), "no such file");
    if (const char* why = pictureRefusal(bytes.data(), bytes.size()))
        return refuse(*this, what.c_str(), why);
    int w = 0, h = 0, n = 0;
    if (!stbi_info_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &n) ||
        w <= 0 || h <= 0)
        return refuse(*this, what.c_str(), stbi_failure_reason());
    width = w;
    height = h;
    pixels.clear();
    pixelsReleased = 1; // read when first needed
    meanPixels = 0;
    loadedFrom = file;
    if (fileName.empty()) fileName = file;
    dirty = 1;
    return true;
}

bool KTexture::LoadTextureFromMemory(const unsigned char* data, int size) {
    pixelsReleased = 0;
    brightnessAlpha = 0;
    loadedFrom.clear();
    return decode(*this, data, size > 0 ? static_cast<size_t>(size) : 0, "an embedded picture");
}

bool KTexture::ReloadPixels() {
    if (!pixelsReleased) return !pixels.empty();
    const std::string file = loadedFrom;
    const int w = width, h = height;
    const bool wasDirty = dirty != 0;
    const bool modified = brightnessAlpha != 0;
    if (!LoadTexture(file.c_str())) return false;
    if (modified) {
        alphaFromBrightness(pixels);
        brightnessAlpha = 1;
    }
    if (width != w || height != h) {
        // The file changed under the game: the GPU's copy no longer matches it.
        dirty = 1;
        return true;
    }
    dirty = wasDirty ? 1 : 0;
    return true;
}

bool KTexture::KeepPixels() {
    keepPixels = 1;
    return ReloadPixels();
}

void KTexture::ReleasePixels() {
    if (keepPixels || pixelsReleased || loadedFrom.empty() || pixels.empty()) return;
    std::vector<unsigned char>().swap(pixels);
    pixelsReleased = 1;
}

void KTexture::DropGpuCopy() {
    if (!glId) return;
    if (auto hook = KGetRenderHooks().textureDestroyed) hook(this);
    dirty = 1;
}

void KTexture::SetTextureFilter(int f) {
    filter = f;
    dirty = 1;
}

void KTexture::CreateModifiedImg() {
    if (pixelsReleased && !brightnessAlpha && !loadedFrom.empty()) {
        // Not in memory: the change is made when the file is read (first upload, KeepPixels).
        brightnessAlpha = 1;
        meanPixels = 0;
        dirty = 1;
        return;
    }
    if (!ReloadPixels()) return;
    alphaFromBrightness(pixels);
    // Read again later, the file's pixels are changed the same way.
    brightnessAlpha = 1;
    dirty = 1;
}

void KTexture::SetupTexture() {
    dirty = 1;
}

void KTexture::PutGLparams() {
    ++rewrites; // the picture changes in place: the frame loop has something new to show
    if (!KeepPixels() || !SDL_GL_GetCurrentContext()) return;
    if (glId == 0 || dirty) {
        if (auto hook = KGetRenderHooks().textureNeedsUpload) hook(this);
    }
    if (glId == 0) return;
    glBindTexture(GL_TEXTURE_2D, glId);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
}
