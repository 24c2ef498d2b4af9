// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/net_lines.h"

#include "app/app_state.h"
#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"

namespace {

constexpr float TEXT_SIZE = 0.8f;     // factor on the classic font's size
constexpr float LINE_SPACING = 1.35f; // line height over the drawn character height
const KColor BODY_COLOUR{0.05f, 0.07f, 0.11f, 0.8f};
constexpr float TEXT_RGB[3] = {0.85f, 0.9f, 1.0f};

struct NetLines {
    KImage2D* body = nullptr;
    KTexte* lines[NET_LINES_MAX] = {};
    int count = 0;       // lines holding text
    bool wanted = false; // the network code shows them
    int layoutWidth = 0; // window size of the last layout
    int layoutHeight = 0;
} g_lines;

bool built() {
    if (g_lines.body) return true;
    const TextOverlay* o = g_ui ? g_ui->overlay : nullptr;
    if (!g_scene || !o || !o->classicFont) return false;
    KMaterial* mat = new KMaterial(g_scene);
    mat->name = "netLinesBody";
    mat->diffuse = BODY_COLOUR;
    mat->options |= KMAT_UNLIT;
    g_lines.body = new KImage2D(g_scene);
    g_lines.body->mat = mat;
    g_lines.body->hidden = 1;
    g_lines.body->underTexts = 1;
    for (KTexte*& t : g_lines.lines) {
        t = new KTexte();
        t->font = o->classicFont;
        t->size = TEXT_SIZE;
        t->blend = 1;
        t->visible = 0;
        t->r = TEXT_RGB[0];
        t->g = TEXT_RGB[1];
        t->b = TEXT_RGB[2];
        g_scene->AddTexte(t);
    }
    return true;
}

// Under the info panel, from its left edge, as wide as the longest line.
void layOut() {
    const TextOverlay* o = g_ui->overlay;
    const int w = o->screenWidth, h = o->screenHeight;
    g_lines.layoutWidth = w;
    g_lines.layoutHeight = h;
    const int lineHeight = int(o->classicFont->size * TEXT_SIZE * LINE_SPACING + 0.5f);
    const int padding = w * 8 / 800;
    int widest = 0;
    for (int i = 0; i < g_lines.count; ++i) {
        const int width = int(o->classicFont->TextWidth(g_lines.lines[i]->texte) * TEXT_SIZE);
        if (width > widest) widest = width;
    }
    const int x = w * 262 / 800; // the info panel's left edge
    const int y = h * 142 / 600;
    g_lines.body->x = x;
    g_lines.body->y = y;
    g_lines.body->width = widest + 2 * padding;
    g_lines.body->height = g_lines.count * lineHeight + 2 * padding;
    for (int i = 0; i < NET_LINES_MAX; ++i) {
        g_lines.lines[i]->x = x + padding;
        g_lines.lines[i]->y = y + padding + i * lineHeight;
    }
}

bool boardInView() {
    const AppState* app = g_app;
    return app && !g_game->menuOpen && !g_game->cameraView && !g_game->introRunning;
}

void setShown(bool shown) {
    g_lines.body->hidden = shown ? 0 : 1;
    for (int i = 0; i < NET_LINES_MAX; ++i)
        g_lines.lines[i]->visible = shown && i < g_lines.count ? 1 : 0;
}

} // namespace

void showNetLines(const char* const* lines, int count) {
    if (count <= 0) {
        hideNetLines();
        return;
    }
    if (!built()) return;
    g_lines.count = count < NET_LINES_MAX ? count : NET_LINES_MAX;
    for (int i = 0; i < NET_LINES_MAX; ++i)
        g_lines.lines[i]->SetTexte(i < g_lines.count ? lines[i] : "", NET_LINE_LENGTH);
    g_lines.wanted = true;
    layOut();
    setShown(boardInView());
}

void hideNetLines() {
    g_lines.wanted = false;
    g_lines.count = 0;
    if (g_lines.body) setShown(false);
}

bool netLinesShown() {
    return g_lines.body && !g_lines.body->hidden;
}

void netLinesStep() {
    if (!g_lines.body || !g_lines.wanted) return;
    const TextOverlay* o = g_ui->overlay;
    if (o->screenWidth != g_lines.layoutWidth || o->screenHeight != g_lines.layoutHeight) layOut();
    const bool shown = boardInView();
    if (shown != netLinesShown()) setShown(shown);
}

const char* netLine(int i) {
    return g_lines.body && i >= 0 && i < g_lines.count ? g_lines.lines[i]->texte : "";
}
