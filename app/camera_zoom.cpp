#include "app/camera_zoom.h"

#include <algorithm>
#include <cmath>

#include "anim/anim_manager.h"
#include "app/app_state.h"
#include "app/globals.h"
#include "board/board_scene.h"
#include "engine/KivEngine.h"

namespace {

constexpr float SETTLED = 0.001f; // world units: closer than this, the ease is done

struct Zoom {
    float chosen = 0;  // where the wheel put it
    float reached = 0; // how much of it the camera's position holds now
    unsigned stamp = 0;
} g_zoom;

// The wheel works on the board in a game, as the mouse's camera moves do.
bool boardFree() {
    const AppState* app = g_app;
    return app && app->gameStarted && !app->boardLocked && !app->inputSuspended &&
           !app->introRunning;
}

// A flight that moves the camera's position (a change of view, the menu, the pause tour); the
// turn towards a clicked point moves only its angles.
bool cameraFlies(const KNodeGraph* camera) {
    const NodeAnimEntry* e = FindNodeEntry(camera);
    return e && e->state != ANIM_STOPPED && (e->key_flag & KANIM_POS);
}

} // namespace

void onMouseWheel(int delta, int flags) {
    if (!boardFree() || delta == 0) return;
    const float notches = float(delta) / WHEEL_DELTA;
    g_zoom.chosen =
        std::clamp(g_zoom.chosen - notches * ZOOM_PER_NOTCH, ZOOM_NEAREST, ZOOM_FARTHEST);
}

void cameraZoomStep() {
    KNodeGraph* camera = g_board ? g_board->camera : nullptr;
    const float dt = GetTimePassed(&g_zoom.stamp);
    if (!camera) return;
    // A flight ends where its view puts the camera: none of the chosen distance is held then.
    if (cameraFlies(camera)) {
        g_zoom.reached = 0;
        return;
    }
    if (!boardFree() || g_zoom.reached == g_zoom.chosen) return;
    const float k = 1.0f - std::exp(-dt / ZOOM_EASE_SECONDS);
    float next = g_zoom.reached + (g_zoom.chosen - g_zoom.reached) * k;
    if (std::fabs(g_zoom.chosen - next) < SETTLED) next = g_zoom.chosen;
    // The camera looks along its local -z: farther is +z.
    MovObj(camera, 0, 0, next - g_zoom.reached);
    g_zoom.reached = next;
}

float cameraZoomChosen() {
    return g_zoom.chosen;
}

float cameraZoomReached() {
    return g_zoom.reached;
}
