// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the engine's window needs from the platform layer beyond the Win32 names: joining an SDL
// window to a window handle and its procedure, and the one-time process set-up.

#include "platform/win32.h"

struct SDL_Window;

// Once per process, before SDL starts: SIGINT and SIGTERM post the quit message (code 0 unless
// the game posted its own) instead of killing the program, and SDL is told to leave those
// signals alone. Safe to call again.
void PlatformInit();

// Makes a window handle for an SDL window whose messages go to proc. The handle stays valid
// until PlatformUnregisterWindow; userData is the owner's (the engine's screen). Null when
// the table of windows is full.
HWND PlatformRegisterWindow(SDL_Window* window, WNDPROC proc, void* userData);
void PlatformUnregisterWindow(HWND hwnd);
SDL_Window* PlatformSdlWindow(HWND hwnd);
// Points an existing handle at another SDL window (the engine remade the window); the handle
// and its procedure stay as they were.
void PlatformRebindWindow(HWND hwnd, SDL_Window* window);
void* PlatformWindowUserData(HWND hwnd);
