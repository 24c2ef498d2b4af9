// SPDX-License-Identifier: GPL-3.0-or-later
#include "board/frame_labels.h"

#include <cmath>

#include "board/board_scene.h"
#include "engine/KivEngine.h"

namespace {

// By quarter turns from White's side, as frameLabelSide counts them.
constexpr const char* FRAME_PICTURES[4] = {".\\textures\\frame.jpg", ".\\textures\\frame_afile.jpg",
                                           ".\\textures\\frame_black.jpg",
                                           ".\\textures\\frame_hfile.jpg"};
constexpr float BOARD_CENTRE = 3.5f; // the squares' centres run 0..7 on x and z
// How much nearer to the new side's axis than to the old one's the camera must be to change.
constexpr float CORNER_MARGIN = 1.2f;

struct FrameLabels {
    KMaterial* wood = nullptr;
    KNodeGraph* frame = nullptr; // "echiq", the frame's node
    KTexture* pictures[4] = {};
    int side = 0;
};
FrameLabels g_labels;

// The side whose axis the direction (dx, dz) from the board's centre lies closest to.
int nearestSide(float dx, float dz) {
    if (std::fabs(dz) >= std::fabs(dx)) return dz >= 0 ? 0 : 2;
    return dx >= 0 ? 3 : 1;
}

// How far the direction lies along the side's own axis.
float along(float dx, float dz, int side) {
    switch (side) {
    case 0:
        return dz;
    case 1:
        return -dx;
    case 2:
        return -dz;
    default:
        return dx;
    }
}

} // namespace

int frameLabelSide(float x, float z, int current) {
    const float dx = x - BOARD_CENTRE, dz = z - BOARD_CENTRE;
    const int nearest = nearestSide(dx, dz);
    if (nearest == current) return current;
    return along(dx, dz, nearest) > CORNER_MARGIN * along(dx, dz, current) ? nearest : current;
}

void loadFrameLabelPictures() {
    FrameLabels& l = g_labels;
    l = FrameLabels{};
    l.wood = GetMatByName(g_scene, "frameWood");
    l.frame = GetObjByName(g_scene, "echiq");
    if (!l.wood || !l.wood->texture) return;
    l.pictures[0] = l.wood->texture;
    for (int side = 1; side < 4; ++side) {
        KTexture* picture = new KTexture(g_scene); // the scene owns and frees it
        picture->name = FRAME_PICTURES[side];
        if (!picture->LoadTextureLater(FRAME_PICTURES[side])) picture = nullptr;
        l.pictures[side] = picture;
    }
}

void faceFrameLabels() {
    FrameLabels& l = g_labels;
    if (!l.wood || !l.frame || !g_board || !g_board->camera) return;
    const KVector eye = g_board->camera->GetWorldMatrix().GetTrans();
    const KVector local = l.frame->GetWorldMatrix().Inverse().TransformPoint(eye);
    const int side = frameLabelSide(local.x, local.z, l.side);
    if (side == l.side || !l.pictures[side]) return;
    l.side = side;
    l.wood->texture = l.pictures[side];
}
