// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/thinking_sign.h"

#include <cstdio>
#include <cstring>

#include "app/app_state.h"
#include "board/board_scene.h"
#include "chess/search.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "game/opponent.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"
#include "ui/text_panel.h"

namespace {

constexpr float TEXT_SIZE = 0.8f; // factor on the classic font's size
constexpr int DOT_MS = 500;       // one more dot every half second, four steps round
const KColor PANEL_COLOUR{0.05f, 0.07f, 0.11f, 0.82f};
const KColor FRAME_COLOUR{0.85f, 0.75f, 0.45f, 0.45f}; // the move list's light rim
constexpr float TEXT_RGB[3] = {0.95f, 0.82f, 0.45f};

struct Sign {
    KImage2D* frame = nullptr; // light rim, behind the panel
    KImage2D* panel = nullptr;
    KTexte* text = nullptr;
    char shown[KTexte::MAX_LEN + 1] = ""; // the string laid out last
    int layoutWidth = 0;                  // window width of that layout
} g_sign;

// At the top of the window between the two corner signs, over the sky behind the board, a little
// wider than `widest`, the text with all its dots (the line does not shift as they come).
void layOut(int w, int h, const char* widest) {
    const TextOverlay* o = g_ui->overlay;
    const float width = o->classicFont->TextWidth(widest) * TEXT_SIZE;
    const float height = o->classicFont->size * TEXT_SIZE;
    const int pad = w * 10 / 800;
    g_sign.text->x = w / 2 - int(width / 2);
    g_sign.text->y = h * 34 / 600;
    g_sign.panel->x = g_sign.text->x - pad;
    g_sign.panel->y = g_sign.text->y - pad * 3 / 4;
    g_sign.panel->width = int(width) + 2 * pad;
    g_sign.panel->height = int(height) + pad * 3 / 2;
    g_sign.frame->x = g_sign.panel->x - 1;
    g_sign.frame->y = g_sign.panel->y - 1;
    g_sign.frame->width = g_sign.panel->width + 2;
    g_sign.frame->height = g_sign.panel->height + 2;
    g_sign.layoutWidth = w;
}

void setShown(bool shown) {
    g_sign.frame->hidden = g_sign.panel->hidden = shown ? 0 : 1;
    g_sign.text->visible = shown ? 1 : 0;
}

bool boardInView() {
    const AppState* app = g_app;
    return app && g_game->gameStarted && !g_game->menuOpen && !g_game->cameraView &&
           !g_game->introRunning;
}

} // namespace

void buildThinkingSign() {
    const TextOverlay* o = g_ui ? g_ui->overlay : nullptr;
    if (!g_scene || !o || !o->classicFont) return;
    g_sign.frame = makePanelImage("thinkingSignFrame", FRAME_COLOUR);
    g_sign.panel = makePanelImage("thinkingSign", PANEL_COLOUR);
    g_sign.text = makeOverlayLine(o->classicFont, TEXT_SIZE, TEXT_RGB);
}

void thinkingSignStep() {
    if (!g_sign.text) return;
    const char* engine = boardInView() ? opponentThinking() : nullptr;
    if (!engine) {
        if (g_sign.text->visible) setShown(false);
        return;
    }
    static const char* const DOTS[4] = {"", " .", " . .", " . . ."};
    const int level = opponentChoice().level;
    char line[KTexte::MAX_LEN + 1];
    std::snprintf(line, sizeof line, "%s (level %d) thinking%s", engine, level,
                  DOTS[(clock_ms() / DOT_MS) % 4]);
    KWakeWithin(double(DOT_MS - clock_ms() % DOT_MS) * 0.001); // the next dot
    const TextOverlay* o = g_ui->overlay;
    if (std::strcmp(line, g_sign.shown) != 0 || o->screenWidth != g_sign.layoutWidth) {
        std::memcpy(g_sign.shown, line, sizeof line);
        g_sign.text->SetTexte(line);
        char widest[KTexte::MAX_LEN + 1];
        std::snprintf(widest, sizeof widest, "%s (level %d) thinking%s", engine, level, DOTS[3]);
        layOut(o->screenWidth, o->screenHeight, widest);
    }
    setShown(true);
}

bool thinkingSignShown() {
    return g_sign.text && g_sign.text->visible;
}

const char* thinkingSignText() {
    return g_sign.text ? g_sign.text->texte : "";
}
