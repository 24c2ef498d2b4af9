// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/assetgen/pictures.h"

#include <algorithm>

#include "tools/assetgen/names.h"
#include "tools/assetgen/style.h"

namespace assetgen {

namespace {

using style::Box;

// Where each entry is drawn. The menu camera looks up at the wall from below and in front,
// and the cubes near the pointer swell towards it; together they make the pointer cover, on
// screen, picture rows lower than the entry's highlight rectangle: for the regions of the
// game's hover table the covered rows lie just under the rectangle (rows 102..129 of the
// main page's top row, 26..54 of its bottom row, 46..72 on the other pages). So each label
// sits on the rows its hover region shows, and its rectangle holds a lamp (an icon) right
// above it that lights up on hover; where the rectangle reaches down to the hover rows (Water,
// Quit) the label lies inside it and lights up too. Label boxes are x, y, w, h in the
// bottom-up buffer, like the rectangles.
struct Label {
    int entry;
    const char* text;
    int x, y, w, h;
    int icon;   // Unicode code point of the lamp's symbol
    int lampDx; // 0: lamp above the label; else beside it, this far from the label's centre
};

struct PageDesc {
    const char* name; // file stem under .\textures\Interfaces
    const char* title;
    const char* subtitle;
    std::vector<Label> labels;
};

const std::vector<PageDesc>& pages() {
    static const std::vector<PageDesc> p = {
        {"general",
         "CHESS 3D",
         nullptr,
         {{1, "New game", 90, 103, 128, 28, 0x2658, 0},
          {2, "Load", 258, 103, 72, 28, 0x21A5, 0},
          {5, "Save", 370, 103, 72, 28, 0x21A7, 0},
          {6, "Water", 118, 38, 88, 24, 0x2248, -66},
          {8, "Resign", 250, 38, 82, 24, 0x2690, -58},
          {7, "Quit", 342, 38, 54, 24, 0x2715, 45}}},
        {"newgame",
         "NEW GAME",
         "Choose your opponent",
         {{3, "Computer", 100, 38, 120, 26, 0x2656, 0},
          {10, "Network game", 284, 38, 150, 26, 0x21C4, 0}}},
        {"multiplayer",
         "NETWORK GAME",
         "Host a game, or join one",
         {{3, "Host", 140, 42, 70, 26, 0x2302, 0}, {4, "Join", 298, 42, 66, 26, 0x2192, 0}}},
        {"color",
         "CHOOSE YOUR SIDE",
         "You play the colour you pick",
         {{1, "Black", 140, 38, 74, 26, 0x265A, 0}, {0, "White", 290, 38, 74, 26, 0x2654, 0}}},
    };
    return p;
}

// The lamp of an entry: a medallion with its symbol, dim on the plain picture, lit gold on
// the select one. The kings of the colour page stand on a light medallion in their own
// colours, Black's king black and White's white with a dark outline.
void lamp(Image& img, const Fonts& f, float cx, float cy, float r, int icon, bool lit,
          Box area = {}) {
    bool king = icon == 0x2654 || icon == 0x265A;
    if (lit) {
        style::glowInside(img, cx, cy, r * 2.2f, rgb(0xffd27a, 0.8f), area);
        img.disc(cx, cy, r, rgb(0xffe7a8));
        img.ring(cx, cy, r, 2, rgb(0xfff4d0));
    } else {
        img.disc(cx, cy, r, king ? rgb(0xb39655) : rgb(0x0a1022, 0.6f));
        img.ring(cx, cy, r, 1.5f, style::GOLD_DARK);
    }
    float px = r * 1.4f;
    auto centred = [&](int cp, Rgba ink) {
        int w, h, xo, yo;
        f.sans.glyph(cp, px, w, h, xo, yo);
        f.sans.drawCodepoint(img, cp, cx - (xo + w / 2.0f), cy - (yo + h / 2.0f), px, ink);
    };
    if (icon == 0x2654) {
        centred(0x265A, style::IVORY);
        centred(0x2654, rgb(0x101010));
    } else {
        centred(icon, king || lit ? rgb(0x101010) : rgb(0xe8c36a, 0.85f));
    }
}

std::string picturePath(const std::string& stem) {
    return ".\\textures\\Interfaces\\" + stem + ".jpg";
}

const Highlight* findHighlight(const std::string& path, int entry) {
    for (const Highlight& h : HIGHLIGHTS)
        if (h.picture == path && h.entry == entry) return &h;
    return nullptr;
}

PicturePair page(const Fonts& fonts, const PageDesc& d) {
    const int W = 512, H = 256;
    PicturePair pair;
    pair.plainPath = picturePath(d.name);
    pair.selectPath = picturePath(std::string(d.name) + "select");
    Image img(W, H);
    style::background(img, 5, 14);
    // Title and subtitle in the upper band, clear of the entries.
    float titlePx = style::fitSize(fonts.serifBold, d.title, 38, 440);
    fonts.serifBold.drawCentred(img, d.title, 0, d.subtitle ? 12 : 10, W, 44, titlePx, style::GOLD,
                                2);
    if (d.subtitle) fonts.sans.drawCentred(img, d.subtitle, 0, 58, W, 22, 16, style::MUTED, 1);
    // Each lamp stands in its rectangle over the middle of its label, or beside the label
    // where the label fills the rectangle's height.
    struct Lamp {
        float x, y, r;
    };
    std::vector<Lamp> lamps;
    for (const Label& l : d.labels) {
        const Highlight* h = findHighlight(pair.plainPath, l.entry);
        Box area = style::fromBottomUp(h->x, h->y, h->w, h->h, H);
        Box label = style::fromBottomUp(l.x, l.y, l.w, l.h, H);
        Lamp lp{std::clamp(label.x + label.w / 2, area.x + 20, area.x + area.w - 20),
                area.y + area.h / 2, 17};
        if (l.lampDx != 0) lp = {label.x + label.w / 2 + l.lampDx, label.y + label.h / 2, 13};
        lamps.push_back(lp);
        lamp(img, fonts, lp.x, lp.y, lp.r, l.icon, false);
        style::plate(img, fonts.sansBold, label, l.text, 21);
    }
    Image select = img;
    for (size_t k = 0; k < d.labels.size(); ++k) {
        const Label& l = d.labels[k];
        const Highlight* h = findHighlight(pair.plainPath, l.entry);
        Box area = style::fromBottomUp(h->x, h->y, h->w, h->h, H);
        Image one = img;
        style::plateLit(one, fonts.sansBold, style::fromBottomUp(l.x, l.y, l.w, l.h, H), area,
                        l.text, 21);
        lamp(one, fonts, lamps[k].x, lamps[k].y, lamps[k].r, l.icon, true, area);
        select = style::keepInside(select, one, area);
    }
    pair.plain = img;
    pair.select = select;
    return pair;
}

PicturePair request(const Fonts& fonts) {
    const int W = 256, H = 128;
    PicturePair pair;
    pair.plainPath = ".\\textures\\request.jpg";
    pair.selectPath = ".\\textures\\requestselect.jpg";
    Image img(W, H);
    style::background(img, 3, 10);
    fonts.serifBold.drawCentred(img, "Request", 0, 6, W, 28, 18, style::GOLD, 1.5f);
    // The two text lines of the question are written over this well (window y 285 and 305
    // fall on picture rows 54 and 70 with the panel at window y 217..377).
    img.roundRect(14, 46, W - 28, 48, 8, rgb(0x04070f, 0.55f));
    img.roundRect(14, 46, W - 28, 48, 8, rgb(0xe8c36a, 0.35f), 1.0f);
    // Buttons: the click areas are window x 280..360 and 440..510 at y 350..375, which are
    // picture columns 32..96 and 160..216 on the bottom 26 rows.
    const Box accept{34, 104, 62, 20}, refuse{160, 104, 58, 20};
    style::plate(img, fonts.sansBold, accept, "Accept", 13);
    style::plate(img, fonts.sansBold, refuse, "Refuse", 13);
    Image select = img;
    const Box areas[2] = {style::fromBottomUp(30, 1, 70, 25, H),
                          style::fromBottomUp(150, 1, 80, 25, H)};
    const Box plates[2] = {accept, refuse};
    const char* texts[2] = {"Accept", "Refuse"};
    for (int i = 0; i < 2; ++i) {
        Image one = img;
        style::plateLit(one, fonts.sansBold, plates[i], areas[i], texts[i], 13);
        select = style::keepInside(select, one, areas[i]);
    }
    pair.plain = img;
    pair.select = select;
    return pair;
}

} // namespace

std::vector<PicturePair> menuPictures(const Fonts& fonts) {
    std::vector<PicturePair> out;
    for (const PageDesc& d : pages())
        out.push_back(page(fonts, d));
    out.push_back(request(fonts));
    return out;
}

} // namespace assetgen
