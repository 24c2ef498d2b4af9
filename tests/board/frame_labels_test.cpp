// SPDX-License-Identifier: GPL-3.0-or-later
// The side the frame's labels are turned to: the camera's side of the board, kept near the
// corners so that a camera flying round does not make them flicker.

#include <cmath>

#include <gtest/gtest.h>

#include "board/frame_labels.h"

namespace {

// A camera at `degrees` round the board's centre, 0 on White's side (+z), 90 beside the h-file.
int sideAt(float degrees, int current) {
    const float r = 10.0f, a = degrees * 3.14159265f / 180.0f;
    return frameLabelSide(3.5f + r * std::sin(a), 3.5f + r * std::cos(a), current);
}

TEST(FrameLabels, TheLabelsFaceTheCamerasSideAndHoldNearTheCorners) {
    // Straight from each side, whatever the labels faced before.
    for (int current = 0; current < 4; ++current) {
        EXPECT_EQ(sideAt(0, current), 0);
        EXPECT_EQ(sideAt(90, current), 3);
        EXPECT_EQ(sideAt(180, current), 2);
        EXPECT_EQ(sideAt(270, current), 1);
    }
    // Just past a corner the old side holds; well past it the new one takes over.
    EXPECT_EQ(sideAt(48, 0), 0);
    EXPECT_EQ(sideAt(60, 0), 3);
    EXPECT_EQ(sideAt(42, 3), 3);
    EXPECT_EQ(sideAt(30, 3), 0);
    // A full turn one way and back meets every side once each way.
    int side = 0, changes = 0;
    for (int d = 0; d <= 720; ++d) {
        const int next = sideAt(float(d <= 360 ? d : 720 - d), side);
        changes += next != side;
        side = next;
    }
    EXPECT_EQ(changes, 8);
    EXPECT_EQ(side, 0);
}

} // namespace
