// SPDX-License-Identifier: GPL-3.0-or-later
// Window handles over SDL windows, and the window and cursor calls.

#include "platform/platform.h"
#include "platform/platform_internal.h"

#include <SDL2/SDL.h>

struct HWND__ {
    SDL_Window* sdl; // not owned: the engine's screen creates and destroys it
    uint32_t sdlId;  // SDL window id, to route events
    WNDPROC proc;
    void* userData;
};

namespace {

constexpr int MAX_WINDOWS = 8;
HWND__ g_windows[MAX_WINDOWS];
int g_cursorCounter = 0; // Windows' display counter: the cursor shows while it is >= 0

} // namespace

HWND PlatformRegisterWindow(SDL_Window* window, WNDPROC proc, void* userData) {
    if (!window) return nullptr;
    for (HWND__& w : g_windows) {
        if (!w.sdl) {
            w = HWND__{window, SDL_GetWindowID(window), proc, userData};
            return &w;
        }
    }
    return nullptr;
}

void PlatformUnregisterWindow(HWND hwnd) {
    if (hwnd) *hwnd = HWND__{};
    platformForgetWindow(hwnd);
}

void PlatformRebindWindow(HWND hwnd, SDL_Window* window) {
    if (!hwnd || !window) return;
    hwnd->sdl = window;
    hwnd->sdlId = SDL_GetWindowID(window);
}

SDL_Window* PlatformSdlWindow(HWND hwnd) {
    return hwnd ? hwnd->sdl : nullptr;
}
void* PlatformWindowUserData(HWND hwnd) {
    return hwnd ? hwnd->userData : nullptr;
}

HWND platformWindowFromSdlId(uint32_t id) {
    for (HWND__& w : g_windows)
        if (w.sdl && w.sdlId == id) return &w;
    return nullptr;
}

LRESULT platformCallProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!hwnd || !hwnd->sdl || !hwnd->proc) return 0;
    return hwnd->proc(hwnd, message, wParam, lParam);
}

BOOL ShowWindow(HWND hwnd, int cmdShow) {
    if (!hwnd || !hwnd->sdl) return FALSE;
    const BOOL wasVisible = (SDL_GetWindowFlags(hwnd->sdl) & SDL_WINDOW_SHOWN) ? TRUE : FALSE;
    if (cmdShow == SW_HIDE)
        SDL_HideWindow(hwnd->sdl);
    else {
        // As on Windows, showing also activates: the keyboard goes to the game.
        SDL_ShowWindow(hwnd->sdl);
        SDL_RaiseWindow(hwnd->sdl);
    }
    return wasVisible;
}

int ShowCursor(BOOL show) {
    g_cursorCounter += show ? 1 : -1;
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_ShowCursor(g_cursorCounter >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return g_cursorCounter;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
    if (!hwnd || !hwnd->sdl) return FALSE;
    SDL_SetWindowPosition(hwnd->sdl, x, y);
    int w = 0, h = 0;
    SDL_GetWindowSize(hwnd->sdl, &w, &h);
    if (width > 0 && height > 0 && (w != width || h != height))
        SDL_SetWindowSize(hwnd->sdl, width, height);
    return TRUE;
}

BOOL UpdateWindow(HWND hwnd) {
    return hwnd ? TRUE : FALSE;
}

BOOL GetCursorPos(POINT* point) {
    if (!point) return FALSE;
    int x = 0, y = 0;
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_GetGlobalMouseState(&x, &y);
    point->x = x;
    point->y = y;
    return TRUE;
}

HWND WindowFromPoint(POINT point) {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return nullptr;
    // Under a real desktop the pointer belongs to the window that has the mouse focus (another
    // program's window may cover ours); the offscreen driver has no focus, only rectangles.
    const char* driver = SDL_GetCurrentVideoDriver();
    const bool hasDesktop = driver && SDL_strcmp(driver, "offscreen") != 0;
    SDL_Window* focus = SDL_GetMouseFocus();
    for (HWND__& w : g_windows) {
        if (!w.sdl || !(SDL_GetWindowFlags(w.sdl) & SDL_WINDOW_SHOWN)) continue;
        if (hasDesktop && focus != w.sdl) continue;
        int x = 0, y = 0, width = 0, height = 0;
        SDL_GetWindowPosition(w.sdl, &x, &y);
        SDL_GetWindowSize(w.sdl, &width, &height);
        if (point.x >= x && point.x < x + width && point.y >= y && point.y < y + height) return &w;
    }
    return nullptr;
}
