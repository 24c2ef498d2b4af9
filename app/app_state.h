// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The application state: the window and the keys (the game's flags, selection and requests are
// the game model's, game/game_model.h; the connections the network session's,
// netplay/net_session.h).
// One instance, built by main() (g_app).

#include <cstdint>
#include <string>

class KScreen;

struct AppState {
    KScreen* screen = nullptr; // the window
    uint8_t dragging = 0;      // the window is dragged by its top strip
    int32_t width = 800;       // window size in pixels
    int32_t height = 600;
    uint8_t keysDown[256] = {}; // 1 while the virtual key is held
    int32_t lastMouseX = 0;     // drag anchor, or last mouse position seen by the camera
    int32_t lastMouseY = 0;

    // Creates the window (hidden, at screen position 200,200, system cursor hidden) and
    // registers the screen callbacks (each ends the frame loop's rest first).
    AppState(int32_t w, int32_t h);
};

// One instance for the process, made by buildGame (app/game_main.cpp) and never deleted.
extern AppState* g_app; // the window and the keys
