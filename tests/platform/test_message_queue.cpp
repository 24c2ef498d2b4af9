// SPDX-License-Identifier: GPL-3.0-or-later
// The window message queue: order, the quit message and its code, and how SDL events become
// window messages.

#include "platform/platform.h"

#include <SDL2/SDL.h>
#include <csignal>
#include <gtest/gtest.h>

namespace {

class MessageQueue : public ::testing::Test {
protected:
    void SetUp() override {
        PlatformInit();
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0) << SDL_GetError();
        drain();
    }
    void TearDown() override { drain(); }

    static void drain() {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    static void pushKey(bool down, SDL_Keycode sym, SDL_Scancode sc) {
        SDL_Event e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.sym = sym;
        e.key.keysym.scancode = sc;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
    static void pushButton(bool down, Uint8 button, int x, int y) {
        SDL_Event e{};
        e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        e.button.button = button;
        e.button.x = x;
        e.button.y = y;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
    static void pushMotion(Uint32 state, int x, int y) {
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.state = state;
        e.motion.x = x;
        e.motion.y = y;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
};

TEST_F(MessageQueue, DeliversEveryInputInOrderBeforeReportingEmpty) {
    pushKey(true, SDLK_a, SDL_SCANCODE_A);
    pushMotion(0, 10, 20);
    pushButton(true, SDL_BUTTON_LEFT, 11, 21);
    pushButton(false, SDL_BUTTON_LEFT, 12, 22);
    pushKey(false, SDLK_a, SDL_SCANCODE_A);

    const UINT expected[] = {WM_KEYDOWN, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_KEYUP};
    MSG m;
    for (UINT want : expected) {
        ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
        EXPECT_EQ(m.message, want);
        TranslateMessage(&m);
        DispatchMessageA(&m); // no window: harmless
    }
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueue, QuitCarriesItsCodeAndComesAfterEarlierInput) {
    pushKey(true, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    pushButton(true, SDL_BUTTON_LEFT, 5, 5);
    PostQuitMessage(18);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_KEYDOWN);
    EXPECT_EQ(m.wParam, WPARAM(27));
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_LBUTTONDOWN);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, WPARAM(18));
    // Taken once: the loop does not see it again.
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueue, PeekWithoutRemoveLeavesTheMessage) {
    pushKey(true, SDLK_h, SDL_SCANCODE_H);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.wParam, WPARAM('H'));
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueue, SystemQuitRequestsPostQuitWithZeroButKeepTheGamesCode) {
    MSG m;
    // The window manager's close request arrives as SDL's quit event.
    SDL_Event q{};
    q.type = SDL_QUIT;
    SDL_PushEvent(&q);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, WPARAM(0));

    // SIGTERM: handled, not fatal, and the quit message follows.
    ASSERT_EQ(raise(SIGTERM), 0);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, WPARAM(0));
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));

    // SIGINT after the game asked to quit with 18: the game's code stands.
    PostQuitMessage(18);
    ASSERT_EQ(raise(SIGINT), 0);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, WPARAM(18));
}

TEST_F(MessageQueue, MouseMessagesCarryWindowsFlagsAndSignedPosition) {
    pushKey(true, SDLK_LSHIFT, SDL_SCANCODE_LSHIFT);
    pushButton(true, SDL_BUTTON_LEFT, 30, 40);
    pushKey(true, SDLK_RCTRL, SDL_SCANCODE_RCTRL);
    pushMotion(SDL_BUTTON_LMASK | SDL_BUTTON_RMASK, -5, 700);
    pushKey(false, SDLK_LSHIFT, SDL_SCANCODE_LSHIFT);
    pushButton(true, SDL_BUTTON_MIDDLE, 1, 2);

    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.wParam, WPARAM(16)); // Shift
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_LBUTTONDOWN);
    EXPECT_EQ(m.wParam, MK_LBUTTON | MK_SHIFT);
    EXPECT_EQ(GET_X_LPARAM(m.lParam), 30);
    EXPECT_EQ(GET_Y_LPARAM(m.lParam), 40);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.wParam, WPARAM(17)); // Ctrl
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_MOUSEMOVE);
    EXPECT_EQ(m.wParam, MK_LBUTTON | MK_RBUTTON | MK_SHIFT | MK_CONTROL);
    EXPECT_EQ(GET_X_LPARAM(m.lParam), -5); // outside the window while captured
    EXPECT_EQ(GET_Y_LPARAM(m.lParam), 700);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_KEYUP);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_MBUTTONDOWN);
    // Left still held from before, Shift released, Ctrl still down.
    EXPECT_EQ(m.wParam, MK_LBUTTON | MK_MBUTTON | MK_CONTROL);
    pushKey(false, SDLK_RCTRL, SDL_SCANCODE_RCTRL);
    pushButton(false, SDL_BUTTON_LEFT, 1, 2);
    pushButton(false, SDL_BUTTON_MIDDLE, 1, 2);
}

