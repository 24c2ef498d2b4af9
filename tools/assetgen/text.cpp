// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/assetgen/text.h"

#include <cmath>
#include <fstream>
#include <iterator>

#include <stb/stb_truetype.h>

namespace assetgen {

static const stbtt_fontinfo* info(const std::vector<unsigned char>& raw) {
    return reinterpret_cast<const stbtt_fontinfo*>(raw.data());
}

bool Font::load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    data_.assign(std::istreambuf_iterator<char>(in), {});
    info_.assign(sizeof(stbtt_fontinfo), 0);
    auto* fi = reinterpret_cast<stbtt_fontinfo*>(info_.data());
    return stbtt_InitFont(fi, data_.data(), stbtt_GetFontOffsetForIndex(data_.data(), 0)) != 0;
}

float Font::ascent(float px) const {
    int asc, desc, gap;
    stbtt_GetFontVMetrics(info(info_), &asc, &desc, &gap);
    return asc * stbtt_ScaleForPixelHeight(info(info_), px);
}

float Font::advance(int cp, float px) const {
    int adv, lsb;
    stbtt_GetCodepointHMetrics(info(info_), cp, &adv, &lsb);
    return adv * stbtt_ScaleForPixelHeight(info(info_), px);
}

float Font::measure(const std::string& text, float px) const {
    float scale = stbtt_ScaleForPixelHeight(info(info_), px), w = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        int cp = (unsigned char)text[i], adv, lsb;
        stbtt_GetCodepointHMetrics(info(info_), cp, &adv, &lsb);
        w += adv * scale;
        if (i + 1 < text.size())
            w += scale * stbtt_GetCodepointKernAdvance(info(info_), cp, (unsigned char)text[i + 1]);
    }
    return w;
}

std::vector<unsigned char> Font::glyph(int cp, float px, int& w, int& h, int& xoff,
                                       int& yoff) const {
    float scale = stbtt_ScaleForPixelHeight(info(info_), px);
    unsigned char* bmp =
        stbtt_GetCodepointBitmap(info(info_), scale, scale, cp, &w, &h, &xoff, &yoff);
    std::vector<unsigned char> out(bmp ? bmp : nullptr, bmp ? bmp + w * h : nullptr);
    if (bmp) stbtt_FreeBitmap(bmp, nullptr);
    if (!bmp) w = h = 0;
    return out;
}

void Font::draw(Image& img, const std::string& text, float x, float baseline, float px, Rgba colour,
                float stretch) const {
    float scale = stbtt_ScaleForPixelHeight(info(info_), px), pen = x;
    float scaleX = scale * stretch;
    for (size_t i = 0; i < text.size(); ++i) {
        int cp = (unsigned char)text[i];
        // Sub-pixel placement keeps letter spacing even at small sizes.
        float shiftX = pen - std::floor(pen), shiftY = baseline - std::floor(baseline);
        int w, h, xo, yo;
        unsigned char* bmp = stbtt_GetCodepointBitmapSubpixel(info(info_), scaleX, scale, shiftX,
                                                              shiftY, cp, &w, &h, &xo, &yo);
        if (bmp) {
            for (int j = 0; j < h; ++j)
                for (int k = 0; k < w; ++k)
                    img.blend(int(std::floor(pen)) + xo + k, int(std::floor(baseline)) + yo + j,
                              colour, bmp[j * w + k] / 255.0f);
            stbtt_FreeBitmap(bmp, nullptr);
        }
        int adv, lsb;
        stbtt_GetCodepointHMetrics(info(info_), cp, &adv, &lsb);
        pen += adv * scale;
        if (i + 1 < text.size())
            pen +=
                scale * stbtt_GetCodepointKernAdvance(info(info_), cp, (unsigned char)text[i + 1]);
    }
}

void Font::drawCodepoint(Image& img, int cp, float x, float baseline, float px, Rgba colour) const {
    int w, h, xo, yo;
    auto cov = glyph(cp, px, w, h, xo, yo);
    for (int j = 0; j < h; ++j)
        for (int k = 0; k < w; ++k)
            img.blend(int(x) + xo + k, int(baseline) + yo + j, colour, cov[j * w + k] / 255.0f);
}

void Font::drawCentred(Image& img, const std::string& text, float bx, float by, float bw, float bh,
                       float px, Rgba colour, float shadow) const {
    float w = measure(text, px);
    // Cap height is about 0.73 of the pixel height for DejaVu: centre capitals in the box.
    float baseline = by + bh / 2 + px * 0.36f;
    float x = bx + (bw - w) / 2;
    if (shadow > 0) draw(img, text, x + shadow, baseline + shadow, px, {0, 0, 0, 0.6f});
    draw(img, text, x, baseline, px, colour);
}

bool Fonts::load() {
    const std::string dir = "/usr/share/fonts/truetype/dejavu/";
    return sans.load(dir + "DejaVuSans.ttf") && sansBold.load(dir + "DejaVuSans-Bold.ttf") &&
           serifBold.load(dir + "DejaVuSerif-Bold.ttf") && mono.load(dir + "DejaVuSansMono.ttf") &&
           monoBold.load(dir + "DejaVuSansMono-Bold.ttf");
}

} // namespace assetgen
