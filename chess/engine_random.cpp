// SPDX-License-Identifier: GPL-3.0-or-later
#include "chess/engine_random.h"

#include <chrono>

#include "chess/position.h"

namespace {

// splitmix64: a 64-bit counter mixed into its output; every seed gives a full-quality sequence.
constexpr uint64_t GOLDEN_GAMMA = 0x9e3779b97f4a7c15ull;
constexpr uint64_t DEFAULT_SEED = 0x3d3c6573732d6263ull;

ENGINE_STATE uint64_t g_state = DEFAULT_SEED;

} // namespace

void seed_engine_random(uint64_t seed) {
    g_state = seed;
}

uint64_t engine_random_state() {
    return g_state;
}

void seed_engine_random_from_clock() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    seed_engine_random(uint64_t(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
}

uint64_t engine_random() {
    uint64_t z = (g_state += GOLDEN_GAMMA);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

int engine_random_below(int n) {
    if (n <= 0) return 0;
    // The high half of a 64 x 32-bit product: uniform to within n / 2^64, with no division.
    return int((unsigned __int128)engine_random() * unsigned(n) >> 64);
}
