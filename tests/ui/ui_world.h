// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small world for the interface's tests: a scene with stand-ins for the option model's
// objects, materials and pictures (so that the tests do not depend on the generated data), the
// animation manager with the menu presets, and the Interface built as at start-up, all behind
// the process-wide pointers. Time runs on the engine's test clock.

#include <gtest/gtest.h>

class KTexture;

// The window pixel whose ray through the board's camera meets the wall plane at (x, z).
void wallPixel(float x, float z, int* px, int* py);

class UiWorld : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Advances the test clock by `seconds` in steps of 1/60 s, running the animations and the
    // interface's frame step after each.
    static void run(double seconds);

    // The menu as the player sees it: open, wall shown, camera at the menu view.
    static void openMenu();

    // Points the mouse at the window pixel whose ray meets the wall plane at (x, z), then runs
    // one frame step so the pointer and the hover follow.
    static void pointAtWall(float x, float z);

    // Fills every pixel of a picture with one value (all four channels).
    static void fill(KTexture* t, unsigned char value);
    // Pixel (x, y) of a picture, channel 0.
    static int pixel(const KTexture* t, int x, int y);

    // Lines the chat sent to the peer (through the network seam).
    static std::vector<std::string> sentLines;
    // Answers given to the request window, and sub-screens opened (page numbers).
    static std::vector<int> answers;
    static std::vector<int> screensOpened;
};
