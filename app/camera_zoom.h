// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The mouse wheel brings the camera nearer to the board or takes it farther, along its line of
// sight, eased, within limits. The distance chosen is kept through the flights between views.
// Only over the board in a game: not in the menu, the pause tour or the intro.

constexpr float ZOOM_NEAREST = -3.5f;      // world units nearer than the views place the camera
constexpr float ZOOM_FARTHEST = 6.0f;      // world units farther
constexpr float ZOOM_PER_NOTCH = 0.6f;     // one notch of the wheel (WHEEL_DELTA)
constexpr float ZOOM_EASE_SECONDS = 0.12f; // time constant of the ease towards the chosen distance

// Screen callback: `delta` in WHEEL_DELTA units per notch, positive away from the user (nearer).
void onMouseWheel(int delta, int flags);

// The wheel's offset lives on top of the camera's own pose, which the animations write: it is
// taken out of the camera's position before the animations (cameraZoomTakeOut), so that a
// flight starts from and ends at the view's own pose, and put back after them, a step nearer
// the chosen distance (cameraZoomStep). A flight between views thus keeps the distance all the
// way instead of ending at the view's own and easing back. Once per frame, in that order.
void cameraZoomTakeOut();
void cameraZoomStep();

// The distance chosen with the wheel and the part of it the camera has reached, in world units
// along the line of sight (negative nearer).
float cameraZoomChosen();
float cameraZoomReached();
// The camera holds the distance it eases towards: the zoom moves nothing by itself any more.
bool cameraZoomSettled();
