// SPDX-License-Identifier: GPL-3.0-or-later
// The window and its GL context, and the window procedure that turns window messages into the
// screen's five callbacks.

#include "engine/log.h"
#include "engine/render_api.h"
#include "engine/render_state.h"
#include "engine/scene.h"
#include "engine/screen_api.h"
#include "platform/platform.h"

#include <SDL2/SDL.h>
#include <algorithm>
#include <csignal>
#include <epoxy/gl.h>

namespace {

// A press on the bars beside a full-screen picture is on no part of the game.
bool onPicture(const KScreen* screen, int x, int y) {
    return x >= 0 && y >= 0 && x < screen->width && y < screen->height;
}

LRESULT screenProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* screen = static_cast<KScreen*>(PlatformWindowUserData(hwnd));
    if (!screen) return 0;
    // Mouse positions relative to the game's picture.
    const int x = GET_X_LPARAM(lParam) - screen->originX,
              y = GET_Y_LPARAM(lParam) - screen->originY;
    switch (message) {
    case WM_KEYDOWN:
        if (screen->keyDown) screen->keyDown(static_cast<int>(wParam));
        break;
    case WM_KEYUP:
        if (screen->keyUp) screen->keyUp(static_cast<int>(wParam));
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (screen->fullscreen && !onPicture(screen, x, y)) break;
        if (screen->buttonDown) screen->buttonDown(static_cast<int>(wParam), x, y);
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        if (screen->buttonUp) screen->buttonUp();
        break;
    case WM_MOUSEMOVE:
        if (screen->mouseMove) screen->mouseMove(static_cast<int>(wParam), x, y);
        break;
    case WM_MOUSEWHEEL:
        if (screen->mouseWheel)
            screen->mouseWheel(GET_WHEEL_DELTA_WPARAM(wParam), GET_KEYSTATE_WPARAM(wParam));
        break;
    case WM_PAINT:
        if (screen->paint) screen->paint();
        break;
    default:
        break;
    }
    return 0;
}

// SDL's windowless driver is the one running.
bool offscreenDriver() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && SDL_strcmp(driver, "offscreen") == 0;
}

// SDL's windowless driver, when nobody asked for it by name.
bool unaskedOffscreen() {
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    return offscreenDriver() && !(asked && SDL_strstr(asked, "offscreen"));
}

// SIGPIPE ignored while it lives, the old handling put back after. The X library writes its
// greeting to the new connection with a plain write: when the server has already closed it, that
// write would raise SIGPIPE and end the game without a word, where an ignored signal lets it fail
// with EPIPE, a display that did not answer, which is tried again.
class BrokenPipeIgnored {
public:
    BrokenPipeIgnored() {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(SIGPIPE, &ignore, &old_);
    }
    ~BrokenPipeIgnored() { sigaction(SIGPIPE, &old_, nullptr); }
    BrokenPipeIgnored(const BrokenPipeIgnored&) = delete;
    BrokenPipeIgnored& operator=(const BrokenPipeIgnored&) = delete;

private:
    struct sigaction old_ {};
};

// Video, on the display the environment names. A busy X server now and then closes a new
// connection before answering it; SDL then quietly falls through to its windowless driver and
// the window would never show. While a display is named, such a start is tried again.
bool initVideo() {
    const BrokenPipeIgnored brokenPipe;
    const bool displayNamed = DisplayNamed();
    constexpr int ATTEMPTS = 10;
    for (int attempt = 1;; ++attempt) {
        const bool last = !displayNamed || attempt == ATTEMPTS;
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            Log("Screen: no video (%s)\n", SDL_GetError());
            if (last) return false;
        } else if (last || !unaskedOffscreen()) {
            return true; // past the last attempt, the windowless driver is all there is
        } else {
            Log("Screen: the display did not answer\n");
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
        }
        SDL_Delay(200);
    }
}

// Multisampling asked of a hardware renderer.
constexpr int HARDWARE_SAMPLES = 4;

void setGlAttributes() {
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8); // the mirror pass masks reflective surfaces
    // The window itself is never multisampled: the renderer multisamples in a buffer of its
    // own once it knows the renderer is hardware.
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, 0);
}

} // namespace

