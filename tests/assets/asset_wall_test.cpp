// SPDX-License-Identifier: GPL-3.0-or-later
// The menu wall and the quit banner seen from the menu camera: a pointer in the middle of each
// hover region of the game must rest on its label's words, and the banner's buttons must lie
// where the game tests the quit clicks. The scene is rebuilt here the way the game builds it
// (cube tiles on the plane y = 16, the lens that swells the cubes near the pointer, the flag
// mesh of the banner) and the picture pixel under the pointer is looked up.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include <stb/stb_image.h>

#include "tests/assets/asset_data.h"

using assettest::diskPath;

namespace {

constexpr double CAM_X = 3.5, CAM_Y = 6.0, CAM_Z = -4.0; // the menu view

struct Picture {
    int w = 0, h = 0;
    std::vector<unsigned char> rgb; // top row first
    explicit Picture(const std::string& dataPath) {
        int c = 0;
        unsigned char* p = stbi_load(diskPath(dataPath).c_str(), &w, &h, &c, 3);
        if (p) rgb.assign(p, p + size_t(w) * h * 3);
        stbi_image_free(p);
    }
    double luminance(int x, int top) const {
        const unsigned char* q = &rgb[(size_t(top) * w + x) * 3];
        return 0.3 * q[0] + 0.59 * q[1] + 0.11 * q[2];
    }
    // Brightest luminance within `radius` pixels of (x, top).
    double brightestNear(int x, int top, int radius) const {
        double best = 0;
        for (int j = top - radius; j <= top + radius; ++j)
            for (int i = x - radius; i <= x + radius; ++i)
                if (i >= 0 && j >= 0 && i < w && j < h) best = std::max(best, luminance(i, j));
        return best;
    }
};

// Picture position (u from the left, v from the bottom, 0..1) seen under the pointer (px, pz)
// of the wall plane, the cubes swollen by the lens around that pointer; none when the ray
// passes between cubes.
std::optional<std::pair<double, double>> wallPixelUnderPointer(double px, double pz) {
    std::optional<std::pair<double, double>> hit;
    double nearest = 1e9;
    for (int i = 0; i < 16; ++i)
        for (int j = 0; j < 8; ++j) {
            double cx = i - 4, cz = j - 3;
            double f = std::cos((cx - px) * 0.2) * std::cos((cz - pz) * 0.2) * 1.2;
            double s = f > 1.0 ? 1.0 : f <= 0.3 ? 0.3 : f;
            double bottom = 16 - 1.3 * f - 0.5 * s; // the face turned down to the camera
            double t = (bottom - CAM_Y) / (16 - CAM_Y);
            double qx = CAM_X + (px - CAM_X) * t, qz = CAM_Z + (pz - CAM_Z) * t;
            if (std::fabs(qx - cx) < s / 2 && std::fabs(qz - cz) < s / 2 && t < nearest) {
                nearest = t;
                hit = {{(i + (qx - cx) / s + 0.5) / 16, (j + (qz - cz) / s + 0.5) / 8}};
            }
        }
    return hit;
}

} // namespace

// The game's hover table: page picture, x and z ranges on the wall plane.
TEST(AssetWall, PointerInTheMiddleOfEachHoverRegionRestsOnItsLabel) {
    struct Region {
        const char* picture;
        int entry;
        double x0, x1, z0, z1;
    };
    const Region regions[] = {
        {"general", 1, -2.6, 2.2, 0.6, 1.7},      {"general", 2, 3.7, 6.0, 0.6, 1.7},
        {"general", 5, 7.5, 9.6, 0.6, 1.7},       {"general", 6, -1.3, 2.1, -2.4, -1.2},
        {"general", 7, 6.0, 8.1, -2.3, -1.2},     {"newgame", 3, -3.1, 2.8, -1.6, -0.5},
        {"newgame", 10, 4.3, 10.1, -1.6, -0.5},   {"multiplayer", 3, -0.1, 1.8, -1.6, -0.6},
        {"multiplayer", 4, 4.9, 7.6, -1.6, -0.6}, {"color", 1, -0.3, 2.1, -1.6, -0.6},
        {"color", 0, 4.7, 7.5, -1.6, -0.6},       {"computer", 1, -2.7, -1.2, -1.7, -0.7},
        {"computer", 2, -0.55, 0.95, -1.7, -0.7}, {"computer", 3, 1.65, 3.15, -1.7, -0.7},
        {"computer", 4, 3.85, 5.35, -1.7, -0.7},  {"computer", 5, 6.05, 7.55, -1.7, -0.7},
        {"computer", 6, 8.2, 9.7, -1.7, -0.7},    {"computer", 11, -3.9, -2.1, 0.65, 1.75},
        {"computer", 12, 9.1, 10.9, 0.65, 1.75}};
    for (const Region& r : regions) {
        Picture pic(std::string(".\\textures\\Interfaces\\") + r.picture + ".jpg");
        ASSERT_FALSE(pic.rgb.empty()) << r.picture;
        auto uv = wallPixelUnderPointer((r.x0 + r.x1) / 2, (r.z0 + r.z1) / 2);
        ASSERT_TRUE(uv) << r.picture << " entry " << r.entry;
        int x = int(uv->first * pic.w), top = int((1 - uv->second) * pic.h);
        // Label words are ivory; the page's background, frames and titles are darker.
        EXPECT_GT(pic.brightestNear(x, top, 10), 215)
            << r.picture << " entry " << r.entry << ": no label under the pointer at picture (" << x
            << ", " << top << ")";
    }
}

// The banner hangs at (3.5, 16.5, 0), turned (90, 0, 0), scale 3; the game rebuilds it as a
// flag whose vertex (r, c) lies at (-1.28 + 0.08 c, -1.28 + 0.08 r) with texture u = c / 32
// and v = 1 - r / 32 (v from the bottom of the picture). Quit is clicked at x 2.3..3.4, stay
// at 3.5..4.7, both at z -1.9..-1.2 on the plane y = 16.
TEST(AssetWall, QuitBannerButtonsLieWhereTheClicksAreTested) {
    Picture pic(".\\textures\\quit.png");
    ASSERT_FALSE(pic.rgb.empty());
    auto pixelUnder = [&](double px, double pz) {
        double t = (16.5 - CAM_Y) / (16 - CAM_Y); // the flat banner, before it waves
        double bx = CAM_X + (px - CAM_X) * t, bz = CAM_Z + (pz - CAM_Z) * t;
        double c = ((bx - 3.5) / 3 + 1.28) / 0.08, r = (bz / 3 + 1.28) / 0.08;
        double u = c / 32, v = 1 - r / 32;
        return std::pair<int, int>{int(u * pic.w), int((1 - v) * pic.h)};
    };
    for (double x : {2.85, 4.1}) {
        auto [px, top] = pixelUnder(x, -1.55);
        EXPECT_GT(pic.brightestNear(px, top, 14), 215) << "no button at x " << x;
        // Seen the other way up the same place would be empty: the picture must be stored
        // upside down for the flag's texture rows.
        EXPECT_LT(pic.brightestNear(px, pic.h - 1 - top, 14), 200) << "banner not flipped";
    }
}
