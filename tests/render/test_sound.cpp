// SPDX-License-Identifier: GPL-3.0-or-later
// Sound: a wave file loaded, played once or looping, rewound; silent and harmless without a
// device or a file.

#include "engine/sound_api.h"

#include <SDL2/SDL.h>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// 16-bit PCM, `seconds` long: a plain square wave, mono at 22050 Hz (converted at load), or
// `asPlayed`, stereo at 44100 Hz (the mixer's own format, read from the file as it plays).
std::string writeWav(double seconds, bool asPlayed = false) {
    const int channels = asPlayed ? 2 : 1, rate = asPlayed ? 44100 : 22050;
    const int n = static_cast<int>(rate * seconds) * channels;
    std::vector<short> s(n);
    for (int i = 0; i < n; ++i)
        s[i] = (i / 50) % 2 ? 8000 : -8000;
    const std::string path = "/tmp/chess3d-sound-test-" + std::to_string(getpid()) + ".wav";
    FILE* f = std::fopen(path.c_str(), "wb");
    auto u32 = [&](unsigned v) { std::fwrite(&v, 4, 1, f); };
    auto u16 = [&](unsigned short v) { std::fwrite(&v, 2, 1, f); };
    std::fwrite("RIFF", 1, 4, f);
    u32(36 + n * 2);
    std::fwrite("WAVEfmt ", 1, 8, f);
    u32(16), u16(1), u16(channels), u32(rate), u32(rate * 2 * channels), u16(2 * channels), u16(16);
    std::fwrite("data", 1, 4, f);
    u32(n * 2);
    std::fwrite(s.data(), 2, n, f);
    std::fclose(f);
    return path;
}

bool waitFor(bool (*cond)(const WSound*), const WSound* s, double seconds) {
    const Uint32 end = SDL_GetTicks() + static_cast<Uint32>(seconds * 1000);
    while (SDL_GetTicks() < end) {
        if (cond(s)) return true;
        SDL_Delay(10);
    }
    return cond(s);
}

TEST(Sound, LoadsPlaysOnceLoopsAndRewinds) {
    setenv("SDL_AUDIODRIVER", "dummy", 0); // a device that plays nowhere, in real time
    for (bool asPlayed : {false, true}) {
        SCOPED_TRACE(asPlayed ? "read from the file as it plays" : "converted at load");
        const std::string wav = writeWav(0.3, asPlayed);
        if (!KivLoadSound(nullptr)) GTEST_SKIP() << "no audio device, not even SDL's dummy one";
        WSound* s = asSndCreate(0);
        WSound* unused = asSndCreate(0);
        ASSERT_EQ(asSndLoad(s, 0, wav.c_str()), 1);

        // Once: plays, then stops by itself.
        ASSERT_EQ(asSndSetTime(s, 0, 0), 1);
        ASSERT_EQ(asSndPlay(s, 0), 1);
        EXPECT_TRUE(waitFor([](const WSound* x) { return asSndGetPosition(x) > 0; }, s, 1.0));
        EXPECT_TRUE(waitFor([](const WSound* x) { return !asSndIsPlaying(x); }, s, 2.0));

        // Endless: still playing well after its length.
        asSndSetTime(s, 0, 0);
        asSndPlay(s, -1);
        SDL_Delay(700);
        EXPECT_TRUE(asSndIsPlaying(s));

        // Rewinding a playing sound starts it again from the beginning (the menu's restart).
        asSndSetTime(s, 0, 0);
        EXPECT_LE(asSndGetPosition(s), 2 * 4096); // at most a mixing buffer or two later
        asSndPlay(s, -1);
        EXPECT_TRUE(asSndIsPlaying(s));
        EXPECT_FALSE(asSndIsPlaying(unused)); // the other sounds of the bank stay silent

        KivFreeSound();
        EXPECT_FALSE(asSndIsPlaying(s));
        std::remove(wav.c_str());
    }
}

TEST(Sound, MissingFileOrNoDeviceIsSilentAndHarmless) {
    WSound* s = asSndCreate(0);
    EXPECT_EQ(asSndLoad(s, 0, ".\\Zik\\no-such-file.wav"), 0);
    EXPECT_EQ(asSndSetTime(s, 0, 0), 0);
    EXPECT_EQ(asSndPlay(s, -1), 0);
    EXPECT_FALSE(asSndIsPlaying(s));
    EXPECT_EQ(asSndPlay(nullptr, 0), 0);
    EXPECT_EQ(asSndLoad(nullptr, 0, "x.wav"), 0);

    // A real file loads even with the sound system closed, and playing it is harmless.
    KivFreeSound();
    const std::string wav = writeWav(0.1);
    WSound* t = asSndCreate(0);
    EXPECT_EQ(asSndLoad(t, 0, wav.c_str()), 1);
    EXPECT_EQ(asSndSetTime(t, 0, 50), 1);
    EXPECT_EQ(asSndGetPosition(t), 50 * 44100 / 1000 * 4);
    EXPECT_EQ(asSndPlay(t, 0), 1);
    std::remove(wav.c_str());
}

TEST(Sound, AFileDeclaringMoreSoundThanItHoldsIsRefused) {
    // 16-bit mono samples whose data chunk claims 3.9 GB: the game would ask for all of it.
    std::string wav = writeWav(0.01);
    FILE* f = std::fopen(wav.c_str(), "r+b");
    std::fseek(f, 40, SEEK_SET);
    const unsigned char huge[4] = {0x00, 0x02, 0x00, 0xE8};
    std::fwrite(huge, 1, 4, f);
    std::fclose(f);
    WSound* s = asSndCreate(0);
    EXPECT_EQ(asSndLoad(s, 0, wav.c_str()), 0);
    EXPECT_EQ(asSndPlay(s, 0), 0);
    std::remove(wav.c_str());
}

TEST(Sound, ARefusedFileLeavesTheSoundEmptyWhateverItHeld) {
    const std::string wav = writeWav(0.1);
    const std::string bad = wav + ".bad.wav";
    FILE* f = std::fopen(bad.c_str(), "wb");
    std::fwrite("RIFF\x24\x02\0\0WAVEfmt ", 1, 16, f); // a header cut short
    std::fclose(f);
    WSound* s = asSndCreate(0);
    for (const char* refused : {bad.c_str(), "no-such-file.wav"}) {
        ASSERT_EQ(asSndLoad(s, 0, wav.c_str()), 1);
        ASSERT_EQ(asSndPlay(s, -1), 1);
        EXPECT_EQ(asSndLoad(s, 0, refused), 0) << refused;
        EXPECT_FALSE(asSndIsPlaying(s)) << refused;
        EXPECT_EQ(asSndPlay(s, 0), 0) << refused << ": the old samples would play";
        EXPECT_EQ(asSndSetTime(s, 0, 10), 0) << refused;
    }
    std::remove(bad.c_str());
    std::remove(wav.c_str());
}

} // namespace
