// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where things land on screen. The camera has a 60-degree vertical field of view and the
// window starts at 800 x 600 (square pixels), so a point at distance d in front of the camera
// and camera-space (x, y) appears at window pixel (400 + x / s, 300 - y / s), s = d tan30 / 300.
// The heads-up panels are shaped with this so that the game's fixed window positions (text
// lines, buttons, click areas) fall on the right parts of their pictures.

namespace assetgen::hud {

inline constexpr float TAN_HALF_FOV = 0.57735027f;

// Camera-space size of one window pixel at distance d.
inline constexpr float pixel(float d) {
    return d * TAN_HALF_FOV / 300.0f;
}
inline constexpr float camX(float windowX, float d) {
    return (windowX - 400.0f) * pixel(d);
}
inline constexpr float camY(float windowY, float d) {
    return (300.0f - windowY) * pixel(d);
}

// A panel: window rectangle covered, and the object's own place (distance d, camera-space
// offset) that the game gives it; the mesh is built relative to that place.
struct PanelRect {
    float x0, y0, x1, y1; // window pixels, y downwards
    float d, ox, oy;      // distance in front of the camera, object's position x and y
};

inline constexpr PanelRect LOAD_PANEL = {220, 140, 580, 458, 2.0f, 0, 0};
inline constexpr PanelRect SAVE_PANEL = {220, 140, 580, 486, 2.0f, 0, 0};
inline constexpr PanelRect CLIENT_PANEL = {220, 200, 580, 380, 2.0f, 0, 0};
inline constexpr PanelRect REQUEST_PANEL = {240, 217, 560, 377, 2.0f, 0, 0};
inline constexpr PanelRect INFO_PANEL = {256, 100, 672, 136, 1.8f, 0, 0.7f};
inline constexpr PanelRect CHAT_PANEL = {12, 528, 788, 591, 2.0f, 0, -1.0f};
inline constexpr PanelRect WINDOW_BAR = {-2, -2, 802, 21, 2.0f, 0, 1.101f};
inline constexpr PanelRect SELECTION_BAR = {-152, -10, 152, 10, 1.8f, 0, 0}; // about its centre
inline constexpr PanelRect SELECTION_OK = {-26, -14, 26, 14, 1.8f, 0, 0};    // about its centre
inline constexpr PanelRect TURN_SIGN = {721, 29, 781, 89, 2.0f, 1.352f, 0.926f};
inline constexpr PanelRect CADRE_TURN = {703, 8, 799, 128, 2.5f, 1.69f, 1.2f};
inline constexpr PanelRect PLAYER_SIGN = {5, 8, 93, 128, 2.5f, -1.69f, 1.2f};
inline constexpr PanelRect PAUSE_SIGN = {703, 14, 799, 58, 2.0f, 1.352f, 1.015f};
inline constexpr PanelRect INTRO_TITLE = {0, 170, 800, 430, 1.2f, 0, 0};

// Menu wall: the picture of 512 x 256 pixels is cut into 16 x 8 tiles, one per cube; cube
// (row j, column i) hangs at x = i - 4, z = j - 3 on the plane y = 16, seen from the menu
// camera at (3.5, 6, -4). Window text positions of the game at 800 x 600.
inline constexpr int FILE_LINE_X = 260, FILE_LINE_Y0 = 210, FILE_LINE_STEP = 20;
inline constexpr int NAME_LINE_X = 260, NAME_LINE_Y = 436;
inline constexpr int IP_LINE_X = 330, IP_LINE_Y = 315;
inline constexpr int REQUEST_TEXT_X = 272, REQUEST_TEXT_Y0 = 285, REQUEST_TEXT_Y1 = 305;
inline constexpr int INFO_TEXT_X = 272, INFO_TEXT_Y = 110;

} // namespace assetgen::hud
