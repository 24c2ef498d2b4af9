// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared between the platform layer's own sources only.

#include "platform/win32.h"

HWND platformWindowFromSdlId(uint32_t id);
LRESULT platformCallProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Drops queued messages of a window that is going away, so none reaches a stale handle.
void platformForgetWindow(HWND hwnd);
// A message waits in the queue, or the quit message is due (posted or signalled).
bool platformMessagesWaiting();
// The wait's own pipes, made once by PlatformInit; and the wake-up a quit signal gives it
// (async-signal-safe).
void platformWaitInit();
void platformWakeFromSignal();
