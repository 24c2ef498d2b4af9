#pragma once
// Shared between the platform layer's own sources only.

#include "platform/win32.h"

HWND platformWindowFromSdlId(uint32_t id);
LRESULT platformCallProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Drops queued messages of a window that is going away, so none reaches a stale handle.
void platformForgetWindow(HWND hwnd);
