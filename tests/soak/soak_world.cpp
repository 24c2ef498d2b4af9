// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/soak/soak_world.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>

#include "app/app_state.h"
#include "app/camera_zoom.h"
#include "app/frame_loop.h"
#include "app/game_main.h"
#include "app/input.h"
#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/file_jobs.h"
#include "game/game_model.h"
#include "game/save_folder.h"
#include "game/settings.h"
#include "ui/computer_page.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"

#if defined(__SANITIZE_ADDRESS__)
#define SOAK_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SOAK_ADDRESS_SANITIZER 1
#endif
#endif
#ifdef SOAK_ADDRESS_SANITIZER
// The sanitizer's runtime has it; GCC ships no header that declares it.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace soak {

namespace {

constexpr float DEG_TO_RAD = 0.017452778f;
double g_gameSeconds = 0;

KScreen* screen() {
    return g_app ? g_app->screen : nullptr;
}

int screenWidth() {
    return g_scene ? g_scene->screenWidth : 800;
}

int screenHeight() {
    return g_scene ? g_scene->screenHeight : 600;
}

// Quit banner buttons on the wall plane: yes, then no.
constexpr float QUIT_BUTTONS[2][4] = {{2.3f, 3.4f, -1.9f, -1.2f}, {3.5f, 4.7f, -1.9f, -1.2f}};

} // namespace

bool buildWorld(const std::string& saveFolder, bool ambient) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    mkdir(saveFolder.c_str(), 0755);
    set_save_folder(saveFolder);
    // The file work (saves, the load list) in the frame that asks for it: a seed replays the
    // same run whatever the worker's pace.
    set_file_jobs_inline(true);
    gameSettings().ambient = ambient;
    setEngineFoldersOverride(""); // the computer page lists the built-in engine alone
    KivInitDLL();
    KSetTestClock(true);
    // Frames cost no processor time here: the ambient pace, and with it the rest's idle passes,
    // stay the same whatever else the machine runs.
    setFrameCostClock([] { return 0.0; });
    if (!buildGame()) return false;
    // The smallest window of the ladder: the rare frames drawn stay cheap.
    shrinkWindow();
    shrinkWindow();
    return frame(0, true);
}

bool frame(double seconds, bool draw) {
    KAdvanceTestClock(seconds);
    g_gameSeconds += seconds;
    return framePass(draw ? FrameDraw::Render : FrameDraw::Pretend);
}

bool chatTakesKeys() {
    const TextOverlay* o = g_ui ? g_ui->overlay : nullptr;
    return o && o->chatLines[0] && o->chatLines[0]->visible && !g_ui->saveScreenOpen;
}

double gameSeconds() {
    return g_gameSeconds;
}

void keyDown(int vk) {
    if (screen() && screen()->keyDown) screen()->keyDown(vk);
}

void keyUp(int vk) {
    if (screen() && screen()->keyUp) screen()->keyUp(vk);
}

void press(int vk) {
    keyDown(vk);
    keyUp(vk);
}

void mouseMove(int flags, int x, int y) {
    if (screen() && screen()->mouseMove) screen()->mouseMove(flags, x, y);
}

void mouseDown(int buttons, int x, int y) {
    if (screen() && screen()->buttonDown) screen()->buttonDown(buttons, x, y);
}

void mouseUp() {
    if (screen() && screen()->buttonUp) screen()->buttonUp();
}

void wheel(int delta, int flags) {
    if (screen() && screen()->mouseWheel) screen()->mouseWheel(delta, flags);
}

void clickAt(int x, int y) {
    mouseMove(0, x, y);
    if (pointerOnQuitYes()) return; // the harness plays on; it never quits the game
    mouseDown(MK_LBUTTON, x, y);
    mouseUp();
}

bool worldPixel(const KVector& p, int& x, int& y) {
    KNodeGraph* cam = g_board ? g_board->camera : nullptr;
    if (!cam || !cam->AsCamera()) return false;
    const KVector c = cam->GetWorldMatrix().Inverse().TransformPoint(p);
    if (c.z > -0.01f) return false; // behind the camera
    const float w = float(screenWidth()), h = float(screenHeight());
    const float half = std::tan(cam->AsCamera()->angle * DEG_TO_RAD);
    const float sx = c.x / -c.z, sy = c.y / -c.z; // on the plane at distance 1
    x = int(std::lround(w / 2 + sx * w / (2 * half * (w / h))));
    y = int(std::lround(h / 2 - sy * h / (2 * half)));
    return x >= 0 && y >= 0 && x < w && y < h;
}

bool squarePixel(int square, int& x, int& y) {
    if (!g_board || square < 0 || square >= 64) return false;
    const SquareRecord& s = g_game->squares[square];
    if (!s.node) return false;
    return worldPixel(s.node->GetWorldMatrix().GetTrans(), x, y);
}

bool wallPixel(float x, float z, int& px, int& py) {
    return g_ui && worldPixel(KVector(x, g_ui->wallHeight, z), px, py);
}

bool entryCentre(int page, int entry, float& x, float& z) {
    // The regions are found by asking the menu itself, on a grid over the wall.
    float sumX = 0, sumZ = 0;
    int n = 0;
    for (float gx = -4.5f; gx <= 11.6f; gx += 0.1f)
        for (float gz = -3.8f; gz <= 5.9f; gz += 0.1f)
            if (entryAt(page, gx, gz) == entry) {
                sumX += gx;
                sumZ += gz;
                ++n;
            }
    if (n == 0) return false;
    x = sumX / float(n);
    z = sumZ / float(n);
    return true;
}

void requestButtonPixel(int button, int& x, int& y) {
    const int w = g_app ? g_app->width : 800, h = g_app ? g_app->height : 600;
    x = button == 0 ? w * 320 / 800 : w * 475 / 800;
    y = h * 362 / 600;
}

bool quitButtonPixel(int button, int& x, int& y) {
    const float* b = QUIT_BUTTONS[button ? 1 : 0];
    return wallPixel((b[0] + b[1]) / 2, (b[2] + b[3]) / 2, x, y);
}

bool pointerOnQuitYes() {
    const Interface* ui = g_ui;
    if (!ui || !ui->quitBannerShown) return false;
    const float* b = QUIT_BUTTONS[0];
    // A margin around the button: the pointer's plane position follows the next wall step.
    constexpr float MARGIN = 0.3f;
    return b[0] - MARGIN < ui->pointerX && ui->pointerX < b[1] + MARGIN &&
           b[2] - MARGIN < ui->pointerZ && ui->pointerZ < b[3] + MARGIN;
}

long memoryInUseKilobytes() {
#ifdef SOAK_ADDRESS_SANITIZER
    // The sanitizer keeps freed blocks resident in a quarantine of up to 256 MB, so that late uses
    // are caught; the resident size then swings by a hundred megabytes with what was freed
    // lately and says nothing of a leak. Leaked blocks stay live, so the heap in use shows them.
    return long(__sanitizer_get_current_allocated_bytes() / 1024);
#else
    long pages = 0, resident = 0;
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return 0;
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
#endif
}

} // namespace soak
