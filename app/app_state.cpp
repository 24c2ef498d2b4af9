// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/app_state.h"

#include "app/camera_zoom.h"
#include "app/frame_loop.h"
#include "app/input.h"
#include "engine/KivEngine.h"

AppState* g_app = nullptr;

AppState::AppState(int32_t w, int32_t h) : width(w), height(h) {
    screen = CreateWindowedScreen(w, h);
    if (!screen) return; // the start-up check reports it
    ShowWindow(screen->hwnd, SW_HIDE);
    MoveScreen(screen, 200, 200);
    ShowCursor(FALSE); // the game draws its own cursor
    // Every event ends the frame loop's rest before it is handled.
    screen->keyDown = [](int key) {
        noteFrameInput();
        onKeyDown(key);
    };
    screen->keyUp = [](int key) {
        noteFrameInput();
        onKeyUp(key);
    };
    screen->buttonDown = [](int buttons, int x, int y) {
        noteFrameInput();
        onMouseDown(buttons, x, y);
    };
    screen->buttonUp = [] {
        noteFrameInput();
        onMouseUp();
    };
    screen->mouseMove = [](int flags, int x, int y) {
        noteFrameInput();
        onMouseMove(flags, x, y);
    };
    screen->mouseWheel = [](int delta, int flags) {
        noteFrameInput();
        onMouseWheel(delta, flags);
    };
    screen->paint = noteFrameInput;
}
