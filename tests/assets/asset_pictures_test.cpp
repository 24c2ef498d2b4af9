// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures, fonts and music: sizes the game relies on, highlight rectangles that really
// change between a page and its "select" version (and nothing else does), complete font grids
// and a music loop without a click where it wraps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include <stb/stb_image.h>

#include "tests/assets/asset_data.h"
#include "tools/assetgen/names.h"

using namespace assetgen;
using assettest::diskPath;

namespace {

struct Pixels {
    int w = 0, h = 0;
    std::vector<unsigned char> rgb; // top row first, as stored in the file
    bool load(std::string_view dataPath) {
        int c = 0;
        unsigned char* p = stbi_load(diskPath(dataPath).c_str(), &w, &h, &c, 3);
        if (!p) return false;
        rgb.assign(p, p + size_t(w) * h * 3);
        stbi_image_free(p);
        return true;
    }
    int at(int x, int topRow, int ch) const { return rgb[(size_t(topRow) * w + x) * 3 + ch]; }
};

std::string selectPath(std::string_view plain) {
    std::string s(plain);
    return s.insert(s.size() - 4, "select");
}

} // namespace

TEST(AssetPictures, EveryPictureTheGameReadsHasItsSize) {
    for (const PictureFile& f : PICTURE_FILES) {
        int w = 0, h = 0, c = 0;
        ASSERT_TRUE(stbi_info(diskPath(f.path).c_str(), &w, &h, &c)) << f.path;
        EXPECT_EQ(w, f.width) << f.path;
        EXPECT_EQ(h, f.height) << f.path;
    }
}

// The game pastes a rectangle of the select picture into the plain one, the rectangle given
// in the bottom-up pixel buffer. Each must show a clear change; outside every rectangle the
// two pictures must agree (only compression noise), or pasting would leave seams.
TEST(AssetPictures, SelectVersionsDifferExactlyInTheHighlightRectangles) {
    for (const PictureFile& f : PICTURE_FILES) {
        std::string_view path = f.path;
        if (path.find("select") != std::string_view::npos || !path.ends_with(".jpg")) continue;
        Pixels plain, lit;
        ASSERT_TRUE(plain.load(path)) << path;
        ASSERT_TRUE(lit.load(selectPath(path))) << path;
        std::vector<bool> inside(size_t(plain.w) * plain.h, false);
        int rects = 0;
        for (const Highlight& hl : HIGHLIGHTS) {
            if (hl.picture != path) continue;
            ++rects;
            double diff = 0;
            for (int row = hl.y; row < hl.y + hl.h; ++row) {
                int top = plain.h - 1 - row; // bottom-up buffer row -> file row
                for (int x = hl.x; x < hl.x + hl.w; ++x) {
                    inside[size_t(top) * plain.w + x] = true;
                    for (int ch = 0; ch < 3; ++ch)
                        diff += std::abs(plain.at(x, top, ch) - lit.at(x, top, ch));
                }
            }
            diff /= hl.w * hl.h * 3.0;
            EXPECT_GT(diff, 12.0) << path << " entry " << hl.entry << " barely changes";
        }
        EXPECT_GT(rects, 0) << path;
        double outside = 0, worst = 0;
        int count = 0;
        for (int top = 0; top < plain.h; ++top)
            for (int x = 0; x < plain.w; ++x) {
                if (inside[size_t(top) * plain.w + x]) continue;
                double d = 0;
                for (int ch = 0; ch < 3; ++ch)
                    d += std::abs(plain.at(x, top, ch) - lit.at(x, top, ch));
                outside += d / 3;
                worst = std::max(worst, d / 3);
                ++count;
            }
        EXPECT_LT(outside / count, 1.0) << path << " differs outside its rectangles";
        EXPECT_LT(worst, 24.0) << path << " differs outside its rectangles";
    }
}

// The game pastes an engine's slot of engines.jpg over the computer page's well: the first slot
// is the well as the page shows it, every slot's edges match the page's (a paste shows no seam),
// and each other slot holds another name.
TEST(AssetPictures, EngineNamesFitTheComputerPageWell) {
    Pixels page, plates;
    ASSERT_TRUE(page.load(".\\textures\\Interfaces\\computer.jpg"));
    ASSERT_TRUE(plates.load(ENGINE_PLATES_FILE));
    ASSERT_EQ(plates.w, ENGINE_WELL_W);
    ASSERT_EQ(plates.h, ENGINE_WELL_H * ENGINE_PLATE_COUNT);
    const int W = ENGINE_WELL_W, H = ENGINE_WELL_H, top = page.h - ENGINE_WELL_Y - H;
    for (int slot = 0; slot < ENGINE_PLATE_COUNT; ++slot) {
        double all = 0, edge = 0, fromFirst = 0;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W * 3; ++x) { // x: the byte of a row (3 channels a pixel)
                const int plate = plates.at(x / 3, slot * H + y, x % 3);
                const double d = std::abs(plate - page.at(ENGINE_WELL_X + x / 3, top + y, x % 3));
                all += d;
                fromFirst += std::abs(plate - plates.at(x / 3, y, x % 3));
                if (x / 3 < 2 || y < 2 || x / 3 >= W - 2 || y >= H - 2) edge += d;
            }
        EXPECT_LT(edge / (3 * 4 * (W + H - 4)), 3.0) << "slot " << slot << " shows a seam";
        EXPECT_TRUE(slot == 0 ? all / (3 * W * H) < 2.0 : fromFirst / (3 * W * H) > 4.0) << slot;
    }
}