KScreen::~KScreen() {
    if (glContext) {
        SDL_GL_MakeCurrent(window, glContext);
        KRenderShutdown(this);
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(glContext));
    }
    if (hwnd) PlatformUnregisterWindow(hwnd);
    if (window) SDL_DestroyWindow(window);
}

bool DisplayNamed() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = SDL_getenv(name);
        if (value && *value) return true;
    }
    return false;
}

KScreen* CreateWindowedScreen(int width, int height) {
    PlatformInit();
    if (width <= 0 || height <= 0) return nullptr;
    if (!initVideo()) return nullptr;
    auto* screen = new KScreen;
    const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN;
    // 1. The window and its context.
    setGlAttributes();
    screen->window = SDL_CreateWindow("chess3d", 0, 0, width, height, flags);
    if (screen->window) screen->glContext = SDL_GL_CreateContext(screen->window);
    if (!screen->glContext) {
        Log("Screen: no OpenGL 3.3 core context (%s)\n", SDL_GetError());
        delete screen;
        return nullptr;
    }
    // 2. Vertical sync where the driver has it: adaptive first, then plain.
    if (SDL_GL_SetSwapInterval(-1) != 0) SDL_GL_SetSwapInterval(1);

    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    screen->samples = KIsSoftwareRenderer(renderer) ? 0 : HARDWARE_SAMPLES;
    screen->offscreen = offscreenDriver();
    screen->offscreenUnasked = unaskedOffscreen();
    screen->width = width;
    screen->height = height;
    screen->hwnd = PlatformRegisterWindow(screen->window, screenProc, screen);

    const char* driver = SDL_GetCurrentVideoDriver();
    Log("GL renderer: %s; version %s; GLSL %s; %d samples%s; video driver %s\n",
        renderer ? renderer : "?", reinterpret_cast<const char*>(glGetString(GL_VERSION)),
        reinterpret_cast<const char*>(glGetString(GL_SHADING_LANGUAGE_VERSION)), screen->samples,
        screen->samples > 0 ? "" : " (software renderer: no multisampling)", driver ? driver : "?");

    // 3. The renderer's programs and buffers live with the context.
    if (!screen->hwnd || !KRenderInit(screen)) {
        Log("Screen: renderer set-up failed\n");
        delete screen;
        return nullptr;
    }
    return screen;
}

int KDisplayRefreshHz(const KScreen* screen) {
    constexpr int UNKNOWN_REFRESH_HZ = 60;
    SDL_DisplayMode mode;
    if (!screen || !screen->window || SDL_GetWindowDisplayMode(screen->window, &mode) != 0 ||
        mode.refresh_rate <= 0)
        return UNKNOWN_REFRESH_HZ;
    return mode.refresh_rate;
}

void MoveScreen(KScreen* screen, int x, int y) {
    if (screen && screen->window) SDL_SetWindowPosition(screen->window, x, y);
}

namespace {

// SDL's windowless driver gives a window a drawing surface of the size it was made with and
// never resizes it: a window grown there would draw into its first corner only. There the window
// is made again at the new size and the GL context moved onto it; the context, and every GL
// object of the renderer with it, lives on, and the window handle stays the same.
bool remakeOffscreenWindow(KScreen* screen, int width, int height) {
    SDL_Window* old = screen->window;
    int x = 0, y = 0;
    SDL_GetWindowPosition(old, &x, &y);
    const bool shown = (SDL_GetWindowFlags(old) & SDL_WINDOW_SHOWN) != 0;
    setGlAttributes();
    SDL_Window* fresh = SDL_CreateWindow("chess3d", x, y, width, height,
                                         SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS |
                                             (shown ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN));
    if (!fresh) return false;
    if (SDL_GL_MakeCurrent(fresh, screen->glContext) != 0) {
        Log("Screen: the context does not move to the resized window (%s)\n", SDL_GetError());
        SDL_GL_MakeCurrent(old, screen->glContext);
        SDL_DestroyWindow(fresh);
        return false;
    }
    PlatformRebindWindow(screen->hwnd, fresh);
    screen->window = fresh;
    SDL_DestroyWindow(old);
    return true;
}

// The window's new size, and under the windowless driver a surface of that size.
void resizeWindow(KScreen* screen, int width, int height) {
    int w = 0, h = 0;
    SDL_GetWindowSize(screen->window, &w, &h);
    if (w == width && h == height) return;
    if (screen->offscreen && remakeOffscreenWindow(screen, width, height)) return;
    SDL_SetWindowSize(screen->window, width, height);
}

} // namespace

