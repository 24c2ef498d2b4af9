// SPDX-License-Identifier: GPL-3.0-or-later
// The heads-up panels against the window positions the game uses: the game places each
// object in front of the camera (60-degree vertical view, 800 x 600 window) and writes its
// texts and tests its clicks at fixed window pixels; the panels' pictures must lie under them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include <stb/stb_image.h>

#include "tests/assets/asset_data.h"

using assettest::diskPath;
using assettest::loadModel;

namespace {

// Window rectangle covered by an object's quad and the picture it shows.
struct Screen {
    double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9; // window pixels, y downwards
    std::string texture;
};

// The object's quad as seen on screen, the object standing at camera-space (ox, oy, -d).
Screen onScreen(const tinygltf::Model& m, const std::string& name, double ox, double oy, double d) {
    Screen s;
    const double pixel = d * std::tan(30.0 * M_PI / 180.0) / 300.0;
    for (const auto& n : m.nodes) {
        if (n.name != name) continue;
        const auto& prim = m.meshes[n.mesh].primitives[0];
        const auto& acc = m.accessors[prim.attributes.at("POSITION")];
        const auto& view = m.bufferViews[acc.bufferView];
        const float* p = reinterpret_cast<const float*>(m.buffers[0].data.data() + view.byteOffset +
                                                        acc.byteOffset);
        for (size_t i = 0; i < acc.count; ++i) {
            double x = 400 + (ox + p[i * 3]) / pixel, y = 300 - (oy + p[i * 3 + 1]) / pixel;
            s.x0 = std::min(s.x0, x);
            s.x1 = std::max(s.x1, x);
            s.y0 = std::min(s.y0, y);
            s.y1 = std::max(s.y1, y);
        }
        const auto& mat = m.materials[prim.material];
        int t = mat.pbrMetallicRoughness.baseColorTexture.index;
        if (t >= 0) s.texture = m.images[m.textures[t].source].uri;
    }
    return s;
}

void expectCovers(const Screen& s, double x0, double y0, double x1, double y1, const char* what) {
    EXPECT_LE(s.x0, x0) << what;
    EXPECT_LE(s.y0, y0) << what;
    EXPECT_GE(s.x1, x1) << what;
    EXPECT_GE(s.y1, y1) << what;
}

class Calibration : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string err;
        ASSERT_TRUE(loadModel(".\\M3D\\Option.m3d", option(), err)) << err;
    }
    static tinygltf::Model& option() {
        static tinygltf::Model m;
        return m;
    }
};

} // namespace

// The request buttons are clicked at window x 280..360 (accept) and 440..510 (refuse), y
// 350..375; the picture's buttons are highlighted in (30, 1, 70, 25) and (150, 1, 80, 25) of
// its bottom-up buffer. Every click point must fall on its own highlight rectangle.
TEST_F(Calibration, RequestButtonsLieUnderTheirClickAreas) {
    Screen s = onScreen(option(), "request", 0, 0, 2.0);
    ASSERT_EQ(s.texture, ".\\textures\\request.jpg");
    struct Button {
        int x0, x1, rx, rw;
    };
    const Button buttons[2] = {{281, 359, 30, 70}, {441, 509, 150, 80}};
    for (const Button& b : buttons)
        for (int x : {b.x0, b.x1})
            for (int y : {351, 374}) {
                double col = (x - s.x0) / (s.x1 - s.x0) * 256;
                double rowFromBottom = (s.y1 - y) / (s.y1 - s.y0) * 128;
                EXPECT_GE(col, b.rx) << x;
                EXPECT_LE(col, b.rx + b.rw) << x;
                EXPECT_GE(rowFromBottom, 1) << y;
                EXPECT_LE(rowFromBottom, 26) << y;
            }
    // The two question lines (y 285 and 305, from x 272) stay on the panel.
    expectCovers(s, 262, 285, 552, 321, "request text");
}

TEST_F(Calibration, PanelsLieUnderTheirTexts) {
    // File lines at x 260, y 210 + 20 i (11 on the load screen, 10 on the save screen) with
    // the save name at (260, 436); the address at (330, 315); info text at (272, 110); chat
    // lines from y 537 to 585; classic letters are 16 high and 11.5 apart.
    expectCovers(onScreen(option(), "load", 0, 0, 2.0), 250, 200, 500, 426 + 8, "load list");
    expectCovers(onScreen(option(), "save", 0, 0, 2.0), 250, 200, 500, 452 + 8, "save name");
    expectCovers(onScreen(option(), "client", 0, 0, 2.0), 320, 305, 330 + 19 * 11.5, 331,
                 "address");
    expectCovers(onScreen(option(), "info", 0, 0.7, 1.8), 266, 104, 272 + 33 * 11.5, 126,
                 "info line");
    expectCovers(onScreen(option(), "chat", 0, -1.0, 2.0), 20, 535, 780, 587, "chat lines");
    expectCovers(onScreen(option(), "windowBar", 0, 1.101, 2.0), 0, 0, 800, 20, "top strip");
}

// The selection bar moves by 0.0695 per line at distance 1.8, which is 20 window pixels, the
// spacing of the file lines: at every line it must sit over the 16 pixels of the text.
TEST_F(Calibration, SelectionBarCoversEachFileLine) {
    for (int i = 0; i < 11; ++i) {
        Screen s = onScreen(option(), "selectionBar", 0, 0.2837 - 0.0695 * i, 1.8);
        expectCovers(s, 255, 210 + 20 * i, 260 + 19 * 11.5, 226 + 20 * i, "selection bar");
        EXPECT_GT(s.y0, 210 + 20 * i - 8) << "bar reaches into the line above";
        EXPECT_LT(s.y1, 226 + 20 * i + 8) << "bar reaches into the line below";
    }
}

// The close box is clicked at window x 782..798 in the top 20 pixels: the window bar's
// picture must show its red box there.
TEST_F(Calibration, CloseBoxIsDrawnWhereItIsClicked) {
    Screen s = onScreen(option(), "windowBar", 0, 1.101, 2.0);
    int w = 0, h = 0, c = 0;
    unsigned char* p = stbi_load(diskPath(s.texture).c_str(), &w, &h, &c, 4);
    ASSERT_NE(p, nullptr) << s.texture;
    for (int x : {785, 790, 795})
        for (int y : {5, 10, 15}) {
            int px = int((x - s.x0) / (s.x1 - s.x0) * w), py = int((y - s.y0) / (s.y1 - s.y0) * h);
            const unsigned char* q = p + (size_t(py) * w + px) * 4;
            EXPECT_TRUE(q[0] > q[2] + 40 || (q[0] > 200 && q[1] > 200)) << x << "," << y;
        }
    stbi_image_free(p);
}
