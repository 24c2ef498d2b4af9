// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/assetgen/panels.h"

#include <cmath>

#include "tools/assetgen/hud_layout.h"
#include "tools/assetgen/style.h"

namespace assetgen {

namespace {

using style::Box;

// Picture drawn at `scale` pixels per window pixel over a panel's window rectangle; window
// coordinates convert with at().
struct Canvas {
    hud::PanelRect r;
    float scale;
    Image img;
    Canvas(hud::PanelRect rect, float s)
        : r(rect), scale(s), img(int(std::lround((rect.x1 - rect.x0) * s)),
                                 int(std::lround((rect.y1 - rect.y0) * s)), {0, 0, 0, 0}) {}
    Box at(float wx, float wy, float ww, float wh) const {
        return {(wx - r.x0) * scale, (wy - r.y0) * scale, ww * scale, wh * scale};
    }
};

void title(const Fonts& f, Canvas& c, const std::string& text, float wx, float wy) {
    Box b = c.at(wx, wy, 0, 0);
    f.serifBold.draw(c.img, text, b.x + 2, b.y + 2, 22 * c.scale, {0, 0, 0, 0.6f});
    f.serifBold.draw(c.img, text, b.x, b.y, 22 * c.scale, style::GOLD);
}

void hint(const Fonts& f, Canvas& c, const std::string& text, float wy) {
    Box b = c.at(c.r.x0, wy, c.r.x1 - c.r.x0, 16);
    f.sans.drawCentred(c.img, text, b.x, b.y, b.w, b.h, 12 * c.scale, style::MUTED);
}

void well(Canvas& c, float wx, float wy, float ww, float wh) {
    Box b = c.at(wx, wy, ww, wh);
    c.img.roundRect(b.x, b.y, b.w, b.h, 6 * c.scale, rgb(0x02050c, 0.6f));
    c.img.roundRect(b.x, b.y, b.w, b.h, 6 * c.scale, rgb(0xe8c36a, 0.35f), 1.0f * c.scale);
}

Image fileScreen(const Fonts& f, hud::PanelRect r, const std::string& name, int lines,
                 bool nameLine) {
    Canvas c(r, 2);
    style::glassPanel(c.img, {0, 0, float(c.img.width()), float(c.img.height())}, 24, 1.0f);
    title(f, c, name, 240, 182);
    // The file list: line i is written at window y 210 + 20 i, x 260.
    well(c, 244, 204, 322, float(lines * hud::FILE_LINE_STEP + 6));
    float y = 204 + lines * hud::FILE_LINE_STEP + 10;
    if (nameLine) {
        Box lb = c.at(236, y + 18, 0, 0);
        (void)lb;
        well(c, 254, float(hud::NAME_LINE_Y - 6), 312, 28);
        hint(f, c, "Tab: type a new name    Enter: save    Esc: back", r.y1 - 22);
    } else {
        hint(f, c, "Up, Down: choose    Enter: load    Esc: back", r.y1 - 22);
    }
    return c.img;
}

Image clientScreen(const Fonts& f) {
    Canvas c(hud::CLIENT_PANEL, 2);
    style::glassPanel(c.img, {0, 0, float(c.img.width()), float(c.img.height())}, 24, 1.0f);
    title(f, c, "Join a host", 240, 240);
    Box t = c.at(240, 268, 320, 20);
    f.sans.draw(c.img, "Type the address of the host", t.x, t.y + 14 * c.scale, 14 * c.scale,
                style::MUTED);
    Box a = c.at(236, float(hud::IP_LINE_Y), 0, 0);
    f.sansBold.draw(c.img, "Address", a.x, a.y + 14 * c.scale, 15 * c.scale, style::IVORY);
    well(c, 322, float(hud::IP_LINE_Y - 7), 244, 30);
    hint(f, c, "Enter: connect    Esc: back", c.r.y1 - 22);
    return c.img;
}

Image glassStrip(hud::PanelRect r, float scale, float radius) {
    Canvas c(r, scale);
    style::glassPanel(c.img, {0, 0, float(c.img.width()), float(c.img.height())}, radius * scale,
                      1.0f);
    return c.img;
}

Image windowBar(const Fonts& f) {
    Canvas c(hud::WINDOW_BAR, 2);
    c.img.gradientV(0, 0, c.img.width(), c.img.height(), rgb(0x2a3d6b), rgb(0x0b1226));
    Box line = c.at(-2, 19, 804, 1);
    c.img.roundRect(line.x, line.y, line.w, line.h, 0, style::GOLD);
    Box t = c.at(0, 0, 800, 20);
    f.sansBold.drawCentred(c.img, "chess3d", t.x, t.y, t.w, t.h, 13 * c.scale, style::IVORY);
    // The close box: the game closes on clicks at window x 782..798 in the top strip.
    Box cb = c.at(783, 2, 15, 15);
    c.img.roundRect(cb.x, cb.y, cb.w, cb.h, 3 * c.scale, rgb(0xb03a30));
    c.img.roundRect(cb.x, cb.y, cb.w, cb.h, 3 * c.scale, rgb(0xffd0c0), 1.0f);
    f.sansBold.drawCentred(c.img, "x", cb.x, cb.y - 1.5f * c.scale, cb.w, cb.h, 13 * c.scale,
                           {1, 1, 1, 1});
    return c.img;
}

Image selectionBar() {
    Image img(608, 40, {0, 0, 0, 0});
    img.roundRect(2, 4, 604, 32, 14, rgb(0xe8c36a, 0.85f));
    img.roundRect(2, 4, 604, 32, 14, rgb(0xfff1c4), 2.5f);
    return img;
}

Image okMark(const Fonts& f) {
    Image img(104, 56, {0, 0, 0, 0});
    img.roundRect(3, 3, 98, 50, 14, rgb(0x2f9e57));
    img.roundRect(3, 3, 98, 50, 14, rgb(0xc8ffd8), 3);
    f.sansBold.drawCentred(img, "OK", 0, 0, 104, 56, 30, {1, 1, 1, 1}, 2);
    return img;
}

// A coin with a king, White or Black.
void coin(Image& img, const Fonts& f, float cx, float cy, float radius, bool white) {
    Rgba face = white ? rgb(0xf3ead4) : rgb(0x1d1a1a);
    Rgba ink = white ? rgb(0x1d1a1a) : rgb(0xf3ead4);
    img.disc(cx, cy + radius * 0.06f, radius, {0, 0, 0, 0.5f});
    img.disc(cx, cy, radius, style::GOLD_DARK);
    img.disc(cx, cy, radius * 0.9f, face);
    img.ring(cx, cy, radius * 0.82f, radius * 0.04f, style::GOLD);
    float px = radius * 1.25f;
    f.sans.drawCodepoint(img, white ? 0x2654 : 0x265A, cx - px * 0.45f, cy + px * 0.36f, px, ink);
}

Image turnSign(const Fonts& f, bool white) {
    Image img(128, 128, {0, 0, 0, 0});
    coin(img, f, 64, 64, 60, white);
    return img;
}

Image cadre(const Fonts& f) {
    Canvas c(hud::CADRE_TURN, 2);
    style::glassPanel(c.img, {0, 0, float(c.img.width()), float(c.img.height())}, 16, 0.85f);
    Box centre = c.at(751, 59, 0, 0);
    c.img.ring(centre.x, centre.y, 34 * c.scale, 2.5f * c.scale, style::GOLD);
    Box cap = c.at(703, 98, 96, 22);
    f.sansBold.drawCentred(c.img, "TO MOVE", cap.x, cap.y, cap.w, cap.h, 12 * c.scale,
                           style::IVORY);
    return c.img;
}

Image playerSign(const Fonts& f, bool white) {
    Canvas c(hud::PLAYER_SIGN, 2);
    style::glassPanel(c.img, {0, 0, float(c.img.width()), float(c.img.height())}, 16, 0.85f);
    Box centre = c.at(49, 51, 0, 0);
    coin(c.img, f, centre.x, centre.y, 30 * c.scale, white);
    Box cap = c.at(5, 98, 88, 22);
    f.sansBold.drawCentred(c.img, white ? "YOU: WHITE" : "YOU: BLACK", cap.x, cap.y, cap.w, cap.h,
                           11 * c.scale, style::IVORY);
    return c.img;
}

Image pauseSign(const Fonts& f) {
    Canvas c(hud::PAUSE_SIGN, 2);
    style::glassPanel(c.img, {0, 0, float(c.img.width()), float(c.img.height())}, 16, 0.9f);
    Box bar1 = c.at(714, 24, 6, 24), bar2 = c.at(724, 24, 6, 24);
    c.img.roundRect(bar1.x, bar1.y, bar1.w, bar1.h, 2 * c.scale, style::GOLD);
    c.img.roundRect(bar2.x, bar2.y, bar2.w, bar2.h, 2 * c.scale, style::GOLD);
    Box t = c.at(734, 14, 62, 44);
    f.sansBold.drawCentred(c.img, "PAUSE", t.x, t.y, t.w, t.h, 16 * c.scale, style::IVORY);
    return c.img;
}

// A wide title band that fades out towards its top and bottom edges.
Image titleBand(const Fonts& f, const std::string& big, const std::string& small) {
    const int W = 1024, H = 333;
    Image img(W, H, {0, 0, 0, 0});
    for (int y = 0; y < H; ++y) {
        float t = float(y) / (H - 1), a = std::sin(t * float(M_PI));
        Rgba c = mix(rgb(0x16244a), rgb(0x050914), t);
        for (int x = 0; x < W; ++x) {
            float s = std::min(1.0f, std::min(x, W - 1 - x) / 120.0f);
            img.set(x, y, {c.r, c.g, c.b, std::pow(a, 0.6f) * 0.9f * s});
        }
    }
    img.roundRect(60, 70, W - 120, 2, 0, rgb(0xe8c36a, 0.8f));
    img.roundRect(60, H - 72, W - 120, 2, 0, rgb(0xe8c36a, 0.8f));
    float px = style::fitSize(f.serifBold, big, 110, W - 160);
    f.serifBold.drawCentred(img, big, 0, 85, W, 120, px, style::GOLD, 4);
    f.sans.drawCentred(img, small, 0, 205, W, 50, 30, style::IVORY, 2);
    return img;
}

// The quit banner. The game rebuilds its mesh as a flag whose texture rows run from the top
// of the picture at the wall's near edge to its bottom at the far edge, which seen from the
// menu camera is upside down; it is drawn as seen and stored flipped. Its two buttons sit
// where the game tests the clicks: x 2.3..3.4 (quit) and 3.5..4.7 (stay), z -1.9..-1.2.
Image quitBanner(const Fonts& f) {
    const int S = 512;
    Image img(S, S);
    style::background(img, 8, 30);
    f.serifBold.drawCentred(img, "Leave chess3d ?", 0, 120, S, 70, 44, style::GOLD, 3);
    f.sans.drawCentred(img, "The game in progress is not saved", 0, 200, S, 40, 20, style::MUTED,
                       1);
    const Box quitBtn{176, 330, 72, 44}, stayBtn{260, 330, 76, 44};
    style::plate(img, f.sansBold, quitBtn, "Quit", 22);
    style::plate(img, f.sansBold, stayBtn, "Stay", 22);
    return img.flippedV();
}

Image mouseCursor() {
    // An arrow with a dark outline, tip at the top-left pixel (the image's position).
    Image img(32, 32, {0, 0, 0, 0});
    auto inside = [](float x, float y) {
        // Arrow: triangle (0,0) (0,24) (17,17) plus a tail.
        bool tri = x >= 0 && y >= x && y <= 24 - x * (7.0f / 17.0f) && x <= 17;
        bool tail = (x - 6) * 0.94f + (y - 16) * -0.34f >= 0 && x >= 6 && x <= 12 && y >= 16 &&
                    y <= 28 && std::fabs((y - 16) - (x - 6) * 2.0f) <= 3.5f;
        return tri || tail;
    };
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            int in = 0, edge = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    float fx = x + (sx + 0.5f) / 4 - 1, fy = y + (sy + 0.5f) / 4 - 1;
                    if (inside(fx - 1.2f, fy - 1.5f))
                        in++;
                    else if (inside(fx - 0.2f, fy) || inside(fx - 2.2f, fy - 3.0f))
                        edge++;
                }
            if (edge) img.blend(x, y, rgb(0x000000), edge / 16.0f * 0.9f);
            if (in) img.blend(x, y, mix(rgb(0xffffff), rgb(0xe8c36a), y / 32.0f), in / 16.0f);
        }
    return img;
}

