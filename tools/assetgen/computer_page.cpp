// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/assetgen/computer_page.h"

#include <iterator>

#include "platform/installed_engines.h"
#include "tools/assetgen/names.h"
#include "tools/assetgen/style.h"

namespace assetgen {

namespace {

using style::Box;

constexpr int W = 512, H = 256;
constexpr int LEFT_ARROW = 0x25C0, RIGHT_ARROW = 0x25B6; // filled triangles

const char* const PAGE = ".\\textures\\Interfaces\\computer.jpg";
const char* const PAGE_SELECT = ".\\textures\\Interfaces\\computerselect.jpg";
const char* const OTHER_ENGINE = "Other engine";

const Highlight& highlightOf(int entry) {
    for (const Highlight& h : HIGHLIGHTS)
        if (h.picture == PAGE && h.entry == entry) return h;
    return HIGHLIGHTS[0]; // every entry drawn here has its rectangle in the table
}

Box areaOf(int entry) {
    const Highlight& h = highlightOf(entry);
    return style::fromBottomUp(h.x, h.y, h.w, h.h, H);
}

// An entry's plate inside its rectangle, leaving the rectangle's margin to the glow.
Box plateOf(int entry) {
    const Box a = areaOf(entry);
    return {a.x + 6, a.y + 6, a.w - 12, a.h - 12};
}

Box wellBox() {
    return style::fromBottomUp(ENGINE_WELL_X, ENGINE_WELL_Y, ENGINE_WELL_W, ENGINE_WELL_H, H);
}

void arrow(Image& img, const Font& f, Box plate, int codepoint, Rgba ink) {
    const float px = plate.h * 0.62f;
    int w, h, xo, yo;
    f.glyph(codepoint, px, w, h, xo, yo);
    f.drawCodepoint(img, codepoint, plate.x + plate.w / 2 - (xo + w / 2.0f),
                    plate.y + plate.h / 2 - (yo + h / 2.0f), px, ink);
}

// The page as the player first sees it, the well holding `engine`.
Image plainPage(const Fonts& fonts, const char* engine) {
    Image img(W, H);
    style::background(img, 5, 14);
    fonts.serifBold.drawCentred(img, "THE COMPUTER", 0, 10, W, 44, 36, style::GOLD, 2);
    fonts.sans.drawCentred(img, "Its engine", 0, 92, W, 22, 15, style::MUTED, 1);
    fonts.sans.drawCentred(img, "Its level : click one to play", 0, 160, W, 20, 15, style::MUTED,
                           1);
    const Box well = wellBox();
    img.roundRect(well.x, well.y, well.w, well.h, 9, rgb(0x04070f, 0.55f));
    img.roundRect(well.x, well.y, well.w, well.h, 9, rgb(0xe8c36a, 0.35f), 1.0f);
    const float px = style::fitSize(fonts.sansBold, engine, 21, well.w - 24);
    fonts.sansBold.drawCentred(img, engine, well.x, well.y, well.w, well.h, px, style::IVORY, 1.5f);

    for (int level = 1; level <= 6; ++level)
        style::plate(img, fonts.sansBold, plateOf(level), std::to_string(level), 21);
    const Box weakest = plateOf(1), strongest = plateOf(6);
    fonts.sans.drawCentred(img, "weakest", weakest.x - 66, weakest.y, 60, weakest.h, 13,
                           style::MUTED, 1);
    fonts.sans.drawCentred(img, "strongest", strongest.x + strongest.w + 4, strongest.y, 70,
                           strongest.h, 13, style::MUTED, 1);
    for (int entry : {11, 12}) {
        style::plate(img, fonts.sansBold, plateOf(entry), "", 21);
        arrow(img, fonts.sans, plateOf(entry), entry == 11 ? LEFT_ARROW : RIGHT_ARROW,
              style::IVORY);
    }
    return img;
}

} // namespace

PicturePair computerPage(const Fonts& fonts) {
    PicturePair pair;
    pair.plainPath = PAGE;
    pair.selectPath = PAGE_SELECT;
    pair.plain = plainPage(fonts, BUILTIN_ENGINE_NAME);
    pair.select = pair.plain;
    for (int entry : {1, 2, 3, 4, 5, 6, 11, 12}) {
        Image one = pair.plain;
        const bool isArrow = entry > 6;
        style::plateLit(one, fonts.sansBold, plateOf(entry), areaOf(entry),
                        isArrow ? "" : std::to_string(entry), 21);
        if (isArrow)
            arrow(one, fonts.sans, plateOf(entry), entry == 11 ? LEFT_ARROW : RIGHT_ARROW,
                  style::NAVY);
        pair.select = style::keepInside(pair.select, one, areaOf(entry));
    }
    return pair;
}

NamedPicture enginePlates(const Fonts& fonts) {
    std::vector<const char*> names{BUILTIN_ENGINE_NAME};
    for (const KnownUciEngine& e : KNOWN_UCI_ENGINES)
        names.push_back(e.name);
    names.push_back(OTHER_ENGINE);
    // ENGINE_PLATE_COUNT is what the game reads: the table and the picture must agree.
    static_assert(std::size(KNOWN_UCI_ENGINES) + 2 == ENGINE_PLATE_COUNT);

    NamedPicture out{std::string(ENGINE_PLATES_FILE),
                     Image(ENGINE_WELL_W, ENGINE_WELL_H * ENGINE_PLATE_COUNT)};
    const Box well = wellBox();
    for (size_t k = 0; k < names.size(); ++k) {
        const Image page = plainPage(fonts, names[k]);
        for (int y = 0; y < ENGINE_WELL_H; ++y)
            for (int x = 0; x < ENGINE_WELL_W; ++x)
                out.image.set(x, int(k) * ENGINE_WELL_H + y,
                              page.get(int(well.x) + x, int(well.y) + y));
    }
    return out;
}

} // namespace assetgen
