// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/assetgen/image.h"

#include <algorithm>
#include <cmath>

#include <stb/stb_image_write.h>

namespace assetgen {

Rgba mix(Rgba a, Rgba b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
            a.a + (b.a - a.a) * t};
}

Rgba rgb(int hex, float alpha) {
    return {((hex >> 16) & 255) / 255.0f, ((hex >> 8) & 255) / 255.0f, (hex & 255) / 255.0f, alpha};
}

Image::Image(int width, int height, Rgba fill) : w_(width), h_(height), px_(width * height, fill) {}

Rgba Image::get(int x, int y) const {
    x = std::clamp(x, 0, w_ - 1);
    y = std::clamp(y, 0, h_ - 1);
    return px_[y * w_ + x];
}

void Image::set(int x, int y, Rgba c) {
    if (x >= 0 && y >= 0 && x < w_ && y < h_) px_[y * w_ + x] = c;
}

void Image::blend(int x, int y, Rgba c, float coverage) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
    float a = std::clamp(c.a * coverage, 0.0f, 1.0f);
    if (a <= 0) return;
    Rgba& d = px_[y * w_ + x];
    float outA = a + d.a * (1 - a);
    if (outA <= 0) return;
    d.r = (c.r * a + d.r * d.a * (1 - a)) / outA;
    d.g = (c.g * a + d.g * d.a * (1 - a)) / outA;
    d.b = (c.b * a + d.b * d.a * (1 - a)) / outA;
    d.a = outA;
}

void Image::fill(Rgba c) {
    std::fill(px_.begin(), px_.end(), c);
}

void Image::gradientV(int x, int y, int w, int h, Rgba top, Rgba bottom) {
    for (int j = 0; j < h; ++j) {
        Rgba c = mix(top, bottom, h > 1 ? float(j) / (h - 1) : 0.0f);
        for (int i = 0; i < w; ++i)
            blend(x + i, y + j, c);
    }
}

// Signed distance to a rounded rectangle, negative inside.
static float roundRectDistance(float px, float py, float x, float y, float w, float h, float r) {
    float cx = x + w / 2, cy = y + h / 2;
    float qx = std::fabs(px - cx) - (w / 2 - r), qy = std::fabs(py - cy) - (h / 2 - r);
    float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - r;
}

void Image::roundRect(float x, float y, float w, float h, float radius, Rgba c, float border) {
    int x0 = std::max(0, int(x) - 1), x1 = std::min(w_ - 1, int(x + w) + 1);
    int y0 = std::max(0, int(y) - 1), y1 = std::min(h_ - 1, int(y + h) + 1);
    for (int j = y0; j <= y1; ++j)
        for (int i = x0; i <= x1; ++i) {
            float d = roundRectDistance(i + 0.5f, j + 0.5f, x, y, w, h, radius);
            float cov = std::clamp(0.5f - d, 0.0f, 1.0f);
            if (border > 0) cov = std::min(cov, std::clamp(d + border + 0.5f, 0.0f, 1.0f));
            blend(i, j, c, cov);
        }
}

void Image::disc(float cx, float cy, float radius, Rgba c) {
    roundRect(cx - radius, cy - radius, 2 * radius, 2 * radius, radius, c);
}

void Image::ring(float cx, float cy, float radius, float width, Rgba c) {
    roundRect(cx - radius, cy - radius, 2 * radius, 2 * radius, radius, c, width);
}

void Image::glow(float cx, float cy, float radius, Rgba c) {
    int x0 = std::max(0, int(cx - radius)), x1 = std::min(w_ - 1, int(cx + radius) + 1);
    int y0 = std::max(0, int(cy - radius)), y1 = std::min(h_ - 1, int(cy + radius) + 1);
    for (int j = y0; j <= y1; ++j)
        for (int i = x0; i <= x1; ++i) {
            float dx = (i + 0.5f - cx) / radius, dy = (j + 0.5f - cy) / radius;
            float t = 1.0f - std::sqrt(dx * dx + dy * dy);
            if (t > 0) blend(i, j, c, t * t);
        }
}

void Image::blit(const Image& src, int dx, int dy) {
    for (int j = 0; j < src.h_; ++j)
        for (int i = 0; i < src.w_; ++i)
            blend(dx + i, dy + j, src.px_[j * src.w_ + i]);
}

Image Image::flippedV() const {
    Image out(w_, h_);
    for (int j = 0; j < h_; ++j)
        std::copy_n(px_.begin() + (h_ - 1 - j) * w_, w_, out.px_.begin() + j * w_);
    return out;
}

std::vector<uint8_t> Image::bytes(int channels) const {
    std::vector<uint8_t> out(size_t(w_) * h_ * channels);
    auto q = [](float v) { return uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
    for (size_t i = 0; i < px_.size(); ++i) {
        out[i * channels + 0] = q(px_[i].r);
        out[i * channels + 1] = q(px_[i].g);
        out[i * channels + 2] = q(px_[i].b);
        if (channels == 4) out[i * channels + 3] = q(px_[i].a);
    }
    return out;
}

bool writeJpeg(const std::string& path, const Image& img, int quality) {
    auto b = img.bytes(3);
    return stbi_write_jpg(path.c_str(), img.width(), img.height(), 3, b.data(), quality) != 0;
}

bool writePng(const std::string& path, const Image& img) {
    auto b = img.bytes(4);
    return stbi_write_png(path.c_str(), img.width(), img.height(), 4, b.data(), img.width() * 4) !=
           0;
}

bool writeBmp(const std::string& path, const Image& img) {
    auto b = img.bytes(3);
    return stbi_write_bmp(path.c_str(), img.width(), img.height(), 3, b.data()) != 0;
}

uint32_t Random::next() {
    // xorshift32: tiny, fast and the same everywhere.
    s_ ^= s_ << 13;
    s_ ^= s_ >> 17;
    s_ ^= s_ << 5;
    return s_;
}

float Random::uniform() {
    return (next() >> 8) * (1.0f / 16777216.0f);
}

static float hash2(int x, int y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xffffff) / 16777215.0f;
}

float valueNoise(float x, float y, uint32_t seed) {
    int xi = int(std::floor(x)), yi = int(std::floor(y));
    float fx = x - xi, fy = y - yi;
    float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    float a = hash2(xi, yi, seed), b = hash2(xi + 1, yi, seed);
    float c = hash2(xi, yi + 1, seed), d = hash2(xi + 1, yi + 1, seed);
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

float fbm(float x, float y, int octaves, uint32_t seed) {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * valueNoise(x, y, seed + i * 17);
        norm += amp;
        x *= 2.03f;
        y *= 2.03f;
        amp *= 0.5f;
    }
    return sum / norm;
}

} // namespace assetgen
