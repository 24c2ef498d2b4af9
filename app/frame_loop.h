// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The running game's frame loop: passes that step the game, frames drawn only when the picture
// has something new or the ambient motion is due, and rests in between (frame_rest.h says when).
// A rest waits for the window's input, a socket of the network game or the pipe of a UCI engine,
// the next ambient frame or the next timer of the game (KWakeWithin), whichever comes first.
//
//   startFrameLoop();
//   while (framePass(FrameDraw::Render)) waitForNextPass();
//
// Tests and the soak harness drive framePass themselves with the test clock, and advance it by
// secondsToNextPass() where the real loop would wait.

#include <cstdint>
#include <cstdio>

struct FramePlan;

// The ambient motion's pace at rest: the light circles the board in about 19 s, 1.6 degrees a
// frame at this rate, and no pixel of the board's picture changes by more than a tenth of its
// brightness from one frame to the next. Where such frames are dear (a software renderer
// drawing the board) they come less often, to keep within a quarter of a core (frame_rest.h).
constexpr double AMBIENT_FRAMES_PER_SECOND = 12;
// The longest wait at rest; timers the game forgot to announce are at most this late.
constexpr double LONGEST_REST_SECONDS = 0.5;

enum class FrameDraw {
    Render,  // the frames planned are drawn and shown
    Pretend, // they are counted as drawn but not drawn (the soak harness draws few frames)
};

// Once the game is built: the frame period from the display's refresh rate, the ambient pace
// from the settings. framePass calls it itself the first time.
void startFrameLoop();

// One pass: every waiting message dispatched, the game stepped, and a frame drawn when the plan
// says so. False once the quit message came (nothing else of the pass runs).
bool framePass(FrameDraw draw);
// Seconds from now until the next pass is due (0: at once), and the shortest time between two
// frames (the display's refresh period).
double secondsToNextPass();
double frameLoopPeriod();
// The real loop's wait until the next pass. At rest SDL's events, the game's sockets and the UCI
// engine's pipes wake it early; while something moves it sleeps the rest of the frame period.
void waitForNextPass();
// True when the wait would end at once because a socket or the engine's pipe is ready.
bool waitHandlesReady();

// The clock a drawn frame's cost is read on (seconds of processor time of the whole process):
// the ambient pace follows that cost. A harness that drives the loop on the test clock gives
// one of its own (null: the process's processor time again), since processor time grows with
// the machine's load and would make the pace, and so every later pass, depend on it.
void setFrameCostClock(double (*clock)());

// Input or a window event came: the rest ends and the next pass draws. The screen's callbacks
// call it before handling their event.
void noteFrameInput();
// Calls of noteFrameInput so far.
long frameInputCount();

// The plan of the last pass.
const FramePlan& lastFramePlan();
// Something moves by itself: an animation other than the ambient ones, the water, the quit
// banner, a window drag, the wheel's zoom easing in.
bool sceneMovesByItself();
// The fingerprint of the picture the game shows now, the ambient motion left out.
uint64_t pictureFingerprint();

struct FrameLoopCounts {
    long passes = 0;        // passes run
    long frames = 0;        // frames drawn (or counted so, FrameDraw::Pretend)
    long restFrames = 0;    // of them, drawn while the game rested (the ambient motion)
    double restSeconds = 0; // real seconds the loop waited while the game rested
    double waitSeconds = 0; // real seconds the loop waited in all, between frames too
};
const FrameLoopCounts& frameLoopCounts();

// A line for every frame drawn, "<seconds since 1970> <why>" ("input", "change", "ambient",
// "label"), for measuring what the loop draws and how soon after input. Null: none.
void setFrameLog(FILE* file);
// The counts in the engine's log, at the end of the run.
void logFrameCounts();