TEST_F(MessageQueue, AFloodOfInputOverflowingTheQueueLosesNothing) {
    // More moves than the queue holds, then a key while it is full.
    for (int i = 0; i < 1500; ++i)
        pushMotion(0, i, i);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    pushKey(true, SDLK_RETURN, SDL_SCANCODE_RETURN);
    int moves = 0, lastX = -1, enterAfter = -1;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_MOUSEMOVE) {
            EXPECT_EQ(GET_X_LPARAM(m.lParam), lastX + 1); // in order, none skipped
            lastX = GET_X_LPARAM(m.lParam);
            ++moves;
        }
        if (m.message == WM_KEYDOWN && m.wParam == 13) enterAfter = moves;
    }
    EXPECT_EQ(moves, 1500);
    EXPECT_EQ(enterAfter, 1500);
}

} // namespace

TEST_F(MessageQueue, WheelTurnsBecomeWheelMessagesWithTheirDistanceAndFlags) {
    struct Turn {
        float y;           // notches, positive away from the user as SDL reports them
        bool flipped;      // the desktop reverses the direction ("natural scrolling")
        int expectedDelta; // 0: no message
    };
    const Turn turns[] = {{1, false, WHEEL_DELTA}, {-3, false, -3 * WHEEL_DELTA},
                          {1, true, -WHEEL_DELTA}, {0.25f, false, WHEEL_DELTA / 4},
                          {0.001f, false, 0},      {400, false, 32767}};
    pushKey(true, SDLK_LSHIFT, SDL_SCANCODE_LSHIFT);
    pushButton(true, SDL_BUTTON_RIGHT, 1, 1);
    drain();
    for (const Turn& t : turns) {
        SDL_Event e{};
        e.type = SDL_MOUSEWHEEL;
        e.wheel.y = int(t.y);
        e.wheel.preciseY = t.y;
        e.wheel.direction = t.flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
        MSG m;
        if (t.expectedDelta == 0) {
            EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) << t.y;
            continue;
        }
        ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) << t.y;
        EXPECT_EQ(m.message, WM_MOUSEWHEEL);
        EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(m.wParam), t.expectedDelta) << t.y;
        EXPECT_EQ(GET_KEYSTATE_WPARAM(m.wParam), int(MK_RBUTTON | MK_SHIFT)) << t.y;
    }
    pushButton(false, SDL_BUTTON_RIGHT, 1, 1);
    pushKey(false, SDLK_LSHIFT, SDL_SCANCODE_LSHIFT);
}

TEST_F(MessageQueue, ModifiersHeldWhenTheWindowLosesTheKeyboardAreReleased) {
    // Alt+Tab: Alt's release goes to the other window. The game must not keep it held, or a
    // later Enter would be Alt+Enter.
    pushKey(true, SDLK_LALT, SDL_SCANCODE_LALT);
    pushKey(true, SDLK_RSHIFT, SDL_SCANCODE_RSHIFT);
    SDL_Event lost{};
    lost.type = SDL_WINDOWEVENT;
    lost.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    ASSERT_EQ(SDL_PushEvent(&lost), 1);
    pushButton(true, SDL_BUTTON_LEFT, 3, 4);
    const std::pair<UINT, WPARAM> expected[] = {{WM_KEYDOWN, VK_MENU},
                                                {WM_KEYDOWN, VK_SHIFT},
                                                {WM_KEYUP, VK_SHIFT},
                                                {WM_KEYUP, VK_MENU},
                                                {WM_LBUTTONDOWN, MK_LBUTTON}};
    MSG m;
    for (const auto& [message, wParam] : expected) {
        ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
        EXPECT_EQ(m.message, message);
        EXPECT_EQ(m.wParam, wParam) << "Shift is not held any more either";
    }
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    pushButton(false, SDL_BUTTON_LEFT, 3, 4);
}
