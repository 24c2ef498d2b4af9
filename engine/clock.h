// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Time for animations and timers. Stamps are 32-bit tick counts (microseconds of the engine's
// clock, wrapping after about 71 minutes; differences are taken modulo 2^32).

// Seconds since *stamp, and *stamp set to now. A null stamp gives 0.
float GetTimePassed(unsigned int* stamp);

// Current tick of the engine's clock.
unsigned int KGetTicks();
// The same clock in seconds since the engine was loaded, without the ticks' wrap.
double KClockSeconds();

// Tests replace the monotonic clock with one they advance by hand: while enabled, time moves
// only through KAdvanceTestClock. Enabling starts the test clock at the current tick.
void KSetTestClock(bool enabled);
void KAdvanceTestClock(double seconds);

// Seconds of real time since the engine was loaded, that is since the program started, whatever
// the test clock says.
double KRealSecondsSinceStart();

// Timers that are not animations (countdowns, waits for a peer or an engine) say when they fall
// due: a frame loop that rests between frames wakes by then. `seconds` from now on this clock;
// 0 asks for the next pass at the frame rate (something polled, such as a look-up running
// beside the game). Called from the game's frame steps, every pass while the timer runs.
void KWakeWithin(double seconds);
// The frame loop, once per pass: the shortest time asked since its last call (a negative value
// when none was), and the requests forgotten.
double KTakeWakeWithin();
