// SPDX-License-Identifier: GPL-3.0-or-later
// The panels behind the statistics (H): one behind the column of counters at the bottom left,
// one behind the frame rate at the bottom right, so that the figures read over a bright board.
#include <algorithm>
#include <climits>

#include "engine/KivEngine.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"
#include "ui/text_panel.h"

namespace {

TextPanel g_counters, g_rate;
bool g_built = false;

// The rectangle around the shown texts of `texts`, `pad` pixels wider on each side; false when
// none is shown.
bool around(KTexte* const* texts, int count, int pad, int& x, int& y, int& w, int& h) {
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    for (int i = 0; i < count; ++i) {
        const KTexte* t = texts[i];
        if (!t || !t->visible || !t->font) continue;
        left = std::min(left, t->x);
        top = std::min(top, t->y);
        right = std::max(right, t->x + int(t->font->TextWidth(t->texte) * t->size));
        bottom = std::max(bottom, t->y + int(t->font->size * t->size));
    }
    if (left > right) return false;
    x = left - pad;
    y = top - pad / 2;
    w = right - left + 2 * pad;
    h = bottom - top + pad;
    return true;
}

void placeAround(TextPanel& panel, KTexte* const* texts, int count, int pad) {
    int x, y, w, h;
    if (around(texts, count, pad, x, y, w, h)) placeTextPanel(panel, x, y, w, h);
}

} // namespace

void buildStatisticsPanels() {
    g_counters = makeTextPanel("statisticsPanel");
    g_rate = makeTextPanel("frameRatePanel");
    g_built = g_counters.body != nullptr;
}

void setStatisticsPanelsShown(bool shown) {
    setTextPanelShown(g_counters, shown);
    setTextPanelShown(g_rate, shown);
}

void placeStatisticsPanels() {
    TextOverlay* o = g_ui ? g_ui->overlay : nullptr;
    if (!o || !g_built) return;
    const int pad = o->screenWidth * 10 / 800;
    KTexte* counters[STAT_LINE_COUNT + 2];
    std::copy(o->statLines, o->statLines + STAT_LINE_COUNT, counters);
    counters[STAT_LINE_COUNT] = o->scaleLine;
    counters[STAT_LINE_COUNT + 1] = o->restLine;
    placeAround(g_counters, counters, STAT_LINE_COUNT + 2, pad);
    placeAround(g_rate, &o->fpsText, 1, pad);
}
