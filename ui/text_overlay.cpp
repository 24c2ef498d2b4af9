// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/text_overlay.h"

#include <cstring>

#include "app/app_state.h"
#include "app/input.h"
#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/game_model.h"
#include "ui/fades.h"
#include "ui/file_list.h"
#include "ui/interface.h"
#include "ui/load_details.h"

namespace {

// Request window buttons: their rectangles in the 256 x 128 picture (bottom-up rows, so they lie
// along the picture's bottom edge) by button number.
constexpr PixelRect REQUEST_BUTTONS[2] = {{30, 1, 70, 25}, {150, 1, 80, 25}};

// Window pixels, on an 800-pixel-wide window, from the request lines' left edge to the right
// edge of the window's text box.
constexpr float REQUEST_TEXT_ROOM = 262.0f;

TextOverlay* overlay() {
    return g_ui ? g_ui->overlay : nullptr;
}

// A request line too wide for the window's text box (a peer's long address) is drawn smaller.
void fitRequestLine(KTexte* line) {
    const TextOverlay* o = overlay();
    const float room = REQUEST_TEXT_ROOM * float(o->screenWidth) / 800.0f;
    const float width = line->font ? line->font->TextWidth(line->texte) : 0.0f;
    line->size = room > 0.0f && width > room ? room / width : 1.0f;
}

// A hidden white text of the scene with `font` and `text`, at (x, y).
KTexte* makeText(KFont* font, const char* text, int x, int y) {
    KTexte* t = new KTexte();
    t->font = font;
    t->r = t->g = t->b = 1.0f;
    t->visible = 0;
    t->blend = 1;
    t->size = 1.0f;
    t->SetTexte(text);
    t->x = x;
    t->y = y;
    g_scene->AddTexte(t);
    return t;
}

void setVisible(KTexte* t, bool visible) {
    if (t) t->visible = visible ? 1 : 0;
}

void setNodeHidden(KNodeGraph* n, bool hidden) {
    if (n) n->hidden = hidden ? 1 : 0;
}

// Completions of the info panel's fades: A (faded in, timed), B (held), C (faded in, untimed),
// E (a timed message faded out: its panel goes, or, unseen, it would still take the clicks
// meant for the board's far squares under it). A fade started meanwhile drops E.
void infoShownTimed() {
    TextOverlay* o = overlay();
    if (!o) return;
    setVisible(o->infoText, true);
    playFade(GetMatByName(g_scene, "info"), FADE_INFO_HOLD, [] {
        TextOverlay* ov = overlay();
        if (ov) setVisible(ov->infoText, false);
        playFade(GetMatByName(g_scene, "info"), FADE_INFO_OUT,
                 [] { setNodeHidden(g_ui ? g_ui->info : nullptr, true); });
    });
}

void infoShown() {
    if (TextOverlay* o = overlay()) setVisible(o->infoText, true);
}

// Completion D: the request panel has faded in.
void requestShown() {
    if (TextOverlay* o = overlay()) {
        setVisible(o->requestLine1, true);
        setVisible(o->requestLine2, true);
    }
}

} // namespace

void layout(int w, int h) {
    TextOverlay* o = overlay();
    if (!o || !g_scene) return;
    o->screenWidth = w;
    o->screenHeight = h;
    KFont* classic = o->classicFont;
    o->infoText = makeText(classic, "texte d'erreur", 272, 110);
    o->requestLine1 = makeText(classic, "Server request", 272, 285);
    o->requestLine2 = makeText(classic, "a new fresh game", 272, 305);
    o->fpsText = makeText(classic, "FPS %d", w - 110, h - 40);
    static const int STAT_Y[STAT_LINE_COUNT] = {210, 190, 170, 150, 130, 110, 80, 60, 40};
    for (int i = 0; i < STAT_LINE_COUNT; ++i)
        o->statLines[i] = makeText(classic, "FPS %d", 25, h - STAT_Y[i]);
    o->scaleLine = makeText(classic, "", 25, h - 230);
    o->restLine = makeText(classic, "", 25, h - 250);
    for (int i = 0; i < 4; ++i) {
        o->chatLines[i] = makeText(o->chatFont, "", w * 25 / 800, h - 27 - 12 * i);
    }
    o->chatLines[0]->texte[0] = '>';
    o->chatLines[0]->texte[1] = '_';
    o->nameLine = makeText(classic, "_", 260, 436);
    o->ipLine = makeText(classic, "_", 330, 315);
    o->chatCursor = 1;
    o->chatRing = 0;
    o->nameLength = 0;
    o->ipLength = 0;
    buildStatisticsPanels();
    buildLoadDetails();
}

