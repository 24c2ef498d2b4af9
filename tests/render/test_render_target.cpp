// SPDX-License-Identifier: GPL-3.0-or-later
// Where frames are drawn: software renderers are told apart from hardware ones by name, and a
// frame drawn multisampled (as on hardware) reaches the window resolved, pixel for pixel as
// the same frame drawn straight into it; with bars beside a full screen's picture, texts and
// images reach the bars whichever way the frame is drawn.

#include "render_fixture.h"

#include "engine/render_state.h"

namespace {

TEST(RenderTarget, SoftwareRenderersAreToldByTheirName) {
    struct Case {
        const char* name;
        bool software;
    };
    const Case cases[] = {
        {"llvmpipe (LLVM 15.0.6, 256 bits)", true},
        {"softpipe", true},
        {"Mesa X11 Software Rasterizer", true},
        {"SWR (LLVM 11.0.1, 256 bits)", true},
        {"D3D12 (Microsoft Basic Render Driver)", true},
        {"zink (llvmpipe (LLVM 15.0.6, 256 bits))", true},
        {nullptr, true},
        {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", false},
        {"AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49, 6.1.0-13-amd64)", false},
        {"NVIDIA GeForce GTX 1060 6GB/PCIe/SSE2", false},
        {"SVGA3D; build: RELEASE; LLVM;", false},
        {"virgl (AMD Radeon RX 6600)", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KIsSoftwareRenderer(c.name), c.software) << (c.name ? c.name : "null");
}

// The mirrors tint by a texture's average: each channel on its own, taken once per picture.
TEST(RenderTarget, ATexturesAverageKeepsEachChannelApart) {
    KTexture tex(nullptr);
    tex.pixels = {255, 0, 0, 255, 0, 255, 0, 0, 0, 0, 51, 255};
    const KColor mean = KTextureMean(&tex);
    EXPECT_FLOAT_EQ(mean.r, 1.0f / 3);
    EXPECT_FLOAT_EQ(mean.g, 1.0f / 3);
    EXPECT_FLOAT_EQ(mean.b, 0.2f / 3);
    EXPECT_FLOAT_EQ(mean.a, 2.0f / 3);
}

class FrameTarget : public RenderTest {};

TEST_F(FrameTarget, AMultisampledFrameReachesTheWindowResolved) {
    addCamera({0, 0, 5}, {0, 0, 0});
    KObject* red =
        addQuad(addMaterial({1, 0, 0, 1}, true), {-2, -1, 0}, {0, -1, 0}, {0, 1, 0}, {-2, 1, 0});
    auto* translucent = addMaterial({0, 0, 1, 1}, true);
    translucent->blend = 1;
    translucent->opacity = 0.5f;
    addQuad(translucent, {-1, -0.5f, 1}, {1, -0.5f, 1}, {1, 0.5f, 1}, {-1, 0.5f, 1});
    auto* image = new KImage2D(scene);
    image->mat = addMaterial({1, 1, 0, 1}, true);
    image->x = image->y = 10;
    image->width = image->height = 20;

    const int probes[][2] = {{300, 20}, {100, 120}, {150, 120}, {200, 120}, {20, 20}};
    Rgb straight[5];
    render();
    for (int i = 0; i < 5; ++i)
        straight[i] = pixel(probes[i][0], probes[i][1]);
    EXPECT_RGB_NEAR(straight[1], 255, 0, 0);   // red alone
    EXPECT_RGB_NEAR(straight[2], 128, 0, 128); // blue blended over red
    EXPECT_RGB_NEAR(straight[4], 255, 255, 0); // the 2D image

    // The hardware path: drawn into a multisampled buffer, resolved at the end of the frame.
    KRenderState& rs = *screen->render;
    rs.samples = 4;
    render();
    EXPECT_NE(rs.msFbo, 0u) << "the multisampled buffer was refused";
    EXPECT_EQ(screen->samples, rs.samples);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const Rgb& s = straight[i];
        EXPECT_RGB_NEAR(pixel(probes[i][0], probes[i][1]), s.r, s.g, s.b);
    }
    // The buffer keeps the frame's state between frames like the window: a second frame with
    // the red quad gone shows the clear colour there.
    red->hidden = 1;
    render();
    EXPECT_RGB_NEAR(pixel(100, 120), 102, 77, 102);
    KFreeFrameTarget(rs);
    rs.samples = 0;
    screen->samples = 0;
}

// Full screen on a wider display, the window's manager left out: a 240 x 180 picture at
// (40, 30) in the 320 x 240 window. Images keep the picture's pixels and may stand on the bars,
// drawn straight, multisampled or with the scene filtered up.
TEST_F(FrameTarget, ImagesStandOnTheBarsBesideAFullScreenPicture) {
    addCamera({0, 0, 5}, {0, 0, 0});
    const int places[][2] = {{10, 10}, {-35, 60}, {245, 60}, {100, -25}}; // picture, L, R, top
    for (const auto& p : places) {
        auto* image = new KImage2D(scene);
        image->mat = addMaterial({1, 1, 0, 1}, true);
        image->x = p[0], image->y = p[1];
        image->width = image->height = 20;
    }
    screen->width = 240, screen->height = 180, screen->originX = 40, screen->originY = 30;
    KRenderState& rs = *screen->render;
    const float scaleBefore = GetRenderScaleSetting(screen);
    for (int path = 0; path < 3; ++path) {
        SCOPED_TRACE(path == 0 ? "straight" : path == 1 ? "multisampled" : "filtered up");
        rs.samples = path == 1 ? 4 : 0;
        SetRenderScale(screen, path == 2 ? 0.5f : 1.0f);
        render();
        for (const auto& p : places)
            EXPECT_RGB_NEAR(pixel(40 + p[0] + 10, 30 + p[1] + 10), 255, 255, 0);
        EXPECT_RGB_NEAR(pixel(20, 200), 0, 0, 0);       // the left bar elsewhere
        EXPECT_RGB_NEAR(pixel(160, 120), 102, 77, 102); // the picture's clear colour
    }
    screen->width = W, screen->height = H, screen->originX = screen->originY = 0;
    SetRenderScale(screen, scaleBefore);
    KFreeFrameTarget(rs);
    rs.samples = screen->samples = 0;
}

} // namespace
