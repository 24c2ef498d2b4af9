#include "tools/assetgen/pictures.h"

#include "tools/assetgen/names.h"
#include "tools/assetgen/style.h"

namespace assetgen {

namespace {

using style::Box;

// Where each label sits inside its highlight rectangle (bottom-up x, y, w, h like the
// rectangles). The menu camera looks up at the wall from below and in front, and the cubes
// near the pointer swell towards it, which pulls what the pointer covers towards the bottom
// centre of the picture. Each label therefore sits in the part of its rectangle nearest to
// where its hover region shows under the pointer, so that pointing at the words highlights
// them.
struct Label {
    int entry;
    const char* text;
    int x, y, w, h;
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
         {{1, "New game", 78, 154, 128, 30},
          {2, "Load", 264, 154, 74, 30},
          {5, "Save", 394, 154, 74, 30},
          {6, "Water", 118, 40, 88, 30},
          {7, "Quit", 344, 40, 70, 30}}},
        {"newgame",
         "NEW GAME",
         "Choose your opponent",
         {{3, "Against the computer", 26, 70, 210, 30}, {10, "Network game", 284, 70, 160, 30}}},
        {"multiplayer",
         "NETWORK GAME",
         "Host a game, or join one",
         {{3, "Host", 130, 74, 66, 28}, {4, "Join", 304, 74, 66, 28}}},
        {"color",
         "CHOOSE YOUR SIDE",
         "You play the colour you pick",
         {{1, "Black", 128, 70, 78, 30}, {0, "White", 294, 70, 78, 30}}},
    };
    return p;
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
    // A quiet row of pieces between the two rows of entries of the main page, a pair of
    // kings above the colour choices.
    std::string stem = d.name;
    if (stem == "general") {
        const int glyphs[] = {0x265C, 0x265E, 0x265D, 0x265B, 0x265A, 0x265D, 0x265E, 0x265C};
        for (int i = 0; i < 8; ++i)
            fonts.sans.drawCodepoint(img, glyphs[i], 120 + i * 36.0f, 150, 30,
                                     rgb(0xe8c36a, 0.35f));
    } else if (stem == "color") {
        // Each side's king on a gold medallion: a black king for Black, a white one with a
        // dark outline for White.
        const float cx[2] = {167, 333};
        for (float x : cx) {
            img.disc(x, 124, 25, style::GOLD_DARK);
            img.disc(x, 124, 22.5f, rgb(0xd9bc78));
        }
        fonts.sans.drawCodepoint(img, 0x265A, cx[0] - 16, 138, 36, rgb(0x101010));
        fonts.sans.drawCodepoint(img, 0x265A, cx[1] - 16, 138, 36, style::IVORY);
        fonts.sans.drawCodepoint(img, 0x2654, cx[1] - 16, 138, 36, rgb(0x101010));
    }
    for (const Label& l : d.labels)
        style::plate(img, fonts.sansBold, style::fromBottomUp(l.x, l.y, l.w, l.h, H), l.text, 22);
    Image lit = img;
    Image select = img;
    for (const Label& l : d.labels) {
        const Highlight* h = findHighlight(pair.plainPath, l.entry);
        Box area = style::fromBottomUp(h->x, h->y, h->w, h->h, H);
        Image one = img;
        style::plateLit(one, fonts.sansBold, style::fromBottomUp(l.x, l.y, l.w, l.h, H), area,
                        l.text, 22);
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
