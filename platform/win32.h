// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The small part of the Win32 interface the game calls, with the same names and meaning, over
// SDL2 and POSIX. Only what the game uses: the message queue, the window and cursor calls, the
// program path, the current folder and the folder search for saved games.
//
// Window messages come from SDL's event queue: PeekMessageA pumps SDL and turns its events
// into WM_* messages for the window they belong to. The window manager's close request and
// SIGINT/SIGTERM post the quit message (code 0 unless the game already posted its own).

#include <cstdint>
#include <ctime>

#define WINAPI
#define CALLBACK
#define APIENTRY

using BOOL = int;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = unsigned int;
using LONG = int32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using LPSTR = char*;
using LPCSTR = const char*;

struct HWND__;
using HWND = HWND__*;    // one game window; null means "any window" or "none"
using HINSTANCE = void*; // only passed through the process entry
using HMODULE = void*;   // null: the running program

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

struct POINT {
    LONG x; // pixels
    LONG y;
};

struct MSG {
    HWND hwnd;     // window the message is for (null for the quit message)
    UINT message;  // WM_*
    WPARAM wParam; // key code, mouse flags, or the quit code
    LPARAM lParam; // mouse position (MAKELPARAM(x, y)) or key repeat bits
    DWORD time;    // milliseconds since SDL started
    POINT pt;      // cursor position in screen coordinates when the message was made
};

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

// Messages.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_PAINT = 0x000F; // the window's picture was lost or resized: draw it again
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MOUSEWHEEL = 0x020A;

// The wheel message: wParam's high word is the signed distance turned, in multiples of
// WHEEL_DELTA per notch (positive away from the user), its low word the mouse flags; lParam the
// pointer's position on the desktop.
constexpr int WHEEL_DELTA = 120;

// Mouse-message flags (wParam of the mouse messages).
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;

// Virtual-key codes the game names (letters and digits are their ASCII capitals).
constexpr int VK_BACK = 8;
constexpr int VK_TAB = 9;
constexpr int VK_RETURN = 13;
constexpr int VK_SHIFT = 16;
constexpr int VK_CONTROL = 17;
constexpr int VK_MENU = 18;
constexpr int VK_PAUSE = 19;
constexpr int VK_ESCAPE = 27;
constexpr int VK_SPACE = 32;
constexpr int VK_END = 35;
constexpr int VK_HOME = 36;
constexpr int VK_LEFT = 37;
constexpr int VK_UP = 38;
constexpr int VK_RIGHT = 39;
constexpr int VK_DOWN = 40;
constexpr int VK_DELETE = 46;
constexpr int VK_NUMPAD0 = 96;
constexpr int VK_F1 = 112;
constexpr int VK_F11 = 122;
constexpr int VK_F12 = 123;

inline LPARAM MAKELPARAM(int lo, int hi) {
    return static_cast<LPARAM>(static_cast<uint32_t>(static_cast<uint16_t>(lo)) |
                               (static_cast<uint32_t>(static_cast<uint16_t>(hi)) << 16));
}
inline int GET_WHEEL_DELTA_WPARAM(WPARAM wp) {
    return static_cast<int16_t>((wp >> 16) & 0xFFFF);
}
inline int GET_KEYSTATE_WPARAM(WPARAM wp) {
    return static_cast<int>(wp & 0xFFFF);
}
// Signed window coordinates of a mouse message (negative while the mouse is captured outside).
inline int GET_X_LPARAM(LPARAM lp) {
    return static_cast<int16_t>(lp & 0xFFFF);
}
inline int GET_Y_LPARAM(LPARAM lp) {
    return static_cast<int16_t>((lp >> 16) & 0xFFFF);
}

// ---- Message queue -------------------------------------------------------------------------

// Pumps SDL's events into the queue, then hands out the first queued message in
// [filterMin, filterMax] (0, 0: any) for hwnd (null: any). The quit message comes only when no
// other message waits, as on Windows. Returns TRUE when a message was stored in *msg.
BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlag);
// Character messages are not used by the game: the key codes carry everything it reads.
BOOL TranslateMessage(const MSG* msg);
// Calls the procedure of the message's window; 0 when the message has no window.
LRESULT DispatchMessageA(const MSG* msg);
// Asks the frame loop to end: WM_QUIT with the code in wParam, once the queue is empty.
void PostQuitMessage(int exitCode);

// ---- Window and cursor ---------------------------------------------------------------------

// SW_HIDE or SW_SHOW. Returns TRUE when the window was visible before.
BOOL ShowWindow(HWND hwnd, int cmdShow);
// Display counter as on Windows: the system cursor shows while it is >= 0. Returns it.
int ShowCursor(BOOL show);
// Places the window's top-left corner at (x, y) on the desktop and sets its size.
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
// The frame loop repaints every frame, so there is nothing to force.
BOOL UpdateWindow(HWND hwnd);
// Cursor position in desktop coordinates.
BOOL GetCursorPos(POINT* point);
// The game window under a desktop point, or null when the point is over anything else.
HWND WindowFromPoint(POINT point);

// ---- Program path, folders, folder search --------------------------------------------------

// Full path of the running program (module must be null). Returns the characters copied
// without the terminator; when the buffer is too small the path is cut, still terminated, and
// the result is size. 0 on failure.
DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);
// '\' in the path is taken as '/'. TRUE on success.
BOOL SetCurrentDirectoryA(LPCSTR path);
// Returns the length written, or the size needed (with the terminator) if size is too small.
DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer);

// Folder search over regular files, as the C runtime's _findfirst family: a pattern such as
// "./Save/*.chs" (folder part, then a name with '*' and '?', matched without regard to case).
// Matches come in name order.
constexpr unsigned _A_NORMAL = 0x00;
constexpr unsigned _A_RDONLY = 0x01;
struct _finddata_t {
    unsigned attrib;    // _A_NORMAL or _A_RDONLY
    time_t time_create; // seconds since 1970 (the status change time here)
    time_t time_access;
    time_t time_write; // last write, for ctime()
    long size;         // bytes
    char name[260];    // file name without the folder
};
// Returns a search handle and the first match, or -1 when nothing matches.
intptr_t _findfirst(const char* pattern, _finddata_t* data);
// 0 and the next match, or -1 when there is no more.
int _findnext(intptr_t handle, _finddata_t* data);
// 0, or -1 for a bad handle.
int _findclose(intptr_t handle);