// 16 x 16 cells of Latin-1, character c at row c / 16 from the top. Printable characters
// (the chat's '§' among them) have ink; control codes have none; the classic font keeps its
// ink inside the 11.5 / 16 of the cell that its advance covers, so letters do not overlap.
TEST(AssetPictures, FontGridsHoldEveryLatin1Character) {
    for (const char* file : {".\\textures\\font.bmp", ".\\textures\\chatfont.bmp"}) {
        Pixels p;
        ASSERT_TRUE(p.load(file)) << file;
        int cell = p.w / 16;
        bool classic = std::strstr(file, "chat") == nullptr;
        int usable = classic ? int(std::ceil(cell * 11.5 / 16)) + 1 : cell;
        for (int c = 0; c < 256; ++c) {
            int ink = 0, overflow = 0;
            for (int y = 0; y < cell; ++y)
                for (int x = 0; x < cell; ++x) {
                    int v = p.at((c % 16) * cell + x, (c / 16) * cell + y, 0);
                    ink = std::max(ink, v);
                    if (x >= usable && v > 64) ++overflow;
                }
            bool printable = (c > 32 && c < 127) || c > 160;
            if (printable) {
                EXPECT_GT(ink, 128) << file << " character " << c;
            } else if (c != 32 && c != 160) {
                EXPECT_EQ(ink, 0) << file << " control code " << c;
            }
            EXPECT_EQ(overflow, 0) << file << " character " << c << " spills out of its advance";
        }
    }
}

TEST(AssetPictures, MusicIsAMinuteOf16BitPcmThatLoopsWithoutAClick) {
    FILE* f = std::fopen(diskPath(MUSIC_FILE).c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::vector<unsigned char> b;
    unsigned char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        b.insert(b.end(), buf, buf + n);
    std::fclose(f);
    ASSERT_GT(b.size(), 44u);
    auto u16 = [&](size_t o) { return b[o] | (b[o + 1] << 8); };
    auto u32 = [&](size_t o) { return uint32_t(u16(o)) | (uint32_t(u16(o + 2)) << 16); };
    ASSERT_EQ(std::memcmp(b.data(), "RIFF", 4), 0);
    ASSERT_EQ(std::memcmp(b.data() + 8, "WAVEfmt ", 8), 0);
    EXPECT_EQ(u16(20), 1);  // PCM
    EXPECT_EQ(u16(34), 16); // bits
    int channels = u16(22);
    uint32_t rate = u32(24);
    ASSERT_EQ(std::memcmp(b.data() + 36, "data", 4), 0);
    uint32_t bytes = u32(40);
    ASSERT_EQ(bytes + 44, b.size());
    size_t frames = bytes / (2 * channels);
    double seconds = double(frames) / rate;
    EXPECT_GT(seconds, 45.0);
    EXPECT_LT(seconds, 90.0);
    auto sample = [&](size_t frame, int ch) {
        return int16_t(u16(44 + (frame * channels + ch) * 2));
    };
    for (int ch = 0; ch < channels; ++ch) {
        std::vector<int> steps;
        int peak = 0;
        for (size_t i = 0; i + 1 < frames; ++i) {
            steps.push_back(std::abs(sample(i + 1, ch) - sample(i, ch)));
            peak = std::max(peak, std::abs(int(sample(i, ch))));
        }
        std::nth_element(steps.begin(), steps.begin() + steps.size() * 99 / 100, steps.end());
        int typical = steps[steps.size() * 99 / 100];
        int wrap = std::abs(sample(0, ch) - sample(frames - 1, ch));
        EXPECT_LE(wrap, typical) << "click where the loop wraps, channel " << ch;
        EXPECT_GT(peak, 8000) << "music too quiet";
    }
}

TEST(AssetPictures, GameSoundsAreShortPcmThatStartAndEndInSilence) {
    for (std::string_view name : SOUND_FILES) {
        FILE* f = std::fopen(diskPath(name).c_str(), "rb");
        ASSERT_NE(f, nullptr) << name;
        std::vector<unsigned char> b(1 << 20);
        b.resize(std::fread(b.data(), 1, b.size(), f));
        std::fclose(f);
        ASSERT_GT(b.size(), 44u) << name;
        auto u16 = [&](size_t o) { return b[o] | (b[o + 1] << 8); };
        ASSERT_EQ(std::memcmp(b.data(), "RIFF", 4), 0) << name;
        EXPECT_EQ(u16(20), 1) << name;             // PCM
        EXPECT_EQ(u16(34), 16) << name;            // bits
        const size_t frames = (b.size() - 44) / 4; // 16-bit stereo
        const double seconds = double(frames) / (u16(24) | u16(26) << 16);
        EXPECT_GT(seconds, 0.1) << name;
        EXPECT_LT(seconds, 2.0) << name;
        auto sample = [&](size_t frame) { return std::abs(int(int16_t(u16(44 + frame * 4)))); };
        int peak = 0;
        for (size_t i = 0; i < frames; ++i)
            peak = std::max(peak, sample(i));
        EXPECT_GT(peak, 8000) << name << " too quiet";
        EXPECT_LT(peak, 20000) << name << " too loud over the music";
        EXPECT_LT(sample(0), 200) << name << " clicks in";
        EXPECT_LT(sample(frames - 1), 200) << name << " clicks out";
    }
}
