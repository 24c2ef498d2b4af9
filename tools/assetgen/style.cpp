// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/assetgen/style.h"

#include <algorithm>
#include <cmath>

namespace assetgen::style {

Box fromBottomUp(int x, int y, int w, int h, int pictureHeight) {
    return {float(x), float(pictureHeight - (y + h)), float(w), float(h)};
}

void background(Image& img, float inset, float radius, float alpha) {
    int w = img.width(), h = img.height();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float t = float(y) / (h - 1);
            Rgba c = mix(rgb(0x2b4174), rgb(0x0b1226), std::pow(t, 0.8f));
            // Soft light from the top centre.
            float dx = (x - w * 0.5f) / w, dy = (y + h * 0.2f) / h;
            float l = std::max(0.0f, 1.0f - std::sqrt(dx * dx * 1.5f + dy * dy)) * 0.25f;
            c = mix(c, rgb(0x6d86c2), l);
            c.a = alpha;
            img.set(x, y, c);
        }
    img.roundRect(inset, inset, w - 2 * inset, h - 2 * inset, radius, GOLD_DARK, 2.5f);
    img.roundRect(inset + 3, inset + 3, w - 2 * inset - 6, h - 2 * inset - 6, radius - 2,
                  rgb(0xe8c36a, 0.45f), 1.0f);
}

void glassPanel(Image& img, Box b, float radius, float alpha) {
    Image layer(img.width(), img.height(), {0, 0, 0, 0});
    for (int y = int(b.y); y < int(b.y + b.h); ++y) {
        float t = (y - b.y) / b.h;
        Rgba c = mix(rgb(0x2a3d6b), rgb(0x0b1226), t);
        c.a = alpha;
        layer.roundRect(b.x, float(y), b.w, 1.0f, 0, c);
    }
    // Clip the gradient to the rounded outline.
    Image mask(img.width(), img.height(), {0, 0, 0, 0});
    mask.roundRect(b.x, b.y, b.w, b.h, radius, {1, 1, 1, 1});
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            Rgba c = layer.get(x, y);
            float m = mask.get(x, y).a;
            if (m > 0) img.blend(x, y, {c.r, c.g, c.b, 1.0f}, c.a * m);
        }
    img.roundRect(b.x + 1, b.y + 1, b.w - 2, b.h - 2, radius, GOLD, 2.0f);
}

float fitSize(const Font& f, const std::string& text, float maxPx, float width) {
    float px = maxPx;
    while (px > 8 && f.measure(text, px) > width)
        px -= 0.5f;
    return px;
}

void plate(Image& img, const Font& f, Box l, const std::string& text, float maxPx) {
    img.roundRect(l.x, l.y, l.w, l.h, l.h * 0.3f, rgb(0x0a1022, 0.55f));
    img.roundRect(l.x, l.y, l.w, l.h, l.h * 0.3f, rgb(0xe8c36a, 0.8f), 1.5f);
    float px = fitSize(f, text, maxPx, l.w - 10);
    f.drawCentred(img, text, l.x, l.y, l.w, l.h, px, IVORY, 1.5f);
}

void plateLit(Image& img, const Font& f, Box l, Box area, const std::string& text, float maxPx) {
    // Glow: elliptical, centred on the label, zero at the highlight rectangle's edges.
    float cx = l.x + l.w / 2, cy = l.y + l.h / 2;
    for (int y = int(area.y); y < int(area.y + area.h); ++y)
        for (int x = int(area.x); x < int(area.x + area.w); ++x) {
            float ex = std::min(x + 0.5f - area.x, area.x + area.w - x - 0.5f) / 6.0f;
            float ey = std::min(y + 0.5f - area.y, area.y + area.h - y - 0.5f) / 6.0f;
            float edge = std::clamp(std::min(ex, ey), 0.0f, 1.0f);
            float dx = (x - cx) / (l.w * 0.7f), dy = (y - cy) / (l.h * 0.9f);
            float g = std::max(0.0f, 1.0f - std::sqrt(dx * dx + dy * dy));
            img.blend(x, y, rgb(0xffd27a), 0.55f * g * edge);
        }
    Image plateImg(img.width(), img.height(), {0, 0, 0, 0});
    for (int y = int(l.y); y <= int(l.y + l.h); ++y) {
        Rgba c = mix(rgb(0xffe7a8), rgb(0xc9952e), (y - l.y) / l.h);
        plateImg.roundRect(l.x - 2, float(y), l.w + 4, 1.0f, 0, c);
    }
    Image mask(img.width(), img.height(), {0, 0, 0, 0});
    mask.roundRect(l.x - 2, l.y - 1, l.w + 4, l.h + 2, l.h * 0.3f, {1, 1, 1, 1});
    for (int y = int(l.y) - 2; y <= int(l.y + l.h) + 2; ++y)
        for (int x = int(l.x) - 3; x <= int(l.x + l.w) + 3; ++x) {
            float m = mask.get(x, y).a;
            if (m > 0) img.blend(x, y, plateImg.get(x, y), m);
        }
    img.roundRect(l.x - 2, l.y - 1, l.w + 4, l.h + 2, l.h * 0.3f, rgb(0xfff4d0), 1.5f);
    float px = fitSize(f, text, maxPx, l.w - 10);
    f.drawCentred(img, text, l.x, l.y, l.w, l.h, px, NAVY);
}

void glowInside(Image& img, float cx, float cy, float radius, Rgba c, Box area) {
    for (int y = int(area.y); y < int(area.y + area.h); ++y)
        for (int x = int(area.x); x < int(area.x + area.w); ++x) {
            float ex = std::min(x + 0.5f - area.x, area.x + area.w - x - 0.5f) / 8.0f;
            float ey = std::min(y + 0.5f - area.y, area.y + area.h - y - 0.5f) / 8.0f;
            float edge = std::clamp(std::min(ex, ey), 0.0f, 1.0f);
            float dx = (x + 0.5f - cx) / radius, dy = (y + 0.5f - cy) / radius;
            float t = std::max(0.0f, 1.0f - std::sqrt(dx * dx + dy * dy));
            img.blend(x, y, c, t * t * edge);
        }
}

Image keepInside(const Image& plain, const Image& lit, Box b) {
    Image out = plain;
    for (int y = int(b.y); y < int(b.y + b.h); ++y)
        for (int x = int(b.x); x < int(b.x + b.w); ++x)
            out.set(x, y, lit.get(x, y));
    return out;
}

} // namespace assetgen::style
