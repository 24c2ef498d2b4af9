// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/chess3d-shots/shot_driver.h"
#include "board/camera_views.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include <SDL2/SDL.h>
#include <epoxy/gl.h>
#include <stb/stb_image_write.h>

#include "anim/anim_manager.h"
#include "app/app_state.h"
#include "app/game_main.h"
#include "app/input.h"
#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "ui/interface.h"

namespace {

constexpr int BUTTON_LEFT = 1;
constexpr float DEG_TO_RAD = 0.017453292f;

// The square `node` stands for: a square node itself, or the square of the piece it belongs to.
// Picking returns the mesh hit; the tagged node is that mesh or one of its parents.
const SquareRecord* squareOfPick(KNodeGraph* node) {
    while (node && node->tag == 0)
        node = node->parent;
    if (!node) return nullptr;
    if (const SquareRecord* s = g_board->squareOfNode(node)) return s;
    const PieceRecord* p = g_board->pieceOfNode(node);
    return p ? p->square : nullptr;
}

// Window pixel of the world point `p` seen by the game's camera; false behind the camera or off
// the window.
bool project(const KVector& p, int& x, int& y) {
    KCamera* cam = g_board->camera ? g_board->camera->AsCamera() : nullptr;
    if (!cam) return false;
    const float w = float(g_app->width), h = float(g_app->height);
    const KVector v = cam->GetWorldMatrix().Inverse().TransformPoint(p);
    if (v.z >= -cam->nearDist) return false;
    const float f = 1.0f / std::tan(cam->angle * DEG_TO_RAD);
    const float ndcX = f / (w / h) * v.x / -v.z, ndcY = f * v.y / -v.z;
    x = int(std::lround((ndcX + 1) * 0.5f * w));
    y = int(std::lround((1 - ndcY) * 0.5f * h));
    return x >= 0 && y >= 0 && x < int(w) && y < int(h);
}

FrameObserver g_observer = nullptr;

double processorSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

} // namespace

void setFrameObserver(FrameObserver observer) {
    g_observer = observer;
}

void drawOffscreenWithoutDisplay() {
    if (!DisplayNamed()) setenv("SDL_VIDEODRIVER", "offscreen", 0);
}

bool runFrames(int count, double dt) {
    using Clock = std::chrono::steady_clock;
    for (int i = 0; i < count; ++i) {
        KAdvanceTestClock(dt);
        const Clock::time_point start = Clock::now();
        const double cpuStart = g_observer ? processorSeconds() : 0;
        if (!runFrame()) return false;
        if (g_observer)
            g_observer(std::chrono::duration<double>(Clock::now() - start).count(),
                       processorSeconds() - cpuStart);
    }
    return true;
}

bool runUntil(const std::function<bool()>& done, double maxSeconds, double dt) {
    for (double t = 0; t < maxSeconds; t += dt) {
        if (done()) return true;
        if (!runFrames(1, dt)) return false;
    }
    return done();
}

