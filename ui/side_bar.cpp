// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/side_bar.h"

#include "board/board_scene.h"
#include "engine/KivEngine.h"

namespace {

// x of the panel from the bar's own left edge, -1 when it does not fit.
int placeOnBar(int width, int margin) {
    const int bar = sideBarWidth();
    if (width <= 0 || bar < width + 2 * margin) return -1;
    return (bar - width) / 2;
}

} // namespace

int sideBarWidth() {
    return g_scene ? g_scene->barWidth : 0;
}

int rightBarPanelX(int pictureWidth, int width, int margin) {
    const int x = placeOnBar(width, margin);
    return x < 0 ? -1 : pictureWidth + x;
}
