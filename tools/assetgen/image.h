// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// RGBA pictures drawn by the generator, stored top-down (row 0 is the top row as seen), the
// way image files are written. Anything that reasons in the engine's bottom-up pixel buffers
// converts with flipRow().

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

struct Rgba {
    float r = 0, g = 0, b = 0, a = 1; // 0..1, straight (not premultiplied) alpha
};

Rgba mix(Rgba a, Rgba b, float t);
Rgba rgb(int hex, float alpha = 1.0f);

class Image {
public:
    Image() = default;
    Image(int width, int height, Rgba fill = {});

    int width() const { return w_; }
    int height() const { return h_; }
    Rgba get(int x, int y) const;
    void set(int x, int y, Rgba c);
    // Source-over blend of c with coverage 0..1.
    void blend(int x, int y, Rgba c, float coverage = 1.0f);

    void fill(Rgba c);
    // Vertical gradient from top colour to bottom colour over the rectangle.
    void gradientV(int x, int y, int w, int h, Rgba top, Rgba bottom);
    // Anti-aliased rounded rectangle, filled (border 0) or outlined with the given width.
    void roundRect(float x, float y, float w, float h, float radius, Rgba c, float border = 0);
    void disc(float cx, float cy, float radius, Rgba c);
    void ring(float cx, float cy, float radius, float width, Rgba c);
    // Soft radial glow: alpha falls from c.a at the centre to 0 at radius.
    void glow(float cx, float cy, float radius, Rgba c);
    void blit(const Image& src, int dx, int dy);
    Image flippedV() const;

    // 8-bit RGBA (or RGB) bytes, top row first.
    std::vector<uint8_t> bytes(int channels) const;

private:
    int w_ = 0, h_ = 0;
    std::vector<Rgba> px_;
};

// A pixel row of the engine's bottom-up buffer of a picture of the given height, as a top-down
// row of this class (and back: the mapping is its own inverse).
inline int flipRow(int row, int height) {
    return height - 1 - row;
}

// Writers; each returns false when the file could not be written.
bool writeJpeg(const std::string& path, const Image& img, int quality = 95);
bool writePng(const std::string& path, const Image& img);
bool writeBmp(const std::string& path, const Image& img);

// Small deterministic generator for textures and music (same sequence on every machine).
class Random {
public:
    explicit Random(uint32_t seed) : s_(seed * 2654435761u + 1) {}
    uint32_t next();
    float uniform(); // 0..1
    float range(float lo, float hi) { return lo + (hi - lo) * uniform(); }

private:
    uint32_t s_;
};

// Smooth value noise in 0..1 with the given seed, period-free, for wood, marble and nebulae.
float valueNoise(float x, float y, uint32_t seed);
float fbm(float x, float y, int octaves, uint32_t seed);

} // namespace assetgen
