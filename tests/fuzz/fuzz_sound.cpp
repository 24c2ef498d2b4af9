// SPDX-License-Identifier: GPL-3.0-or-later
// The sound loader as the engine calls it: asSndLoad on a file (the game's ".wav" music and
// sounds), converted to the mixer's format. An accepted sound can be positioned and started;
// a refused one stays empty and cannot be started.

#include <cstdint>

#include "engine/KivEngine.h"
#include "tests/fuzz/fuzz_files.h"

namespace {
WSound* g_sound = nullptr;
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    KivInitDLL();
    g_sound = asSndCreate(0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    restartLogEvery(4096);
    const char* path = fuzzInputFile(data, size, ".wav");
    if (!asSndLoad(g_sound, 0, path)) {
        if (asSndPlay(g_sound, 0) || asSndIsPlaying(g_sound)) __builtin_trap();
        return 0;
    }
    // Positions are in bytes of 16-bit stereo frames: always a whole frame.
    (void)asSndSetTime(g_sound, 0, 250);
    if (asSndGetPosition(g_sound) % 4 != 0) __builtin_trap();
    (void)asSndPlay(g_sound, 0);
    return 0;
}
