// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The black bars of full screen: on a display wider than 4:3 the game's 4:3 picture stands
// between two bars, and a panel that fits on one of them can stand there rather than over the
// board. Picture pixels throughout, x = 0 at the picture's left edge.

// Where a panel `width` pixels wide stands centred on the bar right of a picture `pictureWidth`
// pixels wide, keeping `margin` pixels from the bar's edges; -1 when that bar (or none) is too
// narrow for it.
int rightBarPanelX(int pictureWidth, int width, int margin);

// Width of each bar now; 0 in a window or on a 4:3 display.
int sideBarWidth();
