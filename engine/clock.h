#pragma once
// Time for animations and timers. Stamps are 32-bit tick counts (microseconds of the engine's
// clock, wrapping after about 71 minutes; differences are taken modulo 2^32).

// Seconds since *stamp, and *stamp set to now. A null stamp gives 0.
float GetTimePassed(unsigned int* stamp);

// Current tick of the engine's clock.
unsigned int KGetTicks();

// Tests replace the monotonic clock with one they advance by hand: while enabled, time moves
// only through KAdvanceTestClock. Enabling starts the test clock at the current tick.
void KSetTestClock(bool enabled);
void KAdvanceTestClock(double seconds);

// Seconds of real time since the engine was loaded, that is since the program started, whatever
// the test clock says.
double KRealSecondsSinceStart();
