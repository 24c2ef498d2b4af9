// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The board frame's letters and digits face whoever looks: the frame has four pictures, the
// labels in each turned to read upright from one side of the board (White's, the h-file's,
// Black's, the a-file's), and the frame shows the one of the side the camera is on.

// Reads the three turned pictures beside the frame's own; the frame keeps White's side's.
void loadFrameLabelPictures();

// Gives the frame the picture of the side the camera is on. Cheap when nothing changes; a
// camera near a corner keeps the side it had until it is clearly past it, so that the labels
// do not flicker while it flies by.
void faceFrameLabels();

// The side a camera at (x, z) in the frame's own space reads the labels from, in quarter turns
// from White's side (0 White, 1 the a-file, 2 Black, 3 the h-file); `current` is kept while
// the camera is within the margin of a corner.
int frameLabelSide(float x, float z, int current);