Image glow() {
    Image img(64, 64, {0, 0, 0, 0});
    img.glow(32, 32, 32, rgb(0xfff0c0));
    img.glow(32, 32, 10, {1, 1, 1, 1});
    return img;
}

} // namespace

std::vector<NamedPicture> panelPictures(const Fonts& f) {
    return {
        {tex::LOAD, fileScreen(f, hud::LOAD_PANEL, "Load a game", 11, false)},
        {tex::SAVE, fileScreen(f, hud::SAVE_PANEL, "Save the game", 10, true)},
        {tex::CLIENT, clientScreen(f)},
        {tex::INFO, glassStrip(hud::INFO_PANEL, 2, 10)},
        {tex::CHAT, glassStrip(hud::CHAT_PANEL, 1, 10)},
        {tex::WINDOW_BAR, windowBar(f)},
        {tex::SELECTION, selectionBar()},
        {tex::OK, okMark(f)},
        {tex::TURN_WHITE, turnSign(f, true)},
        {tex::TURN_BLACK, turnSign(f, false)},
        {tex::CADRE, cadre(f)},
        {tex::PLAYER_WHITE, playerSign(f, true)},
        {tex::PLAYER_BLACK, playerSign(f, false)},
        {tex::PAUSE, pauseSign(f)},
        {tex::INTRO, titleBand(f, "CHESS 3D", "a game of chess in three dimensions")},
        {tex::SUPPORT, titleBand(f, "Thank you for playing", "see you soon for another game")},
        {tex::QUIT, quitBanner(f)},
        {tex::MOUSE, mouseCursor()},
        {tex::GLOW, glow()},
    };
}

} // namespace assetgen
