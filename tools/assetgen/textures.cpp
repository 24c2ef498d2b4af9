// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/assetgen/textures.h"

#include <algorithm>
#include <cmath>

#include "tools/assetgen/style.h"

namespace assetgen {

namespace {

// Walnut: growth rings bent by noise, with fine pores along the grain (grain along x).
Rgba woodAt(float x, float y, float light) {
    float warp = fbm(x * 1.5f, y * 6.0f, 4, 11) * 3.0f;
    float ring = std::fmod(y * 9.0f + warp, 1.0f);
    float band = std::pow(std::sin(ring * float(M_PI)), 6.0f);
    float pores = fbm(x * 40.0f, y * 3.0f, 2, 23);
    Rgba base = mix(rgb(0x5a3218), rgb(0x8a5a30), 0.5f + 0.5f * fbm(x * 2, y * 2, 3, 5));
    Rgba c = mix(base, rgb(0x3a1c0c), band * 0.6f + (pores - 0.5f) * 0.25f);
    return mix(c, rgb(0xc08a54), light);
}

Image wood(int size, float light) {
    Image img(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            img.set(x, y, woodAt(float(x) / size, float(y) / size, light));
    return img;
}

// Veined marble: a turbulent sine gives the veins.
Image marble(int size, Rgba base, Rgba vein, uint32_t seed) {
    Image img(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float u = float(x) / size, v = float(y) / size;
            float t = fbm(u * 3, v * 3, 5, seed);
            float s = std::fabs(std::sin((u + v * 0.6f) * 7.0f + t * 9.0f));
            float veinAmt = std::pow(1.0f - s, 7.0f);
            Rgba c = mix(base, mix(base, rgb(0x000000), 0.12f), fbm(u * 6, v * 6, 3, seed + 9));
            img.set(x, y, mix(c, vein, veinAmt * 0.8f));
        }
    return img;
}

// A label centred on (cx, cy), its top turned `quarterTurns` quarters clockwise in the picture,
// so that it reads upright for a player looking from that side: 0 from White's side (the top
// of the picture away from the viewer), 2 from Black's.
void drawLabel(Image& img, const Font& font, const std::string& text, float cx, float cy, float px,
               Rgba ink, int quarterTurns) {
    const int cell = int(px * 2.0f) & ~1; // even: the centre falls between pixels both ways
    const float half = cell / 2.0f;
    if (quarterTurns % 4 == 0) {
        font.drawCentred(img, text, cx - half, cy - half, float(cell), float(cell), px, ink);
        return;
    }
    Image label(cell, cell, {0, 0, 0, 0});
    font.drawCentred(label, text, 0, 0, float(cell), float(cell), px, ink);
    const int x0 = int(std::lround(cx - half)), y0 = int(std::lround(cy - half));
    for (int y = 0; y < cell; ++y)
        for (int x = 0; x < cell; ++x) {
            // Turning clockwise by quarters: a pixel at (x, y) goes to (cell - 1 - y, x).
            int sx = x, sy = y;
            for (int t = 0; t < quarterTurns % 4; ++t) {
                const int nx = sy, ny = cell - 1 - sx;
                sx = nx;
                sy = ny;
            }
            const Rgba c = label.get(sx, sy);
            img.blend(x0 + x, y0 + y, c);
        }
}

// Board frame: walnut, with the files a..h along the near and far edges and the ranks 1..8
// along the sides. The picture covers x, z from -1 to 8 (the squares are x, z 0..7, one unit
// each, rank 8 at z = 0), top of the picture at z = -1. The labels read upright from the side
// `quarterTurns` names (see drawLabel).
Image wholeFrame(const Fonts& f, int quarterTurns) {
    const int S = FRAME_SIZE;
    Image img = wood(S, 0.05f);
    const float unit = FRAME_UNIT;
    auto toPx = [&](float w) { return (w + 1.0f) * unit; };
    const float px = unit * 0.32f;
    const Rgba ink = rgb(0xe9cf92, 0.9f);
    for (int i = 0; i < 8; ++i) {
        std::string file(1, char('a' + i)), rank(1, char('8' - i));
        float cx = toPx(float(i)), cz = toPx(float(i));
        const float nearEdge = toPx(7.55f) + unit * 0.2f, farEdge = toPx(-0.95f) + unit * 0.2f;
        drawLabel(img, f.sansBold, file, cx, nearEdge, px, ink, quarterTurns);
        drawLabel(img, f.sansBold, file, cx, farEdge, px, ink, quarterTurns);
        drawLabel(img, f.sansBold, rank, farEdge, cz, px, ink, quarterTurns);
        drawLabel(img, f.sansBold, rank, nearEdge, cz, px, ink, quarterTurns);
    }
    // Inlaid brass line round the squares.
    float a = toPx(-0.56f), b = toPx(7.56f);
    img.roundRect(a, a, b - a, b - a, 0, rgb(0xd8b060), 3.0f);
    return img;
}

// The ring of the whole picture as the strips `frameUV` reads (see textures.h).
Image frame(const Fonts& f, int quarterTurns) {
    const Image whole = wholeFrame(f, quarterTurns);
    Image strips(FRAME_SIZE, FRAME_SIDES * FRAME_STRIP);
    auto wrap = [](int i) { return (i % FRAME_SIZE + FRAME_SIZE) % FRAME_SIZE; };
    for (int side = 0; side < FRAME_SIDES; ++side) {
        const bool acrossX = frameSideAlongZ(side);
        for (int row = 0; row < FRAME_STRIP; ++row) {
            const int across = wrap(frameStripStart(side) + row);
            for (int along = 0; along < FRAME_SIZE; ++along)
                strips.set(along, side * FRAME_STRIP + row,
                           acrossX ? whole.get(across, along) : whole.get(along, across));
        }
    }
    return strips;
}

// Night sky for the inside of the dome (longitude across, latitude down): stars of every
// brightness, a milky band and two faint nebulae.
Image stars() {
    const int W = 2048, H = 1024;
    Image img(W, H, rgb(0x020309));
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            float u = float(x) / W, v = float(y) / H;
            float band = std::exp(-std::pow((v - 0.35f - 0.08f * std::sin(u * 6.2832f)) * 7.0f, 2));
            float cloud = fbm(u * 12, v * 6, 5, 77);
            Rgba c = mix(rgb(0x020309), rgb(0x1b2a55), band * cloud * 0.9f);
            float neb = std::pow(fbm(u * 5 + 3, v * 3, 4, 91), 3.0f);
            c = mix(c, rgb(0x4a1f5c), neb * 0.5f * (1 - v));
            c = mix(c, rgb(0x0e3b5a), std::pow(fbm(u * 4, v * 4 + 7, 4, 13), 3.0f) * 0.5f);
            img.set(x, y, c);
        }
    Random rnd(2024);
    for (int i = 0; i < 9000; ++i) {
        float x = rnd.uniform() * W, y = rnd.uniform() * H;
        float m = std::pow(rnd.uniform(), 6.0f);
        Rgba tint = mix(rgb(0xbcd4ff), rgb(0xffe2b8), rnd.uniform());
        img.glow(x, y, 1.2f + m * 4.0f, {tint.r, tint.g, tint.b, 0.5f + m * 0.5f});
        if (m > 0.5f) img.glow(x, y, 12.0f * m, {tint.r, tint.g, tint.b, 0.15f});
    }
    return img;
}

Image floorTiles() {
    const int S = 512;
    Image img(S, S);
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            float u = float(x) / S, v = float(y) / S;
            bool dark = ((x / 128) + (y / 128)) % 2;
            Rgba c = dark ? rgb(0x1c1f26) : rgb(0x3a3d44);
            c = mix(c, rgb(0x000000), fbm(u * 8, v * 8, 4, 3) * 0.35f);
            int gx = x % 128, gy = y % 128;
            if (gx < 2 || gy < 2) c = rgb(0x0d0e10);
            img.set(x, y, c);
        }
    return img;
}

Image water() {
    const int S = 256;
    Image img(S, S);
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            float u = float(x) / S, v = float(y) / S;
            float n = fbm(u * 6, v * 6, 4, 41);
            float caustic = std::pow(1.0f - std::fabs(std::sin((n * 6 + u * 2) * 3.1416f)), 8.0f);
            img.set(x, y, mix(mix(rgb(0x0b4f7a), rgb(0x2a8fc0), n), rgb(0xcff4ff), caustic * 0.5f));
        }
    return img;
}

Image cubeBack() {
    Image img(64, 64);
    img.gradientV(0, 0, 64, 64, rgb(0x24355e), rgb(0x0c1328));
    img.roundRect(3, 3, 58, 58, 6, rgb(0xe8c36a, 0.7f), 1.5f);
    return img;
}

} // namespace

std::vector<NamedPicture> materialPictures(const Fonts& fonts) {
    return {
        {tex::WOOD, wood(512, 0.0f)},
        {tex::FRAME, frame(fonts, 0)},
        {tex::FRAME_FROM_H_FILE, frame(fonts, 3)},
        {tex::FRAME_FROM_BLACK, frame(fonts, 2)},
        {tex::FRAME_FROM_A_FILE, frame(fonts, 1)},
        {tex::MARBLE_LIGHT, marble(256, rgb(0xeee4d0), rgb(0xb8a88a), 3)},
        {tex::MARBLE_DARK, marble(256, rgb(0x2d4a3e), rgb(0x9cc4b0), 8)},
        {tex::STARS, stars()},
        {tex::FLOOR, floorTiles()},
        {tex::WATER, water()},
        {tex::CUBE_BACK, cubeBack()},
    };
}

} // namespace assetgen
