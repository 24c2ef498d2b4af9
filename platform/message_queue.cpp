// SPDX-License-Identifier: GPL-3.0-or-later
// The window message queue: SDL events become WM_* messages in a fixed ring, handed out in
// arrival order; the quit message waits until the ring is empty.

#include "platform/key_codes.h"
#include "platform/platform.h"
#include "platform/platform_internal.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cmath>
#include <csignal>

namespace {

// Enough for several seconds of fast input between two frames. Events are taken from SDL's
// own (much larger) queue only while there is room, so no input is ever dropped; the fold in
// enqueue() is a last guard for one event making more than one message.
constexpr int QUEUE_SIZE = 1024;
MSG g_ring[QUEUE_SIZE];
int g_head = 0;  // next message to hand out
int g_count = 0; // messages waiting

bool g_quitPosted = false;
int g_quitCode = 0;
volatile sig_atomic_t g_signalQuit = 0;

// Input state as the translated events leave it, so each message carries the flags that held
// when its event happened (not when the queue is read).
WPARAM g_buttons = 0;
bool g_shiftDown[2] = {false, false};
bool g_ctrlDown[2] = {false, false};
bool g_altDown[2] = {false, false};
// Virtual keys whose press this window saw and whose release it has not: the game tells a
// repeat from a press by its key table, which must not keep a key down for good.
bool g_keyHeld[256] = {};

// Cursor position on the desktop when the current batch of events was read: asked once per
// pump that brings messages, since each ask is a round trip to the display server.
POINT g_pumpCursor = {0, 0};
bool g_cursorKnown = false;

void onQuitSignal(int) {
    g_signalQuit = 1;
    platformWakeFromSignal();
}

WPARAM modifierFlags() {
    WPARAM f = 0;
    if (g_shiftDown[0] || g_shiftDown[1]) f |= MK_SHIFT;
    if (g_ctrlDown[0] || g_ctrlDown[1]) f |= MK_CONTROL;
    return f;
}

void postQuitFromSystem() {
    // Close button or signal: end cleanly with 0, but keep a code the game already posted.
    if (!g_quitPosted) {
        g_quitPosted = true;
        g_quitCode = 0;
    }
}

void enqueue(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, uint32_t timeMs) {
    if (g_count == QUEUE_SIZE) {
        MSG& last = g_ring[(g_head + g_count - 1) % QUEUE_SIZE];
        if (message == WM_MOUSEMOVE && last.message == WM_MOUSEMOVE && last.hwnd == hwnd) {
            last.wParam = wParam;
            last.lParam = lParam;
            last.time = timeMs;
        }
        return;
    }
    MSG& m = g_ring[(g_head + g_count) % QUEUE_SIZE];
    m.hwnd = hwnd;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = timeMs;
    if (!g_cursorKnown) {
        int x = 0, y = 0;
        if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_GetGlobalMouseState(&x, &y);
        g_pumpCursor = POINT{x, y};
        g_cursorKnown = true;
    }
    m.pt = g_pumpCursor;
    ++g_count;
}

void trackModifier(SDL_Scancode sc, bool down) {
    if (sc == SDL_SCANCODE_LSHIFT) g_shiftDown[0] = down;
    if (sc == SDL_SCANCODE_RSHIFT) g_shiftDown[1] = down;
    if (sc == SDL_SCANCODE_LCTRL) g_ctrlDown[0] = down;
    if (sc == SDL_SCANCODE_RCTRL) g_ctrlDown[1] = down;
    if (sc == SDL_SCANCODE_LALT) g_altDown[0] = down;
    if (sc == SDL_SCANCODE_RALT) g_altDown[1] = down;
}

WPARAM buttonBit(uint8_t sdlButton) {
    switch (sdlButton) {
    case SDL_BUTTON_LEFT:
        return MK_LBUTTON;
    case SDL_BUTTON_RIGHT:
        return MK_RBUTTON;
    case SDL_BUTTON_MIDDLE:
        return MK_MBUTTON;
    default:
        return 0;
    }
}

void translate(const SDL_Event& e) {
    switch (e.type) {
    case SDL_QUIT:
        postQuitFromSystem();
        break;
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) postQuitFromSystem();
        // Uncovered, shown again, resized: what the window showed is gone and must be drawn
        // again, even by a game that draws only when its picture changes.
        if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SHOWN ||
            e.window.event == SDL_WINDOWEVENT_RESTORED ||
            e.window.event == SDL_WINDOWEVENT_MAXIMIZED ||
            e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
            enqueue(platformWindowFromSdlId(e.window.windowID), WM_PAINT, 0, 0, e.window.timestamp);
        // Losing the keyboard drops the modifiers: their key-up goes to another window.
        if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
            // The window learns of the release as a key-up, or a key table kept from the key
            // messages would hold the key down for good (Alt after Alt+Tab: Alt+Enter later).
            // Every other key held then is released out of sight too (F pressed to leave full
            // screen, a letter held while the window manager takes the focus).
            const struct {
                bool* down;
                int vk;
            } held[] = {{g_shiftDown, VK_SHIFT}, {g_ctrlDown, VK_CONTROL}, {g_altDown, VK_MENU}};
            for (const auto& h : held)
                if (h.down[0] || h.down[1]) g_keyHeld[h.vk] = true;
            for (int vk = 0; vk < 256; ++vk) {
                if (!g_keyHeld[vk]) continue;
                enqueue(platformWindowFromSdlId(e.window.windowID), WM_KEYUP, WPARAM(vk),
                        (LPARAM(1) << 30) | (LPARAM(1) << 31) | 1, e.window.timestamp);
                g_keyHeld[vk] = false;
            }
            g_shiftDown[0] = g_shiftDown[1] = false;
            g_ctrlDown[0] = g_ctrlDown[1] = false;
            g_altDown[0] = g_altDown[1] = false;
        }
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const bool down = e.type == SDL_KEYDOWN;
        trackModifier(e.key.keysym.scancode, down);
        const int vk = VirtualKeyFromSdl(e.key.keysym.sym, e.key.keysym.scancode);
        if (vk == 0) break;
        if (vk < 256) g_keyHeld[vk] = down;
        // lParam: repeat count 1; bit 30 the previous key state; bit 31 set for a release.
        LPARAM lp = 1;
        if (!down || e.key.repeat) lp |= LPARAM(1) << 30;
        if (!down) lp |= LPARAM(1) << 31;
        enqueue(platformWindowFromSdlId(e.key.windowID), down ? WM_KEYDOWN : WM_KEYUP, WPARAM(vk),
                lp, e.key.timestamp);
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const WPARAM bit = buttonBit(e.button.button);
        if (!bit) break;
        const bool down = e.type == SDL_MOUSEBUTTONDOWN;
        if (down)
            g_buttons |= bit;
        else
            g_buttons &= ~bit;
        UINT msg;
        if (bit == MK_LBUTTON)
            msg = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        else if (bit == MK_RBUTTON)
            msg = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        else
            msg = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
        enqueue(platformWindowFromSdlId(e.button.windowID), msg, g_buttons | modifierFlags(),
                MAKELPARAM(e.button.x, e.button.y), e.button.timestamp);
        break;
    }
    case SDL_MOUSEMOTION: {
        WPARAM held = 0;
        if (e.motion.state & SDL_BUTTON_LMASK) held |= MK_LBUTTON;
        if (e.motion.state & SDL_BUTTON_RMASK) held |= MK_RBUTTON;
        if (e.motion.state & SDL_BUTTON_MMASK) held |= MK_MBUTTON;
        enqueue(platformWindowFromSdlId(e.motion.windowID), WM_MOUSEMOVE, held | modifierFlags(),
                MAKELPARAM(e.motion.x, e.motion.y), e.motion.timestamp);
        break;
    }
    case SDL_MOUSEWHEEL: {
        // Fine-grained wheels and touchpads turn by fractions of a notch, as on Windows.
        float turned = e.wheel.preciseY;
        if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) turned = -turned;
        const long delta = std::lround(turned * WHEEL_DELTA);
        if (delta == 0) break;
        const int16_t clamped = int16_t(std::clamp(delta, -32768L, 32767L));
        const WPARAM wp = (WPARAM(uint16_t(clamped)) << 16) | g_buttons | modifierFlags();
        // As on Windows, the pointer's place on the desktop.
        int x = 0, y = 0;
        if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_GetGlobalMouseState(&x, &y);
        enqueue(platformWindowFromSdlId(e.wheel.windowID), WM_MOUSEWHEEL, wp, MAKELPARAM(x, y),
                e.wheel.timestamp);
        break;
    }
    default:
        break;
    }
}

