// SPDX-License-Identifier: GPL-3.0-or-later
// The camera's view keys, its turn towards a picked point and the end of its turn towards the
// side to move.

#include <cmath>

#include "board/camera_views.h"

#include "anim/anim_manager.h"
#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"

namespace {

constexpr float RAD_TO_DEG = 57.295776f;
constexpr float AXIS_EPSILON = 0.0001f;
constexpr int GAME_VIEWS = 4;

KNodeGraph* camera() {
    return g_board ? g_board->camera : nullptr;
}

// Starts the camera, eased, on pool animation `preset`. A flight under way may still owe a
// completion (the computer's answer once the camera has turned, the menu's closing): the new
// flight takes it over, or the game would wait for it forever.
void flyCamera(KNodeGraph* cam, int preset, int key_flag) {
    ReplaceNodeAnim(cam, preset, ANIM_EASE_OUT, key_flag, nullptr);
}

// The camera flies to game view `view`.
void flyToView(int view) {
    if (KNodeGraph* cam = camera()) flyCamera(cam, view, KANIM_POS | KANIM_ROT);
}

// Yaw and pitch in degrees of a view along (x, y, z): yaw 0 looks along -z, positive yaw
// towards -x, positive pitch up. Straight up or down has no yaw: `fallbackYaw` stands in.
void directionAngles(float x, float y, float z, float fallbackYaw, float& yaw, float& pitch) {
    const float flat = std::sqrt(x * x + z * z);
    if (flat < AXIS_EPSILON) {
        yaw = fallbackYaw;
        pitch = y > 0 ? 90.0f : -90.0f;
        return;
    }
    pitch = std::atan(y / flat) * RAD_TO_DEG;
    if (std::fabs(z) < AXIS_EPSILON) {
        yaw = x > 0 ? -90.0f : 90.0f;
        return;
    }
    yaw = std::atan(x / z) * RAD_TO_DEG;
    // atan folds the back half onto the front: views towards +z turn half a circle further.
    if (z > 0) yaw += yaw <= 0 ? 180.0f : -180.0f;
}

} // namespace

void NextView() {
    if (!g_anim) return;
    g_anim->view_index = (g_anim->view_index + 1) % GAME_VIEWS;
    flyToView(g_anim->view_index);
}

void PreviousView() {
    if (!g_anim) return;
    g_anim->view_index = g_anim->view_index == 0 ? GAME_VIEWS - 1 : g_anim->view_index - 1;
    flyToView(g_anim->view_index);
}

void ToggleGameView() {
    if (!g_anim) return;
    g_anim->game_view = g_anim->game_view ? 0 : 1;
    if (!g_anim->game_view) return;
    const int view = (g_board && g_game->sideToMove != 0) ? ANIM_VIEW_BLACK : ANIM_VIEW_WHITE;
    g_anim->view_index = view;
    flyToView(view);
}

void LookTowardsPoint(const KVector& point) {
    KNodeGraph* cam = camera();
    if (!g_anim || !cam) return;
    cam->prs.CreateMatrix();
    const KVector eye = cam->GetWorldMatrix().GetTrans();
    const KVector toPoint = point - eye;
    if (toPoint.Length() < AXIS_EPSILON) return; // no direction to turn to

    const float ownYaw = cam->prs.rot.y;
    float yaw1, pitch1, yaw2, pitch2;
    directionAngles(toPoint.x, toPoint.y, toPoint.z, ownYaw, yaw1, pitch1);
    const KVector toCentre = KVector(3.5f, 0, 3.5f) - eye;
    directionAngles(toCentre.x, toCentre.y, toCentre.z, ownYaw, yaw2, pitch2);

    // Both yaws on the same side of the +z seam, so that their blend lies between them.
    if (std::fabs(yaw2 - yaw1) > 180.0f) {
        if (yaw2 >= 0)
            yaw1 += 360.0f;
        else
            yaw2 += 360.0f;
    }
    // One third of the way from the board centre towards the point.
    const float pitch = (2 * pitch2 + pitch1) * 0.3333f;
    const float yaw = (yaw1 + 2 * yaw2) * 0.3333f;

    g_anim->node_anims[ANIM_LOOK]->addKeyRot(100, KAnglesToQuat(pitch, yaw, 0));
    flyCamera(cam, ANIM_LOOK, KANIM_ROT);
}

bool IsCameraMoving() {
    const NodeAnimEntry* e = FindNodeEntry(camera());
    return e && e->state != ANIM_STOPPED;
}

void ComputerTurnCallback() {
    // A flight cut short by the menu or the pause hands this on, and their closing answers
    // instead; a turn of the camera that ends while a piece still glides leaves the answer to
    // the glide's end. Never in a network game: the peer moves.
    g_game->computerTurnIfDue();
}
