// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game's window: a borderless SDL window with an OpenGL 3.3 core context, a window handle
// for the platform's Win32 calls, and five input callback slots fed by DispatchMessageA.

#include "platform/win32.h"

struct SDL_Window;
class KScene;
struct KRenderState;

// Input callbacks, as the screen calls them from inside DispatchMessageA. Key codes are
// Windows virtual-key codes; flags are Windows mouse flags (1 left, 2 right, 4 Shift, 8 Ctrl,
// 16 middle); x, y are window pixels from the top-left corner.
using KKeyCallback = void (*)(int key);
using KButtonDownCallback = void (*)(int buttons, int x, int y); // buttons held, with the new one
using KButtonUpCallback = void (*)();
using KMouseMoveCallback = void (*)(int flags, int x, int y);
// The wheel turned by `delta` (WHEEL_DELTA per notch, positive away from the user); `flags` are
// the mouse flags held.
using KMouseWheelCallback = void (*)(int delta, int flags);
// The window's picture was lost (uncovered, shown again, resized): it must be drawn again.
using KPaintCallback = void (*)();

class KScreen {
public:
    ~KScreen(); // releases the renderer's GL objects, the context and the window
    KScreen(const KScreen&) = delete;
    KScreen& operator=(const KScreen&) = delete;

    HWND hwnd = nullptr;           // for ShowWindow, MoveWindow, WindowFromPoint, KivLoadSound
    SDL_Window* window = nullptr;  // owned
    void* glContext = nullptr;     // SDL_GLContext, owned
    int width = 0, height = 0;     // size of the game's picture in pixels (the window's but in
                                   // full screen, where it is the largest 4:3 that fits)
    int originX = 0, originY = 0;  // the picture's top-left corner in the window: 0 but in full
                                   // screen on a display wider or taller than 4:3
    int samples = 0;               // multisampling the renderer draws with (0: none)
    bool offscreen = false;        // SDL's offscreen driver: swaps need a glFinish
    bool offscreenUnasked = false; // ... though no one asked for it: nothing shows anywhere
    KKeyCallback keyDown = nullptr;
    KKeyCallback keyUp = nullptr;
    KButtonDownCallback buttonDown = nullptr;
    KButtonUpCallback buttonUp = nullptr;
    KMouseMoveCallback mouseMove = nullptr;
    KMouseWheelCallback mouseWheel = nullptr;
    KPaintCallback paint = nullptr;
    bool fullscreen = false;          // shown full screen at the desktop's resolution
    int windowedX = 0, windowedY = 0; // window place and size to come back to from full screen
    int windowedWidth = 0, windowedHeight = 0;
    KScene* scene = nullptr;        // last scene rendered: its screen size follows the window
    KRenderState* render = nullptr; // the renderer's GL objects and per-frame buffers, owned

private:
    friend KScreen* CreateWindowedScreen(int width, int height);
    KScreen() = default;
};

// Opens the window (hidden until ShowWindow(SW_SHOW); top-left of the desktop) with a
// 3.3 core context, 4x multisampling on a hardware renderer that offers it (none on a software
// renderer), vertical sync where available. Logs the GL renderer and version. Null, with a log
// line, when no window or no GL context can be had.
KScreen* CreateWindowedScreen(int width, int height);

// True when DISPLAY or WAYLAND_DISPLAY names a display (set and not empty).
bool DisplayNamed();

// Refresh rate of the display the window is on, in frames a second; 60 when it cannot be known
// (Xvfb and SDL's windowless driver report none).
int KDisplayRefreshHz(const KScreen* screen);

// Places the window's top-left corner at desktop position (x, y).
void MoveScreen(KScreen* screen, int x, int y);

// Resizes the window; the viewport and the scene's screen size follow. Under SDL's windowless
// driver the window is made again at the new size (its surface cannot grow), the GL context and
// the window handle staying the same.
void SetScreenSize(KScreen* screen, int width, int height);

// Full screen at the desktop's resolution (on) or back to the window's place and size before
// it (off). In full screen the game's picture is the largest 4:3 one that fits, centred with
// black bars beside it on a wider (or taller) display: `width` and `height` hold its size,
// `originX` and `originY` its place, and the mouse positions the callbacks get are relative to
// it (a button pressed on a bar is not passed on). False, nothing changed, when the display
// refuses or the screen is already so. Under the windowless driver a window larger than its
// display's mode stands for a display of its own size.
bool SetScreenFullscreen(KScreen* screen, bool on);
