// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frame_loop.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <thread>

#include "anim/anim_manager.h"
#include "app/app_state.h"
#include "app/camera_zoom.h"
#include "app/frame_rest.h"
#include "app/game_main.h"
#include "board/board_scene.h"
#include "chess/search.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "game/opponent.h"
#include "game/settings.h"
#include "net/KivNetwork.h"
#include "netplay/net_session.h"
#include "platform/wait.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"

namespace {

using RealClock = std::chrono::steady_clock;

struct Loop {
    FrameRest* rest = nullptr; // made by startFrameLoop
    FramePlan plan;
    FrameLoopCounts counts;
    long inputs = 0;
    bool inputSinceFrame = true; // the first pass draws
    uint64_t shown = 0;          // fingerprint of the last frame drawn
    uint64_t lastPass = 0;       // fingerprint at the end of the last pass
    bool handleWoke = false;     // the last wait ended for a socket or pipe
    FILE* log = nullptr;
} g_loop;

double secondsSince(RealClock::time_point start) {
    return std::chrono::duration<double>(RealClock::now() - start).count();
}

// The ambient motion: drawn at its own pace, so it is left out of the picture's fingerprint.
int ambientNodes(const KNodeGraph* out[2]) {
    int n = 0;
    if (g_board && g_board->lightPivot1) out[n++] = g_board->lightPivot1;
    if (g_board && g_board->dome) out[n++] = g_board->dome;
    return n;
}

bool isAmbient(const KNodeGraph* node) {
    return g_board && node && (node == g_board->lightPivot1 || node == g_board->dome);
}

template <class Entries> bool anyRunning(const Entries& entries) {
    for (const auto& e : entries)
        if (e.state != ANIM_STOPPED) return true;
    return false;
}

// Timers the loop reads itself: a UCI engine that must answer by its deadline, and its sign.
void wakeForOpponent() {
    const UciEngine& e = uciOpponent();
    const bool awaiting = e.phase == UciPhase::Starting || e.phase == UciPhase::Configuring ||
                          e.phase == UciPhase::Searching;
    if (awaiting) KWakeWithin(double(e.deadlineMs - clock_ms() + 1) * 0.001);
    const int64_t signInMs = opponentThinkingInMs();
    if (signInMs > 0) KWakeWithin(double(signInMs) * 0.001);
}

int addHandle(WaitHandle* out, int n, int fd, bool write) {
    if (fd < 0 || n >= WAIT_HANDLES_MAX) return n;
    out[n] = WaitHandle{fd, write};
    return n + 1;
}

// The descriptors whose news the game reads in its step: the host's listening socket and
// connections, the joining side's connection, the UCI engine's pipes. A socket whose output
// waits, or a connection being made, waits until it can be written.
int collectHandles(WaitHandle* out) {
    int n = 0;
    const AppState* app = g_app;
    if (app && netSession().server && netSession().server->port) {
        const KPort* port = netSession().server->port;
        n = addHandle(out, n, port->listenSock, false);
        for (const KSocket* s = port->sockets; s; s = s->next) {
            n = addHandle(out, n, s->sock, false);
            if (s->outputLength > 0) n = addHandle(out, n, s->sock, true);
        }
    }
    if (app && netSession().client && netSession().client->sock >= 0) {
        const KClient* c = netSession().client;
        n = addHandle(out, n, c->sock, false);
        if (c->linkState == 0 || c->outputLength > 0) n = addHandle(out, n, c->sock, true);
    }
    const ChildProcess& engine = uciOpponent().process;
    n = addHandle(out, n, engine.output, false);
    if (!engine.queued.empty()) n = addHandle(out, n, engine.input, true);
    return n;
}

void writeLog(const char* why) {
    if (!g_loop.log) return;
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    std::fprintf(g_loop.log, "%lld.%06ld %s\n", (long long)t.tv_sec, t.tv_nsec / 1000, why);
    std::fflush(g_loop.log);
}

double (*g_frameCostClock)() = nullptr; // setFrameCostClock's; null: the process's own

double processorSeconds() {
    if (g_frameCostClock) return g_frameCostClock();
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

void drawFrame(FrameDraw draw, double passStart) {
    Loop& l = g_loop;
    ++l.counts.frames;
    if (l.plan.resting) ++l.counts.restFrames;
    noteFrameDrawn(l.counts.frames, l.plan.resting);
    statisticsStep();
    if (draw == FrameDraw::Render) {
        const double before = processorSeconds();
        drawGameFrame();
        // What the ambient motion costs here: the scene at rest, every thread of the driver.
        if (l.plan.resting) l.rest->noteAmbientFrameCost(processorSeconds() - before);
    }
    l.rest->drawn(passStart);
    l.inputSinceFrame = false;
    writeLog(l.plan.why);
}

} // namespace

void startFrameLoop() {
    if (g_loop.rest) return;
    const double period = 1.0 / KDisplayRefreshHz(g_app ? g_app->screen : nullptr);
    const double ambient = gameSettings().ambient ? 1.0 / AMBIENT_FRAMES_PER_SECOND : 0.0;
    g_loop.rest = new FrameRest(period, ambient, LONGEST_REST_SECONDS);
}

bool sceneMovesByItself() {
    const AnimManager* m = g_anim;
    if (m) {
        for (const NodeAnimEntry& e : m->node_entries)
            if (e.state != ANIM_STOPPED && !isAmbient(e.node)) return true;
        if (anyRunning(m->material_entries) || anyRunning(m->light_entries) ||
            anyRunning(m->skeleton_entries))
            return true;
    }
    const Interface* ui = g_ui;
    if (ui && (ui->waterShown || ui->quitBannerShown)) return true;
    if (g_app && g_app->dragging) return true;
    if (g_board && g_game->pieceInMotion) return true;
    return !cameraZoomSettled();
}

uint64_t pictureFingerprint() {
    const KNodeGraph* still[2];
    const int n = ambientNodes(still);
    return KSceneFingerprint(g_scene, still, n);
}

bool framePass(FrameDraw draw) {
    startFrameLoop();
    Loop& l = g_loop;
    const RealClock::time_point realStart = RealClock::now();
    const double start = KClockSeconds();
    ++l.counts.passes;
    if (!stepFrame()) return false;

    // 1. What the pass found: input, a changed picture, motion, timers.
    wakeForOpponent();
    FrameFacts facts;
    facts.now = start;
    facts.input = l.inputSinceFrame;
    const uint64_t print = pictureFingerprint();
    facts.changed = print != l.shown;
    // A picture that changed during this pass may change again in the next: something moves
    // that no rule above names, and the loop does not rest on it.
    facts.moving = sceneMovesByItself() || print != l.lastPass;
    facts.wakeWithin = KTakeWakeWithin();
    const TextOverlay* o = g_ui ? g_ui->overlay : nullptr;
    facts.statisticsShown = o && o->restLine && o->restLine->visible;

    // 2. The frame, when there is something to show.
    l.plan = l.rest->plan(facts);
    if (l.plan.draw) {
        drawFrame(draw, start);
        l.shown = pictureFingerprint(); // as drawn: the renderer sends what waited to be sent
        l.lastPass = l.shown;
    } else {
        l.lastPass = print;
        if (g_app) KNotePause(g_app->screen, secondsSince(realStart));
    }
    return true;
}

void setFrameCostClock(double (*clock)()) {
    g_frameCostClock = clock;
}

double secondsToNextPass() {
    if (!g_loop.rest) return 0;
    const double s = g_loop.rest->nextPass() - KClockSeconds();
    return s > 0 ? s : 0;
}

double frameLoopPeriod() {
    startFrameLoop();
    return g_loop.rest->framePeriod();
}

void waitForNextPass() {
    const double seconds = secondsToNextPass();
    const RealClock::time_point start = RealClock::now();
    if (!g_loop.plan.resting) {
        // Something moves: the rest of the frame period is slept, input and all waiting for the
        // next pass, as they wait for the next frame wherever the swap waits for the display.
        if (seconds > 0) std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    } else if (g_loop.handleWoke) {
        // A socket or pipe woke the loop and the pass found nothing to show: one the game
        // leaves unread for now (a full input buffer held back) would wake it again at once,
        // for ever. The descriptors are looked at again a frame period later.
        g_loop.handleWoke = false;
        const double period = std::min(seconds, g_loop.rest->framePeriod());
        std::this_thread::sleep_for(std::chrono::duration<double>(period));
    } else {
        // Whole milliseconds, rounded down: a pass a fraction early finds its frame due.
        const long ms = long(seconds * 1000.0);
        if (ms <= 0) return;
        WaitHandle handles[WAIT_HANDLES_MAX];
        const int n = collectHandles(handles);
        g_loop.handleWoke = WaitMessageOrHandles(handles, n, DWORD(ms)) == WaitResult::Handle;
    }
    const double waited = secondsSince(start);
    g_loop.counts.waitSeconds += waited;
    if (g_loop.plan.resting) g_loop.counts.restSeconds += waited;
    if (g_app) KNotePause(g_app->screen, waited);
}

bool waitHandlesReady() {
    WaitHandle handles[WAIT_HANDLES_MAX];
    const int n = collectHandles(handles);
    for (int i = 0; i < n; ++i) {
        // Only the descriptors: window messages are the caller's to see.
        if (WaitMessageOrHandles(&handles[i], 1, 0) == WaitResult::Handle) return true;
    }
    return false;
}

void noteFrameInput() {
    g_loop.inputSinceFrame = true;
    ++g_loop.inputs;
}

long frameInputCount() {
    return g_loop.inputs;
}

const FramePlan& lastFramePlan() {
    return g_loop.plan;
}

const FrameLoopCounts& frameLoopCounts() {
    return g_loop.counts;
}

void setFrameLog(FILE* file) {
    g_loop.log = file;
}

void logFrameCounts() {
    const FrameLoopCounts& c = g_loop.counts;
    Log("Frame loop: %ld passes, %ld frames drawn (%ld of them at rest); waited %.1f s, %.1f s "
        "of it at rest\n",
        c.passes, c.frames, c.restFrames, c.waitSeconds, c.restSeconds);
}
