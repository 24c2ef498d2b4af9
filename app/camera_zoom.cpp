// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/camera_zoom.h"

#include <algorithm>
#include <cmath>

#include "anim/anim_manager.h"
#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"

namespace {

constexpr float SETTLED = 0.001f; // world units: closer than this, the ease is done
constexpr float DEG_TO_RAD = 0.017453292f;

struct Zoom {
    float chosen = 0;  // where the wheel put it
    float reached = 0; // how much of it the camera's position holds now
    KVector applied;   // that offset in the camera's parent space, while held
    bool held = false; // the camera's position holds `applied` now
    unsigned stamp = 0;
} g_zoom;

// The wheel works on the board in a game, as the mouse's camera moves do.
bool boardFree() {
    return g_game->mayPlayerMoveCamera();
}

} // namespace

void onMouseWheel(int delta, int flags) {
    if (!boardFree() || delta == 0) return;
    const float notches = float(delta) / WHEEL_DELTA;
    g_zoom.chosen =
        std::clamp(g_zoom.chosen - notches * ZOOM_PER_NOTCH, ZOOM_NEAREST, ZOOM_FARTHEST);
}

void cameraZoomTakeOut() {
    KNodeGraph* camera = g_board ? g_board->camera : nullptr;
    if (!camera || !g_zoom.held) return;
    camera->prs.Refresh();
    camera->prs.pos = camera->prs.pos - g_zoom.applied;
    camera->prs.changed = 1;
    g_zoom.held = false;
}

void cameraZoomStep() {
    KNodeGraph* camera = g_board ? g_board->camera : nullptr;
    const float dt = GetTimePassed(&g_zoom.stamp);
    if (!camera) return;
    cameraZoomTakeOut(); // when nothing took it out since the last step
    // Over the board the camera keeps the chosen distance through every flight between views;
    // over the menu, the pause tour and the intro it has none.
    const float target = boardFree() ? g_zoom.chosen : 0.0f;
    if (g_zoom.reached != target) {
        const float k = 1.0f - std::exp(-dt / ZOOM_EASE_SECONDS);
        float next = g_zoom.reached + (target - g_zoom.reached) * k;
        if (std::fabs(target - next) < SETTLED) next = target;
        g_zoom.reached = next;
    }
    if (g_zoom.reached == 0) return;
    // The camera looks along its local -z: farther is +z.
    KPRS& t = camera->prs;
    t.Refresh();
    KMatrix r;
    r.RotateYXZMatrix(t.rot.x * DEG_TO_RAD, t.rot.y * DEG_TO_RAD, t.rot.z * DEG_TO_RAD);
    g_zoom.applied = r.TransformDir(KVector(0, 0, g_zoom.reached));
    t.pos = t.pos + g_zoom.applied;
    t.changed = 1;
    g_zoom.held = true;
}

float cameraZoomChosen() {
    return g_zoom.chosen;
}

float cameraZoomReached() {
    return g_zoom.reached;
}

bool cameraZoomSettled() {
    return g_zoom.reached == (boardFree() ? g_zoom.chosen : 0.0f);
}
