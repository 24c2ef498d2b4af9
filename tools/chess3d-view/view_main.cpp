// SPDX-License-Identifier: GPL-3.0-or-later
// chess3d-view: renders the game's data with the game's engine into a PNG, without playing.
//
//   chess3d-view <model file> <png> [--object NAME] [--yaw D] [--pitch D] [--distance F]
//                                   [--decor]
//   chess3d-view scene <png> [--view 0..3] [--camera X Y Z PITCH YAW] [--marks]
//                     [--hud load,info,intro,...]
//   chess3d-view wall <png> [--page 0|1|10|3|11] [--pointer X Z]
//   chess3d-view icon <folder>: the desktop icon, chess3d-48.png to chess3d-256.png, drawn four
//                     times larger and reduced (no multisampling in software), its background
//                     transparent (drawn over black and over white, the difference is the alpha)
//   common: [--size W H]
//
// Run it from the data folder (the build's bin folder). Without a display it uses SDL's
// offscreen driver; under Xvfb it uses the X server.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <epoxy/gl.h>
#include <stb/stb_image_write.h>

#include "engine/KivEngine.h"
#include "tools/chess3d-view/view_scenes.h"

using namespace chess3dview;

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: chess3d-view <model file>|scene|wall <png> [--object NAME] [--yaw D]\n"
                 "       [--pitch D] [--distance F] [--decor] [--view N] [--marks]\n"
                 "       [--camera X Y Z PITCH YAW] [--hud a,b,...] [--page P] [--pointer X Z]\n"
                 "       [--size W H]\n");
    return 2;
}

constexpr int ICON_SIZES[] = {48, 64, 128, 256};
constexpr int ICON_SUPERSAMPLE = 4;

// The icon's picture at `size` x `size`, RGBA top-down; empty when it could not be drawn.
std::vector<unsigned char> renderIcon(int size, const ViewOptions& opt) {
    const int big = size * ICON_SUPERSAMPLE;
    std::vector<unsigned char> out;
    KScene* scene = CreateScene();
    KScreen* screen = CreateWindowedScreen(big, big);
    if (!screen) return out;
    scene->screenWidth = scene->screenHeight = big;
    KNodeGraph* camera = buildIconScene(scene, opt);
    if (!camera) {
        delete screen;
        return out;
    }
    // The same picture over black and over white.
    std::vector<unsigned char> over[2];
    for (int background = 0; background < 2; ++background) {
        const float c = float(background);
        for (int frame = 0; frame < 2; ++frame) // the first uploads meshes and textures
            RenderScene(scene, screen, camera, KVector(c, c, c), false);
        glFinish();
        over[background].resize(size_t(big) * big * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, big, big, GL_RGBA, GL_UNSIGNED_BYTE, over[background].data());
    }
    delete screen;
    scene->Reset();
    // Each output pixel: the average of its block, colours weighted by their alpha.
    out.resize(size_t(size) * size * 4);
    const float blockArea = float(ICON_SUPERSAMPLE * ICON_SUPERSAMPLE);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float sum[3] = {0, 0, 0}, alphaSum = 0;
            for (int by = 0; by < ICON_SUPERSAMPLE; ++by) {
                for (int bx = 0; bx < ICON_SUPERSAMPLE; ++bx) {
                    // Rows read bottom-up.
                    const int sy = big - 1 - (y * ICON_SUPERSAMPLE + by);
                    const size_t i = (size_t(sy) * big + size_t(x * ICON_SUPERSAMPLE + bx)) * 4;
                    float alpha = 0;
                    for (int k = 0; k < 3; ++k)
                        alpha += 1.0f - (over[1][i + k] - over[0][i + k]) / 255.0f;
                    alpha = std::clamp(alpha / 3, 0.0f, 1.0f);
                    for (int k = 0; k < 3; ++k)
                        sum[k] += over[0][i + k] / 255.0f; // over black: colour times alpha
                    alphaSum += alpha;
                }
            }
            unsigned char* px = &out[(size_t(y) * size + size_t(x)) * 4];
            const float a = alphaSum / blockArea;
            for (int k = 0; k < 3; ++k)
                px[k] = a > 0 ? static_cast<unsigned char>(
                                    std::clamp(sum[k] / blockArea / a, 0.0f, 1.0f) * 255 + 0.5f)
                              : 0;
            px[3] = static_cast<unsigned char>(a * 255 + 0.5f);
        }
    }
    return out;
}

int writeIcons(const std::string& folder, const ViewOptions& opt) {
    KivInitDLL();
    int status = 0;
    for (int size : ICON_SIZES) {
        const std::vector<unsigned char> px = renderIcon(size, opt);
        const std::string path = folder + "/chess3d-" + std::to_string(size) + ".png";
        stbi_flip_vertically_on_write(0);
        if (px.empty() || !stbi_write_png(path.c_str(), size, size, 4, px.data(), size * 4)) {
            std::fprintf(stderr, "chess3d-view: cannot make %s\n", path.c_str());
            status = 1;
        }
    }
    KivFreeDLL();
    return status;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    std::string what = argv[1], out = argv[2];
    ViewOptions opt;
    int width = 1024, height = 768;
    for (int i = 3; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : "0"; };
        if (a == "--object")
            opt.object = next();
        else if (a == "--yaw")
            opt.yaw = std::strtof(next(), nullptr);
        else if (a == "--pitch")
            opt.pitch = std::strtof(next(), nullptr);
        else if (a == "--distance")
            opt.distance = std::strtof(next(), nullptr);
        else if (a == "--decor")
            opt.decor = true;
        else if (a == "--marks")
            opt.marks = true;
        else if (a == "--view")
            opt.view = std::atoi(next());
        else if (a == "--hud")
            opt.hud = next();
        else if (a == "--page")
            opt.page = std::atoi(next());
        else if (a == "--camera") {
            opt.freeCamera = true;
            for (float& e : opt.eye)
                e = std::strtof(next(), nullptr);
            for (float& l : opt.look)
                l = std::strtof(next(), nullptr);
        } else if (a == "--pointer") {
            opt.pointerX = std::strtof(next(), nullptr);
            opt.pointerZ = std::strtof(next(), nullptr);
        } else if (a == "--size") {
            width = std::atoi(next());
            height = std::atoi(next());
        } else {
            return usage();
        }
    }
    if (what == "icon") return writeIcons(out, opt);
    KivInitDLL();
    KScene* scene = CreateScene();
    KScreen* screen = CreateWindowedScreen(width, height);
    if (!screen) {
        std::fprintf(stderr, "chess3d-view: no window with OpenGL 3.3 (see KivEngine.log)\n");
        return 1;
    }
    scene->screenWidth = width;
    scene->screenHeight = height;
    KNodeGraph* camera = what == "scene"  ? buildBoardScene(scene, opt)
                         : what == "wall" ? buildWallScene(scene, opt)
                                          : buildModelScene(scene, what, opt);
    if (!camera) return 1;
    // Two frames: the first uploads meshes and textures, the second is the one kept.
    for (int frame = 0; frame < 2; ++frame)
        RenderScene(scene, screen, camera, KVector(0.02f, 0.03f, 0.06f), false);
    glFinish();
    std::vector<unsigned char> px(size_t(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    for (size_t i = 3; i < px.size(); i += 4)
        px[i] = 255;
    // OpenGL reads bottom-up; PNG rows go top-down.
    stbi_flip_vertically_on_write(1);
    int ok = stbi_write_png(out.c_str(), width, height, 4, px.data(), width * 4);
    delete screen;
    KivFreeDLL();
    if (!ok) {
        std::fprintf(stderr, "chess3d-view: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
