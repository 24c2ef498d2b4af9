// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A few lines of network notes on a translucent panel under the info message: while hosting,
// where a friend can join and what the router did; while the joining side tries to come back,
// how to give up. The network code decides the lines; this file only shows them. Texts and
// panel are made the first time lines are shown and kept; a frame with nothing new allocates
// nothing.

constexpr int NET_LINES_MAX = 6;    // lines shown at most
constexpr int NET_LINE_LENGTH = 64; // characters of a line

// Shows the first `count` lines of `lines` (cut to NET_LINE_LENGTH characters), replacing what
// was shown; a count of 0 hides the panel.
void showNetLines(const char* const* lines, int count);
void hideNetLines();
bool netLinesShown();

// Once per frame: the panel follows the window's size and shows over the board only (not over
// the menu, whose connect screen has lines of its own).
void netLinesStep();

// The text of line i as shown ("" past the lines shown), for tests and screenshots.
const char* netLine(int i);
