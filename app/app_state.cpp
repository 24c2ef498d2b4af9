#include "app/app_state.h"

#include "app/camera_zoom.h"
#include "app/input.h"
#include "engine/KivEngine.h"

AppState::AppState(int32_t w, int32_t h) : width(w), height(h) {
    screen = CreateWindowedScreen(w, h);
    if (!screen) return; // the start-up check reports it
    ShowWindow(screen->hwnd, SW_HIDE);
    MoveScreen(screen, 200, 200);
    ShowCursor(FALSE); // the game draws its own cursor
    screen->keyDown = onKeyDown;
    screen->keyUp = onKeyUp;
    screen->buttonDown = onMouseDown;
    screen->buttonUp = onMouseUp;
    screen->mouseMove = onMouseMove;
    screen->mouseWheel = onMouseWheel;
}
