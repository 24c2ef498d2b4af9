// SPDX-License-Identifier: GPL-3.0-or-later
// The window: input messages reach the five callbacks with Windows codes, and size changes
// reach the viewport and the scene.

#include "render_fixture.h"

#include <SDL2/SDL.h>
#include <cstdio>

namespace {

struct Seen {
    int keyDown = -1, keyUp = -1, buttons = -1, bx = -1, by = -1, ups = 0;
    int flags = -1, mx = -1, my = -1;
    int order[8] = {};
    int count = 0;
} seen;

void onKeyDown(int k) {
    seen.keyDown = k;
    seen.order[seen.count++ % 8] = 1;
}
void onKeyUp(int k) {
    seen.keyUp = k;
    seen.order[seen.count++ % 8] = 2;
}
void onButtonDown(int b, int x, int y) {
    seen.buttons = b, seen.bx = x, seen.by = y;
    seen.order[seen.count++ % 8] = 3;
}
void onButtonUp() {
    ++seen.ups;
    seen.order[seen.count++ % 8] = 4;
}
void onMouseMove(int f, int x, int y) {
    seen.flags = f, seen.mx = x, seen.my = y;
    seen.order[seen.count++ % 8] = 5;
}

class Screen : public RenderTest {
protected:
    void push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1); }
    SDL_Event key(bool down, SDL_Keycode sym, SDL_Scancode sc) {
        SDL_Event e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.windowID = SDL_GetWindowID(screen->window);
        e.key.keysym.sym = sym;
        e.key.keysym.scancode = sc;
        return e;
    }
};

TEST_F(Screen, MessagesReachTheCallbacksInOrderWithWindowsCodes) {
    seen = Seen{};
    screen->keyDown = onKeyDown;
    screen->keyUp = onKeyUp;
    screen->buttonDown = onButtonDown;
    screen->buttonUp = onButtonUp;
    screen->mouseMove = onMouseMove;
    const Uint32 id = SDL_GetWindowID(screen->window);

    push(key(true, SDLK_F12, SDL_SCANCODE_F12));
    SDL_Event b{};
    b.type = SDL_MOUSEBUTTONDOWN;
    b.button.windowID = id;
    b.button.button = SDL_BUTTON_MIDDLE;
    b.button.x = 33;
    b.button.y = 44;
    push(b);
    SDL_Event m{};
    m.type = SDL_MOUSEMOTION;
    m.motion.windowID = id;
    m.motion.state = SDL_BUTTON_MMASK;
    m.motion.x = 35;
    m.motion.y = 47;
    push(m);
    b.type = SDL_MOUSEBUTTONUP;
    push(b);
    push(key(false, SDLK_F12, SDL_SCANCODE_F12));

    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ASSERT_NE(msg.message, WM_QUIT);
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    ASSERT_EQ(seen.count, 5);
    const int order[5] = {1, 3, 5, 4, 2};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(seen.order[i], order[i]) << i;
    EXPECT_EQ(seen.keyDown, 123);
    EXPECT_EQ(seen.keyUp, 123);
    EXPECT_EQ(seen.buttons, 16); // middle button bit, as the menu tests it
    EXPECT_EQ(seen.bx, 33);
    EXPECT_EQ(seen.by, 44);
    EXPECT_EQ(seen.flags, 16);
    EXPECT_EQ(seen.mx, 35);
    EXPECT_EQ(seen.my, 47);
    EXPECT_EQ(seen.ups, 1);
    screen->keyDown = screen->keyUp = nullptr;
    screen->buttonDown = nullptr;
    screen->buttonUp = nullptr;
    screen->mouseMove = nullptr;
}

TEST_F(Screen, SizeChangesReachTheWindowTheSceneAndTheViewport) {
    addCamera({0, 0, 5}, {0, 0, 0});
    auto* mat = addMaterial({1, 1, 0, 1}, true);
    auto* image = new KImage2D(scene);
    image->mat = mat;
    image->x = 600;
    image->y = 400;
    image->width = image->height = 20;
    render(); // the scene now follows the screen

    SetScreenSize(screen, 640, 480);
    EXPECT_EQ(scene->screenWidth, 640);
    EXPECT_EQ(scene->screenHeight, 480);
    int w = 0, h = 0;
    SDL_GetWindowSize(screen->window, &w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    // Window pixels stay window pixels: the image shows at (600..620, 400..420). The display
    // resizes the drawable between frames, as it does in the frame loop; SDL's offscreen
    // driver, whose surfaces cannot grow, gets a new window of the new size.
    render();
    SwapBuffers(screen);
    SDL_PumpEvents();
    render();
    EXPECT_RGB_NEAR(pixel(610, 410), 255, 255, 0);
    EXPECT_RGB_NEAR(pixel(590, 410), 102, 77, 102);

    MoveScreen(screen, 200, 200);
    SetScreenSize(screen, W, H);
    render();
    EXPECT_EQ(scene->screenWidth, W);
}

TEST_F(Screen, FrameRateIsMeasured) {
    addCamera({0, 0, 5}, {0, 0, 0});
    addQuad(addMaterial({1, 0, 0, 1}, false), {-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0});
    const Uint64 start = SDL_GetPerformanceCounter();
    int frames = 0;
    double elapsed = 0;
    while (elapsed < 1.2) {
        render();
        SwapBuffers(screen);
        ++frames;
        elapsed = double(SDL_GetPerformanceCounter() - start) / SDL_GetPerformanceFrequency();
    }
    const double expected = frames / elapsed;
    EXPECT_GT(scene->stats.fps, 0.5 * expected);
    EXPECT_LT(scene->stats.fps, 2.0 * expected);
}

} // namespace
