// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The engine's one source of chance: the opening book's pick and the weaker levels' choice among
// near-best moves draw from it, and from nothing else. A seed replays the same choices: the game
// seeds it from the clock at start-up, tests and the soak harness with seeds of their own; unseeded
// it starts from a fixed seed. Like the rest of the engine's state it is one per thread: a search
// thread takes its caller's state with the order and hands the state it left back with the
// answer (engine_random_state), so that a game draws the same sequence whichever thread thinks.

#include <cstdint>

void seed_engine_random(uint64_t seed);

// Seeds from the system clock's nanoseconds: a different sequence each run.
void seed_engine_random_from_clock();

// The state that continues the sequence where it stands: seed_engine_random of it changes
// nothing.
uint64_t engine_random_state();

// The next 64 random bits.
uint64_t engine_random();

// A random integer from 0 to n - 1 (n at least 1; 0 when it is not).
int engine_random_below(int n);