void relayout(int w, int h) {
    TextOverlay* o = overlay();
    if (!o || !o->infoText) return;
    int oldHeight = o->screenHeight;
    o->screenWidth = w;
    o->screenHeight = h;
    rebuildFonts(w);
    o->infoText->x = w * 272 / 800;
    o->infoText->y = h * 110 / 600;
    o->requestLine1->x = w * 272 / 800;
    o->requestLine1->y = h * 285 / 600;
    o->requestLine2->x = w * 272 / 800;
    o->requestLine2->y = h * 305 / 600;
    o->fpsText->x = w - w * 150 / 800;
    o->fpsText->y = h - h * 30 / 600;
    // The statistics lines keep their distance from the bottom edge: left where they were
    // first put, they would fall below a window smaller than 800 x 600.
    for (KTexte* t : o->statLines)
        t->y += h - oldHeight;
    o->scaleLine->y += h - oldHeight;
    o->restLine->y += h - oldHeight;
    for (int i = 0; i < 4; ++i)
        chatLinePlace(*o, i);
    o->nameLine->x = w * 260 / 800;
    o->nameLine->y = w * 436 / 800;
    o->ipLine->x = w * 330 / 800;
    o->ipLine->y = w * 315 / 800;
    // A list on screen keeps its lines on the panel and under the selection bar.
    placeFileLines();
}

void showInfo(bool show, bool timed, const char* text) {
    TextOverlay* o = overlay();
    if (!o || !o->infoText) return;
    KMaterial* mat = GetMatByName(g_scene, "info");
    if (show) {
        prepareFade(mat, 0.0f);
        playFade(mat, FADE_INFO_IN, timed ? infoShownTimed : infoShown);
    } else {
        playFade(mat, FADE_INFO_OUT, nullptr);
    }
    // The text appears when the panel has faded in.
    o->infoText->visible = 0;
    setNodeHidden(g_ui->info, !show);
    if (text) o->infoText->SetTexte(text);
}

void showRequest(bool show, const char* line1, const char* line2) {
    TextOverlay* o = overlay();
    if (!o || !o->requestLine1) return;
    KMaterial* mat = GetMatByName(g_scene, "request");
    if (show) {
        g_game->questionShown = 1;
        if (g_app && g_game->menuOpen) setMenuOpen(false);
        prepareFade(mat, 0.0f);
        playFade(mat, FADE_REQUEST_IN, requestShown);
        // The button under the pointer is whatever lies there now: a button kept from the last
        // question would answer this one with a click beside both buttons.
        requestHover();
    } else {
        g_game->questionShown = 0;
        prepareFade(mat, 0.8f);
        playFade(mat, FADE_REQUEST_OUT, nullptr);
    }
    o->requestLine1->visible = 0;
    o->requestLine2->visible = 0;
    setNodeHidden(g_ui->request, !show);
    if (line1) o->requestLine1->SetTexte(line1);
    if (line2) o->requestLine2->SetTexte(line2);
    fitRequestLine(o->requestLine1);
    fitRequestLine(o->requestLine2);
}

void requestHover() {
    TextOverlay* o = overlay();
    if (!o) return;
    const int w = o->screenWidth, h = o->screenHeight;
    const int x = g_ui->mouseX, y = g_ui->mouseY;
    int b = -1;
    if (h * 350 / 600 < y && y < h * 375 / 600) {
        if (w * 280 / 800 < x && x < w * 360 / 800)
            b = 0;
        else if (w * 440 / 800 < x && x < w * 510 / 800)
            b = 1;
    }
    PagePicture& pp = g_ui->requestPicture;
    int old = g_ui->questionButton;
    if (old == 0 || old == 1) restoreRect(pp, REQUEST_BUTTONS[old]);
    if (b >= 0) pasteHighlight(pp, REQUEST_BUTTONS[b]);
    uploadPicture(pp);
    g_ui->questionButton = b;
}
