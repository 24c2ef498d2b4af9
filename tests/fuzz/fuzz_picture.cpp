// SPDX-License-Identifier: GPL-3.0-or-later
// The picture loaders as the engine calls them: KTexture::LoadTexture on a file (the game's
// ".jpg", ".bmp" and ".png" pictures) and LoadTextureFromMemory (pictures inside a model file).
// Both must accept or refuse alike, with the same size, and an accepted picture has exactly
// width x height RGBA pixels. (Their pixels are not compared: on some damaged PNG files the
// decoder's inflate leaves a few output bytes unwritten, which then show leftover memory.)

#include <cstdint>

#include "engine/KivEngine.h"
#include "tests/fuzz/fuzz_files.h"

namespace {
KScene* g_fuzzScene = nullptr;
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    KivInitDLL();
    g_fuzzScene = CreateScene();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    restartLogEvery(4096);
    const char* path = fuzzInputFile(data, size, ".jpg");
    KTexture* fromFile = new KTexture(g_fuzzScene);
    KTexture* fromMemory = new KTexture(g_fuzzScene);
    const bool fileOk = fromFile->LoadTexture(path);
    const bool memoryOk = size <= size_t(INT32_MAX) &&
                          fromMemory->LoadTextureFromMemory(data, static_cast<int>(size));
    if (fileOk != memoryOk) __builtin_trap();
    if (fileOk) {
        if (fromFile->width <= 0 || fromFile->height <= 0 ||
            fromFile->pixels.size() != size_t(fromFile->width) * fromFile->height * 4 ||
            fromFile->width != fromMemory->width || fromFile->height != fromMemory->height)
            __builtin_trap();
        fromFile->CreateModifiedImg(); // the menu's highlight pictures go through it
    }
    g_fuzzScene->Reset();
    return 0;
}