void pump() {
    if (g_signalQuit) postQuitFromSystem();
    if (!SDL_WasInit(SDL_INIT_EVENTS)) return;
    g_cursorKnown = false;
    SDL_Event e;
    while (g_count < QUEUE_SIZE && SDL_PollEvent(&e))
        translate(e);
}

bool matches(const MSG& m, HWND hwnd, UINT lo, UINT hi) {
    if (hwnd && m.hwnd != hwnd) return false;
    if (lo == 0 && hi == 0) return true;
    return m.message >= lo && m.message <= hi;
}

} // namespace

void PlatformInit() {
    static bool done = false;
    if (done) return;
    done = true;
    platformWaitInit();
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    struct sigaction sa = {};
    sa.sa_handler = onQuitSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlag) {
    PlatformInit();
    pump();
    for (int i = 0; i < g_count; ++i) {
        const int slot = (g_head + i) % QUEUE_SIZE;
        if (!matches(g_ring[slot], hwnd, filterMin, filterMax)) continue;
        if (msg) *msg = g_ring[slot];
        if (removeFlag & PM_REMOVE) {
            // Close the gap so the remaining messages keep their order.
            for (int j = i; j > 0; --j)
                g_ring[(g_head + j) % QUEUE_SIZE] = g_ring[(g_head + j - 1) % QUEUE_SIZE];
            g_head = (g_head + 1) % QUEUE_SIZE;
            --g_count;
        }
        return TRUE;
    }
    const bool quitWanted =
        filterMin == 0 && filterMax == 0 ? true : WM_QUIT >= filterMin && WM_QUIT <= filterMax;
    if (g_quitPosted && quitWanted && g_count == 0) {
        if (msg) {
            *msg = MSG{};
            msg->message = WM_QUIT;
            msg->wParam = WPARAM(g_quitCode);
        }
        if (removeFlag & PM_REMOVE) {
            g_quitPosted = false;
            g_signalQuit = 0;
        }
        return TRUE;
    }
    return FALSE;
}

bool platformMessagesWaiting() {
    return g_count > 0 || g_quitPosted || g_signalQuit;
}

BOOL TranslateMessage(const MSG* msg) {
    return FALSE;
}

LRESULT DispatchMessageA(const MSG* msg) {
    if (!msg) return 0;
    return platformCallProc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

void PostQuitMessage(int exitCode) {
    g_quitPosted = true;
    g_quitCode = exitCode;
}

void platformForgetWindow(HWND hwnd) {
    int kept = 0;
    for (int i = 0; i < g_count; ++i) {
        const MSG m = g_ring[(g_head + i) % QUEUE_SIZE];
        if (m.hwnd == hwnd) continue;
        g_ring[(g_head + kept) % QUEUE_SIZE] = m;
        ++kept;
    }
    g_count = kept;
}
