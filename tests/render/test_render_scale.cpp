// SPDX-License-Identifier: GPL-3.0-or-later
// The render scale: the 3D scene drawn smaller and filtered up to the window, while what hangs
// under the camera, the texts and the 2D images keep the window's own resolution.

#include "render_fixture.h"

#include <vector>

namespace {

class RenderScale : public RenderTest {
protected:
    void TearDown() override {
        if (screen) SetRenderScale(screen, 1.0f);
        RenderTest::TearDown();
    }

    // Pixel (x, y from the top) of a frame is of colour c.
    static bool is(const std::vector<unsigned char>& f, int x, int y, const unsigned char (&c)[3]) {
        const size_t i = (size_t(H - 1 - y) * W + size_t(x)) * 3;
        return f[i] == c[0] && f[i + 1] == c[1] && f[i + 2] == c[2];
    }

    // The whole window as drawn, RGB, rows bottom-up.
    std::vector<unsigned char> frame() {
        std::vector<unsigned char> px(size_t(W) * H * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, W, H, GL_RGB, GL_UNSIGNED_BYTE, px.data());
        return px;
    }
};

TEST_F(RenderScale, HeadsUpObjectsTextsAndImagesKeepTheWindowsResolution) {
    addCamera({0, 0, 5}, {0, 0, 0});
    // The world: a black and white checker of texels a little smaller than a window pixel,
    // which a scene drawn at half size cannot hold.
    auto* checker = new KTexture(scene);
    checker->width = checker->height = 512;
    checker->filter = 0;
    checker->pixels.resize(512 * 512 * 4);
    for (int i = 0; i < 512 * 512; ++i) {
        const unsigned char v = ((i % 512) + (i / 512)) % 2 ? 255 : 0;
        for (int k = 0; k < 3; ++k)
            checker->pixels[size_t(i) * 4 + k] = v;
        checker->pixels[size_t(i) * 4 + 3] = 255;
    }
    auto* world = addMaterial({1, 1, 1, 1}, true);
    world->texture = checker;
    addQuad(world, {-4, -3, 0}, {4, -3, 0}, {4, 3, 0}, {-4, 3, 0});
    // Under the camera: a magenta panel with slanted edges; over everything, a red text and a
    // yellow image.
    auto* panel = addQuad(addMaterial({1, 0, 1, 1}, true), {-0.3f, -0.3f, 0}, {0.25f, -0.2f, 0},
                          {0.3f, 0.3f, 0}, {-0.2f, 0.25f, 0});
    panel->prs.SetPosition(0.5f, 0.2f, -2);
    panel->InsertAsChildOf(camera);
    auto* font = new KFont(scene);
    auto* glyphs = new KTexture(scene);
    glyphs->width = glyphs->height = 64;
    glyphs->filter = 0;
    glyphs->pixels.assign(64 * 64 * 4, 0);
    for (int y = 0; y < 4; ++y) // 'A' (column 1, row 4 from the top): a diagonal stroke
        std::fill_n(&glyphs->pixels[((63 - (4 * 4 + y)) * 64 + 4 + y) * 4], 4, 255);
    font->SetTexture(glyphs);
    font->BuildFontLists(16, 16, 13, 0);
    auto* text = new KTexte();
    text->SetTexte("AAAA");
    text->font = font;
    text->r = 1, text->g = text->b = 0;
    text->visible = 1;
    text->x = 23, text->y = 181;
    scene->AddTexte(text);
    auto* image = new KImage2D(scene);
    image->mat = addMaterial({1, 1, 0, 1}, true);
    image->x = 250, image->y = 30;
    image->width = 17, image->height = 11;

    SetRenderScale(screen, 1.0f);
    render();
    const std::vector<unsigned char> full = frame();
    const unsigned char MAGENTA[3] = {255, 0, 255}, RED[3] = {255, 0, 0}, YELLOW[3] = {255, 255, 0};
    int panelPixels = 0, inkPixels = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            panelPixels += is(full, x, y, MAGENTA), inkPixels += is(full, x, y, RED);
    ASSERT_GT(panelPixels, 500);
    ASSERT_GT(inkPixels, 30);

    for (float scale : {0.75f, 0.5f}) {
        SCOPED_TRACE(scale);
        SetRenderScale(screen, scale);
        render();
        EXPECT_EQ(GetRenderScale(screen), scale);
        EXPECT_EQ(scene->stats.renderScale, scale);
        const std::vector<unsigned char> scaled = frame();
        // Every pixel of the panel, the text's ink and the image where it was at full size, and
        // nowhere else: their edges fall on the same window pixels.
        int moved = 0, worldChanged = 0, world = 0;
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x) {
                for (const auto* c : {&MAGENTA, &RED, &YELLOW})
                    moved += is(full, x, y, *c) != is(scaled, x, y, *c);
                const bool inWorld = x > 20 && x < 120 && y > 20 && y < 120;
                if (!inWorld) continue;
                ++world;
                const size_t i = (size_t(H - 1 - y) * W + size_t(x)) * 3;
                worldChanged += full[i] != scaled[i];
            }
        }
        EXPECT_EQ(moved, 0);
        // The world itself was drawn smaller: its fine checker is gone.
        EXPECT_GT(worldChanged, world / 4);
    }
}

} // namespace
