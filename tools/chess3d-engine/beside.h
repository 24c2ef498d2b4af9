// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The computer thinking beside a frame loop, measured: how long the loop's thread is held per
// frame while the search thread thinks, against the whole search it would wait for in-line.

// For each bench position: the in-line search at `level` (the frame it would freeze), then the
// same order on a SearchThread beside a loop of 60 frames a second that polls for the answer,
// a second order dropped by a cancel two frames in, and as many frames again with nothing
// thinking. Prints a line per position and a summary ("Beside: ..."): the longest start, poll
// or cancel call, and the longest frame (from one frame's start to the next: the machine's
// scheduling is in it, which the frames with nothing thinking show on their own). Returns
// 0, or 1 when a position is refused, the thread cannot start, or an answer differs from the
// in-line one.
int run_beside(int level);