void SetScreenSize(KScreen* screen, int width, int height) {
    if (!screen || !screen->window || width <= 0 || height <= 0) return;
    resizeWindow(screen, width, height);
    screen->width = width;
    screen->height = height;
    if (screen->scene) {
        screen->scene->screenWidth = width;
        screen->scene->screenHeight = height;
        screen->scene->barWidth = screen->originX;
        screen->scene->barHeight = screen->originY;
    }
}

namespace {

void setSize(KScreen* screen, int width, int height) {
    screen->width = width;
    screen->height = height;
    if (screen->scene) {
        screen->scene->screenWidth = width;
        screen->scene->screenHeight = height;
        screen->scene->barWidth = screen->originX;
        screen->scene->barHeight = screen->originY;
    }
}

} // namespace

bool SetScreenFullscreen(KScreen* screen, bool on) {
    if (!screen || !screen->window || on == screen->fullscreen) return false;
    SDL_Window* window = screen->window;
    if (on) {
        // 1. The desktop's resolution on the window's display, asked before the switch: the
        //    window manager resizes the window in its own time. The windowless driver's
        //    display has a fixed mode but no real size: a window larger than that mode stands
        //    for a display as large as itself.
        SDL_DisplayMode mode;
        const int display = SDL_GetWindowDisplayIndex(window);
        if (display < 0 || SDL_GetDesktopDisplayMode(display, &mode) != 0) {
            Log("Screen: no desktop size for full screen (%s)\n", SDL_GetError());
            return false;
        }
        if (screen->offscreen) {
            int w = 0, h = 0;
            SDL_GetWindowSize(window, &w, &h);
            mode.w = std::max(mode.w, w);
            mode.h = std::max(mode.h, h);
        }
        // 2. Where to come back to.
        SDL_GetWindowPosition(window, &screen->windowedX, &screen->windowedY);
        screen->windowedWidth = screen->width;
        screen->windowedHeight = screen->height;
        // 3. The borderless window first covers the display itself (all there is without a
        //    window manager), then asks the window manager for full screen (above its panels).
        SDL_Rect bounds{0, 0, mode.w, mode.h};
        SDL_GetDisplayBounds(display, &bounds);
        SDL_SetWindowPosition(screen->window, bounds.x, bounds.y);
        resizeWindow(screen, mode.w, mode.h);
        if (!screen->offscreen &&
            SDL_SetWindowFullscreen(screen->window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
            Log("Screen: full screen refused (%s)\n", SDL_GetError());
            resizeWindow(screen, screen->windowedWidth, screen->windowedHeight);
            SDL_SetWindowPosition(screen->window, screen->windowedX, screen->windowedY);
            return false;
        }
        screen->fullscreen = true;
        // 4. The largest 4:3 picture that fits, centred: the game's heads-up objects and texts
        //    are laid out for 4:3 windows.
        int w = mode.w, h = mode.w * 3 / 4;
        if (h > mode.h) {
            h = mode.h;
            w = mode.h * 4 / 3;
        }
        screen->originX = (mode.w - w) / 2;
        screen->originY = (mode.h - h) / 2;
        setSize(screen, w, h);
        return true;
    }
    if (!screen->offscreen && SDL_SetWindowFullscreen(window, 0) != 0) {
        Log("Screen: leaving full screen refused (%s)\n", SDL_GetError());
        return false;
    }
    screen->fullscreen = false;
    screen->originX = screen->originY = 0;
    resizeWindow(screen, screen->windowedWidth, screen->windowedHeight);
    SDL_SetWindowPosition(screen->window, screen->windowedX, screen->windowedY);
    setSize(screen, screen->windowedWidth, screen->windowedHeight);
    return true;
}
