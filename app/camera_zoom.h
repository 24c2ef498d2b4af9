#pragma once
// The mouse wheel brings the camera nearer to the board or takes it farther, along its line of
// sight, eased, within limits. The distance chosen is kept: after each flight between views
// (which ends at the view's own distance) the camera eases back to it. Only over the board in a
// game: not in the menu, the pause tour or the intro.

constexpr float ZOOM_NEAREST = -3.5f;      // world units nearer than the views place the camera
constexpr float ZOOM_FARTHEST = 6.0f;      // world units farther
constexpr float ZOOM_PER_NOTCH = 0.6f;     // one notch of the wheel (WHEEL_DELTA)
constexpr float ZOOM_EASE_SECONDS = 0.12f; // time constant of the ease towards the chosen distance

// Screen callback: `delta` in WHEEL_DELTA units per notch, positive away from the user (nearer).
void onMouseWheel(int delta, int flags);

// Once per frame, after the animations: moves the camera a step towards the chosen distance.
void cameraZoomStep();

// The distance chosen with the wheel and the part of it the camera has reached, in world units
// along the line of sight (negative nearer).
float cameraZoomChosen();
float cameraZoomReached();
