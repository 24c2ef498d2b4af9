// SPDX-License-Identifier: GPL-3.0-or-later
// The automatic render scale, fed with frame times: it stays on its grid within its bounds, holds
// still while held, and settles instead of pumping between two sizes.

#include <gtest/gtest.h>

#include <cmath>

#include "engine/render_scale.h"

namespace {

// A frame of a software renderer: a fixed part and a part that grows with the pixels shaded.
double frameSeconds(double fixed, double perFullFrame, float scale) {
    return fixed + perFullFrame * scale * scale;
}

bool onGrid(float s) {
    return std::fabs(s / KRENDER_SCALE_STEP - std::round(s / KRENDER_SCALE_STEP)) < 1e-4f;
}

TEST(RenderScaleControl, StaysOnItsGridWithinItsBoundsWhateverTheFrames) {
    const long pictures[] = {640 * 480, 800 * 600, 1280 * 960, 1440 * 1080, 3840 * 2160};
    // Seeded frame times from 1 ms to half a second, in runs as a real frame loop has them.
    for (long pixels : pictures) {
        KRenderScaler scaler;
        scaler.Reset(1.0f);
        unsigned seed = 12345u + unsigned(pixels);
        double seconds = 0.03;
        for (int frame = 0; frame < 5000; ++frame) {
            seed = seed * 1103515245u + 12345u;
            if (frame % 40 == 0) seconds = 0.001 + double(seed % 500) / 1000.0;
            const float s = scaler.Step(seconds, pixels, false);
            ASSERT_TRUE(onGrid(s)) << s;
            ASSERT_GE(s, KRenderScaleFloor(pixels)) << pixels;
            ASSERT_GE(s, KRENDER_SCALE_MIN);
            ASSERT_LE(s, KRENDER_SCALE_MAX);
        }
    }
    // Up to 800 x 600 the scene is never drawn smaller; above, no fewer pixels than 720 x 540.
    EXPECT_EQ(KRenderScaleFloor(800 * 600), 1.0f);
    EXPECT_EQ(KRenderScaleFloor(800 * 600 + 1), 0.9375f);
    EXPECT_EQ(KRenderScaleFloor(1440 * 1080), 0.5f);
    EXPECT_EQ(KRenderScaleFloor(3840 * 2160), KRENDER_SCALE_MIN);
}

TEST(RenderScaleControl, HeldItDoesNotMoveAndLetGoItFollowsTheFramesAtOnce) {
    KRenderScaler scaler;
    scaler.Reset(1.0f);
    const long pixels = 1440 * 1080;
    for (int frame = 0; frame < 200; ++frame)
        ASSERT_EQ(scaler.Step(0.12, pixels, true), 1.0f) << frame;
    // Let go: the frames measured while held decide on the first free one.
    EXPECT_LT(scaler.Step(0.12, pixels, false), 1.0f);
    const float low = scaler.Scale();
    for (int frame = 0; frame < 200; ++frame)
        ASSERT_EQ(scaler.Step(0.002, pixels, true), low) << frame;
    EXPECT_GT(scaler.Step(0.002, pixels, false), low);
}

TEST(RenderScaleControl, SettlesWithoutPumpingBetweenTwoSizes) {
    // Frames whose budget lies between two grid steps, for several machines.
    for (double perFullFrame : {0.03, 0.045, 0.06, 0.09, 0.2}) {
        SCOPED_TRACE(perFullFrame);
        KRenderScaler scaler;
        scaler.Reset(1.0f);
        float last = scaler.Scale();
        int changes = 0;
        for (int frame = 0; frame < 3000; ++frame) {
            const float s =
                scaler.Step(frameSeconds(0.006, perFullFrame, last), 1920 * 1440, false);
            if (frame >= 300 && s != last) ++changes;
            last = s;
        }
        EXPECT_LE(changes, 2);
        // Settled where the frames fit the budget, unless the floor is reached.
        if (last > KRenderScaleFloor(1920 * 1440)) {
            EXPECT_LE(frameSeconds(0.006, perFullFrame, last), KRenderScaler::SLOW_SECONDS);
        }
    }
}

} // namespace