bool saveShot(const std::string& folder, const std::string& name) {
    // The whole window: in full screen it is larger than the game's picture (bars beside it).
    int w = g_app->width, h = g_app->height;
    int drawableW = 0, drawableH = 0;
    SDL_GL_GetDrawableSize(g_app->screen->window, &drawableW, &drawableH);
    if (drawableW > 0 && drawableH > 0) w = drawableW, h = drawableH;
    // The frame loop's last picture was swapped away; this one is drawn from the same state.
    RenderScene(g_scene, g_app->screen, g_board->camera, KVector(0.4f, 0.3f, 0.4f), false);
    GLint readFramebuffer = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    std::vector<unsigned char> pixels(size_t(w) * size_t(h) * 3);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(readFramebuffer));

    // OpenGL's rows run bottom-up, the PNG's top-down.
    std::vector<unsigned char> flipped(pixels.size());
    const size_t row = size_t(w) * 3;
    for (int r = 0; r < h; ++r)
        std::copy_n(&pixels[size_t(h - 1 - r) * row], row, &flipped[size_t(r) * row]);
    const std::string path = folder + "/" + name;
    if (!stbi_write_png(path.c_str(), w, h, 3, flipped.data(), int(row))) {
        std::fprintf(stderr, "chess3d-shots: cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("wrote %s\n", path.c_str());
    return true;
}

void movePointer(int x, int y) {
    onMouseMove(0, x, y);
}

void clickAt(int x, int y) {
    onMouseMove(0, x, y);
    onMouseDown(BUTTON_LEFT, x, y);
    onMouseUp();
}

void pressKey(int code) {
    onKeyDown(code);
    onKeyUp(code);
}

void typeText(const char* upperCaseText) {
    constexpr int FULL_STOP_KEY = 190;           // '.' as a code would be the Delete key (46)
    for (const char* c = upperCaseText; *c; ++c) // letters, digits and space are their own codes
        pressKey(*c == '.' ? FULL_STOP_KEY : static_cast<unsigned char>(*c));
}

namespace {

// Every fourth pixel of the window, the point the wall step makes of the pointer there, scored
// by `score` (negative: not wanted); the best pixel wins. The pointer goes back where it was.
template <class Score> bool bestWallPixel(Score score, int& x, int& y) {
    const int savedX = g_ui->mouseX, savedY = g_ui->mouseY;
    float best = -1;
    for (int py = 0; py < g_app->height; py += 4) {
        for (int px = 0; px < g_app->width; px += 4) {
            moveCursor(px, py);
            wallStep();
            const float s = score(g_ui->pointerX, g_ui->pointerZ);
            if (s > best) {
                best = s;
                x = px;
                y = py;
            }
        }
    }
    moveCursor(savedX, savedY);
    wallStep();
    return best >= 0;
}

} // namespace

bool findEntryPixel(int page, int entry, int& x, int& y) {
    // The point deepest inside the entry's region: the middle of its label.
    return bestWallPixel(
        [page, entry](float wx, float wz) {
            if (entryAt(page, wx, wz) != entry) return -1.0f;
            float d = 0;
            while (d < 5 && entryAt(page, wx + d, wz) == entry &&
                   entryAt(page, wx - d, wz) == entry && entryAt(page, wx, wz + d) == entry &&
                   entryAt(page, wx, wz - d) == entry)
                d += 0.05f;
            return d;
        },
        x, y);
}

bool findWallPixel(float wallX, float wallZ, int& x, int& y) {
    bool found = bestWallPixel(
        [wallX, wallZ](float wx, float wz) { return 100.0f - std::hypot(wx - wallX, wz - wallZ); },
        x, y);
    return found;
}

bool findSquarePixel(const SquareRecord* square, int& x, int& y) {
    if (!square || !square->node) return false;
    const KMatrix world = square->node->GetWorldMatrix();
    // From the square's centre outwards over its face (half a square each way).
    static const float OFFSETS[] = {0, 0.15f, -0.15f, 0.3f, -0.3f};
    for (float dz : OFFSETS) {
        for (float dx : OFFSETS) {
            int px, py;
            if (!project(world.TransformPoint(KVector(dx, 0, dz)), px, py)) continue;
            if (squareOfPick(g_scene->Getinfo(px, py)) == square) {
                x = px;
                y = py;
                return true;
            }
        }
    }
    return false;
}

bool clickMove(int fromRow, int fromColumn, int toRow, int toColumn) {
    const SquareRecord* from = &g_game->squares[fromRow * 8 + fromColumn];
    const SquareRecord* to = &g_game->squares[toRow * 8 + toColumn];
    // Each click turns the camera a little towards the point clicked: squares are found anew
    // once it rests.
    auto click = [](const SquareRecord* s) {
        if (!runUntil([] { return !IsCameraMoving(); }, 10, 0.1)) return false;
        int x, y;
        if (!findSquarePixel(s, x, y)) {
            std::fprintf(stderr, "chess3d-shots: square row %d column %d not found\n", s->row,
                         s->column);
            return false;
        }
        clickAt(x, y);
        return runFrames(1);
    };
    if (!click(from) || g_game->selectedPiece == nullptr) return false;
    if (!click(to) || g_game->chosenTarget != to) return false;
    return click(to);
}
