// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/clock.h"

#include <chrono>
#include <cstdint>

namespace {

using Clock = std::chrono::steady_clock;

const Clock::time_point g_origin = Clock::now();
bool g_testClock = false;
uint64_t g_testMicros = 0;

uint64_t realMicros() {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - g_origin).count());
}

uint64_t nowMicros() {
    return g_testClock ? g_testMicros : realMicros();
}

} // namespace

unsigned int KGetTicks() {
    return static_cast<unsigned int>(nowMicros());
}

double KClockSeconds() {
    return static_cast<double>(nowMicros()) * 1e-6;
}

float GetTimePassed(unsigned int* stamp) {
    if (!stamp) return 0.0f;
    unsigned int now = KGetTicks();
    unsigned int elapsed = now - *stamp; // modulo 2^32: survives the wrap
    *stamp = now;
    return static_cast<float>(elapsed * 1e-6);
}

void KSetTestClock(bool enabled) {
    if (enabled && !g_testClock) g_testMicros = realMicros();
    g_testClock = enabled;
}

void KAdvanceTestClock(double seconds) {
    if (seconds > 0) g_testMicros += static_cast<uint64_t>(seconds * 1e6 + 0.5);
}

namespace {
double g_wakeWithin = -1; // shortest asked since the last take; negative: none
} // namespace

void KWakeWithin(double seconds) {
    if (seconds < 0) seconds = 0;
    if (g_wakeWithin < 0 || seconds < g_wakeWithin) g_wakeWithin = seconds;
}

double KTakeWakeWithin() {
    const double asked = g_wakeWithin;
    g_wakeWithin = -1;
    return asked;
}

double KRealSecondsSinceStart() {
    return static_cast<double>(realMicros()) * 1e-6;
}
