// SPDX-License-Identifier: GPL-3.0-or-later
// The frame loop's wait: SDL_WaitEventTimeout for the window's events, and a helper thread that
// polls the caller's descriptors meanwhile and wakes that wait with an event of its own.
//
// The helper is armed for one wait at a time. It polls the descriptors together with two pipes
// of its own: the stop pipe, by which the waiting thread calls it back once its wait is over,
// and the signal pipe, written by the SIGINT/SIGTERM handler. When a descriptor (or a signal)
// is ready it pushes its event; either way the cycle ends under the lock with the stop pipe
// drained, so no stale byte can cut a later cycle short.

#include "platform/wait.h"
#include "platform/platform.h"
#include "platform/platform_internal.h"

#include <SDL2/SDL.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

constexpr int OWN_FDS = 2; // the stop pipe and the signal pipe come first in the poll set

struct Watcher {
    std::mutex mutex;
    std::condition_variable changed;
    pollfd fds[OWN_FDS + WAIT_HANDLES_MAX] = {};
    int count = 0;      // caller's descriptors, after the two of the watcher's own
    bool armed = false; // a wait is under way: poll until something is ready or it stops
    Uint32 eventType = 0;
};

Watcher* g_watcher = nullptr; // made once, never freed (its thread runs to the process's end)
int g_stopPipe[2] = {-1, -1};
int g_signalPipe[2] = {-1, -1};

bool makePipe(int (&ends)[2]) {
    if (pipe(ends) != 0) return false;
    for (int fd : ends) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    return true;
}

void drain(int fd) {
    char bytes[64];
    while (read(fd, bytes, sizeof bytes) > 0) {
    }
}

short eventsOf(const WaitHandle& h) {
    return h.write ? POLLOUT : POLLIN;
}

// A descriptor that is ready, failed or hung up; a closed one (POLLNVAL) wakes nobody.
bool ready(const pollfd& p) {
    return (p.revents & (POLLIN | POLLOUT | POLLERR | POLLHUP)) != 0;
}

void watch(Watcher* w) {
    pollfd fds[OWN_FDS + WAIT_HANDLES_MAX];
    std::unique_lock<std::mutex> lock(w->mutex);
    for (;;) {
        w->changed.wait(lock, [w] { return w->armed; });
        const int n = OWN_FDS + w->count;
        for (int i = 0; i < n; ++i)
            fds[i] = w->fds[i];
        lock.unlock();
        int r;
        do {
            r = poll(fds, nfds_t(n), -1);
        } while (r < 0 && errno == EINTR && !ready(fds[1]));
        bool wake = ready(fds[1]);
        for (int i = OWN_FDS; i < n && !wake; ++i)
            wake = ready(fds[i]);
        if (wake) {
            SDL_Event e{};
            e.type = w->eventType;
            SDL_PushEvent(&e);
        }
        lock.lock();
        drain(g_stopPipe[0]);
        w->armed = false;
        w->changed.notify_all();
    }
}

Watcher* watcher() {
    if (g_watcher || g_stopPipe[0] < 0) return g_watcher;
    g_watcher = new Watcher;
    g_watcher->eventType = SDL_RegisterEvents(1);
    g_watcher->fds[0] = pollfd{g_stopPipe[0], POLLIN, 0};
    g_watcher->fds[1] = pollfd{g_signalPipe[0], POLLIN, 0};
    std::thread(watch, g_watcher).detach();
    return g_watcher;
}

// Only a look: something waits already.
bool anythingNow(const pollfd* fds, int count) {
    if (platformMessagesWaiting()) return true;
    if (SDL_WasInit(SDL_INIT_EVENTS)) {
        SDL_PumpEvents();
        if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT)) return true;
    }
    pollfd look[WAIT_HANDLES_MAX];
    for (int i = 0; i < count; ++i)
        look[i] = fds[i];
    return count > 0 && poll(look, nfds_t(count), 0) > 0;
}

bool handleReady(const pollfd* fds, int count) {
    pollfd look[WAIT_HANDLES_MAX];
    for (int i = 0; i < count; ++i)
        look[i] = fds[i];
    if (count == 0 || poll(look, nfds_t(count), 0) <= 0) return false;
    for (int i = 0; i < count; ++i)
        if (ready(look[i])) return true;
    return false;
}

// Without SDL's events (no window: some tests) the descriptors alone are waited on.
WaitResult waitWithoutEvents(const pollfd* fds, int count, DWORD timeoutMs) {
    pollfd set[1 + WAIT_HANDLES_MAX];
    set[0] = pollfd{g_signalPipe[0], POLLIN, 0};
    for (int i = 0; i < count; ++i)
        set[1 + i] = fds[i];
    const int r = poll(set, nfds_t(1 + count), int(timeoutMs));
    if (r > 0 && ready(set[0])) {
        drain(g_signalPipe[0]);
        return WaitResult::Message;
    }
    return r > 0 ? WaitResult::Handle : WaitResult::Timeout;
}

} // namespace

void platformWaitInit() {
    if (g_stopPipe[0] >= 0) return;
    if (!makePipe(g_stopPipe)) return;
    if (!makePipe(g_signalPipe)) {
        close(g_stopPipe[0]);
        close(g_stopPipe[1]);
        g_stopPipe[0] = g_stopPipe[1] = -1;
    }
}

void platformWakeFromSignal() {
    if (g_signalPipe[1] >= 0) {
        const char byte = 1;
        (void)!write(g_signalPipe[1], &byte, 1); // async-signal-safe; a full pipe wakes already
    }
}

WaitResult WaitMessageOrHandles(const WaitHandle* handles, int count, DWORD timeoutMs) {
    PlatformInit();
    if (count < 0) count = 0;
    if (count > WAIT_HANDLES_MAX) count = WAIT_HANDLES_MAX;
    pollfd fds[WAIT_HANDLES_MAX];
    for (int i = 0; i < count; ++i)
        fds[i] = pollfd{handles[i].fd, eventsOf(handles[i]), 0};

    // 1. Something is there already.
    if (anythingNow(fds, count))
        return handleReady(fds, count) ? WaitResult::Handle : WaitResult::Message;
    if (timeoutMs == 0) return WaitResult::Timeout;
    Watcher* w = watcher();
    if (!SDL_WasInit(SDL_INIT_EVENTS) || !w) return waitWithoutEvents(fds, count, timeoutMs);

    // 2. The helper watches the descriptors while SDL waits for the window's events.
    {
        std::lock_guard<std::mutex> lock(w->mutex);
        for (int i = 0; i < count; ++i)
            w->fds[OWN_FDS + i] = fds[i];
        w->count = count;
        w->armed = true;
    }
    w->changed.notify_all();
    const int woken = SDL_WaitEventTimeout(nullptr, int(timeoutMs));

    // 3. The helper stops (called back through the stop pipe unless it has stopped already) and
    //    its event, if it sent one, goes: the handles are looked at directly below.
    {
        std::unique_lock<std::mutex> lock(w->mutex);
        if (w->armed) {
            const char byte = 1;
            (void)!write(g_stopPipe[1], &byte, 1);
            w->changed.wait(lock, [w] { return !w->armed; });
        }
    }
    SDL_FlushEvent(w->eventType);
    drain(g_signalPipe[0]);
    if (handleReady(fds, count)) return WaitResult::Handle;
    if (platformMessagesWaiting()) return WaitResult::Message;
    SDL_PumpEvents();
    return woken && SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT) ? WaitResult::Message
                                                                 : WaitResult::Timeout;
}
