// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Waiting for something to do: the frame loop's rest between frames. Windows programs wait with
// MsgWaitForMultipleObjects for a window message or a handle; here the handles are file
// descriptors (sockets, pipes) and the messages SDL's events.

#include "platform/win32.h"

// A descriptor to wait on: until it can be read (or has failed or hung up), or, with `write`,
// until it can be written (a connection being made, an output queue waiting).
struct WaitHandle {
    int fd = -1;
    bool write = false;
};

// Handles one wait looks at, at most; further ones are left out.
constexpr int WAIT_HANDLES_MAX = 64;

enum class WaitResult {
    Message, // a window message (input, a window event) is waiting, or a quit signal came
    Handle,  // one of the handles is ready
    Timeout, // neither, within the time given
};

// Waits until a window message waits in the queue (or in SDL's own), one of `handles` is ready,
// or `timeoutMs` milliseconds have passed, whichever comes first; 0 only looks. SIGINT and
// SIGTERM end the wait too. Nothing is taken from the queue: PeekMessageA hands the messages out.
// The window's events wake it through SDL_WaitEventTimeout; the handles are watched by a helper
// thread, which wakes that wait with an event of its own when one is ready.
WaitResult WaitMessageOrHandles(const WaitHandle* handles, int count, DWORD timeoutMs);
