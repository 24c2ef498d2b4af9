// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The scenes the viewer can show, built with the engine the way the game builds them.

#include <string>

class KScene;
class KNodeGraph;

namespace chess3dview {

struct ViewOptions {
    std::string object; // only this object of the file (empty: all)
    float yaw = 25;     // orbit camera angles, degrees
    float pitch = -22;
    float distance = 0;    // 0: frame the objects
    bool decor = false;    // load the decor behind a single file
    bool marks = false;    // board: show the select and target marks
    int view = 0;          // board: preset game view 0..3
    int page = 0;          // wall: page 0, 1, 10 or 3
    float pointerX = 1e9f; // wall: pointer on the wall plane (1e9: none)
    float pointerZ = 0;
    std::string hud;         // board: heads-up objects to show, comma separated
    bool freeCamera = false; // board: camera at `eye` turned by `look` instead of a view
    float eye[3] = {0, 0, 0};
    float look[2] = {0, 0}; // pitch and yaw, degrees
};

// Each builder loads what it needs into the scene and returns the camera node, or null when a
// file or object is missing (after printing why).
KNodeGraph* buildBoardScene(KScene* scene, const ViewOptions& opt);
KNodeGraph* buildModelScene(KScene* scene, const std::string& file, const ViewOptions& opt);
KNodeGraph* buildWallScene(KScene* scene, const ViewOptions& opt);
// The desktop icon: the game's black king behind its white knight, nothing else.
KNodeGraph* buildIconScene(KScene* scene, const ViewOptions& opt);

} // namespace chess3dview
