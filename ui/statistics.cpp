// SPDX-License-Identifier: GPL-3.0-or-later
// Fonts, statistics and the game's cursor: the small pieces of the interface.
#include <cmath>
#include <cstdio>

#include "app/app_state.h"
#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "ui/interface.h"

namespace {

long g_framesDrawn = 0; // by the frame loop, this one included
bool g_resting = false; // the frame is drawn while the game rests

TextOverlay* overlay() {
    return g_ui ? g_ui->overlay : nullptr;
}

// Rounded to the nearer integer, a tie going up.
int roundHalfUp(float v) {
    return int(std::floor(v + 0.5f));
}

KFont* makeFont(const char* fontName, const char* bitmap, float size, float spacing) {
    KTexture* tex = new KTexture(g_scene);
    tex->SetTextureFilter(2);
    tex->fileName = bitmap;
    tex->name = bitmap;
    // Read when a text is first drawn: a game may show none for long, and once sent to the
    // GPU the pixels are let go anyway.
    tex->LoadTextureLater(bitmap);
    tex->CreateModifiedImg();
    tex->SetupTexture();
    KFont* font = new KFont(g_scene);
    font->name = fontName;
    font->SetTexture(tex);
    font->BuildFontLists(16, 16, size, spacing);
    return font;
}

// The whole and tenth parts of a non-negative value, the tenth truncated ("59.9" for 59.96).
// Values beyond what an int holds (an infinite frame rate after a zero-length frame) are capped.
void wholeAndTenth(double v, int& whole, int& tenth) {
    if (!(v > 0)) v = 0;
    if (v > 2.0e9) v = 2.0e9;
    whole = int(v);
    tenth = int((v - whole) * 10);
}

} // namespace

int classicFontSize(int w) {
    return roundHalfUp(w * 0.02f);
}
int chatFontSize(int w) {
    return roundHalfUp(w * 0.015f);
}

void buildFonts() {
    TextOverlay* o = overlay();
    if (!o || !g_scene) return;
    o->classicFont = makeFont("ClassicFont", ".\\textures\\font.bmp", 16, -4.5f);
    o->chatFont = makeFont("ChatFont", ".\\textures\\chatfont.bmp", 12, 0);
}

void rebuildFonts(int w) {
    TextOverlay* o = overlay();
    if (!o) return;
    if (o->classicFont)
        o->classicFont->BuildFontLists(16, 16, float(classicFontSize(w)), w * -0.005625f);
    if (o->chatFont) o->chatFont->BuildFontLists(16, 16, float(chatFontSize(w)), 0);
}

void formatFps(char* out, size_t size, float fps) {
    int whole, tenth;
    wholeAndTenth(fps, whole, tenth);
    std::snprintf(out, size, "FPS %d.%d", whole, tenth);
}

void formatTextureMemory(char* out, size_t size, double bytes) {
    int whole, tenth;
    wholeAndTenth(bytes * 0.000001, whole, tenth);
    std::snprintf(out, size, "Texture memory  : %d.%d Mo", whole, tenth);
}

void toggleStatistics() {
    TextOverlay* o = overlay();
    if (!o || !o->fpsText) return;
    unsigned char shown = o->fpsText->visible ? 0 : 1;
    o->fpsText->visible = shown;
    for (KTexte* t : o->statLines)
        t->visible = shown;
    if (o->scaleLine) o->scaleLine->visible = shown;
    if (o->restLine) o->restLine->visible = shown;
    if (g_scene) g_scene->statistics = shown;
    setStatisticsPanelsShown(shown);
}

void noteFrameDrawn(long framesDrawn, bool resting) {
    g_framesDrawn = framesDrawn;
    g_resting = resting;
}

void statisticsStep() {
    TextOverlay* o = overlay();
    if (!o || !o->fpsText || !o->fpsText->visible || !g_scene) return;
    const KStats& s = g_scene->stats;
    const size_t n = sizeof(o->fpsText->texte);
    formatFps(o->fpsText->texte, n, s.fps);
    std::snprintf(o->statLines[0]->texte, n, "NB Objects      : %d (%d,%d)", s.nbObjects,
                  s.nbMeshes, s.nbNodes);
    std::snprintf(o->statLines[1]->texte, n, "NB Vis Objects  : %d", s.nbVisObjects);
    std::snprintf(o->statLines[2]->texte, n, "NB Polygons     : %d", s.nbPolygons);
    std::snprintf(o->statLines[3]->texte, n, "NB Vis Polygons : %d", s.nbVisPolygons);
    std::snprintf(o->statLines[4]->texte, n, "NB Lights       : %d", s.nbLights);
    std::snprintf(o->statLines[5]->texte, n, "NB Used Lights  : %d", s.nbUsedLights);
    std::snprintf(o->statLines[6]->texte, n, "NB Textures     : %d", s.nbTextures);
    std::snprintf(o->statLines[7]->texte, n, "NB Materials    : %d", s.nbMaterials);
    formatTextureMemory(o->statLines[8]->texte, n, s.textureMemory);
    if (o->scaleLine)
        std::snprintf(o->scaleLine->texte, n, "Render scale    : %.2f%s", double(s.renderScale),
                      g_app && g_app->screen &&
                              GetRenderScaleSetting(g_app->screen) == KRENDER_SCALE_AUTO
                          ? " auto"
                          : "");
    if (o->restLine)
        std::snprintf(o->restLine->texte, n, "Frames drawn    : %ld%s", g_framesDrawn,
                      g_resting ? ", at rest" : "");
    placeStatisticsPanels();
}

void setCursorShown(bool show) {
    if (g_ui && g_ui->cursor) g_ui->cursor->hidden = show ? 0 : 1;
}

void moveCursor(int x, int y) {
    if (!g_ui) return;
    g_ui->mouseX = x;
    g_ui->mouseY = y;
    if (g_ui->cursor) {
        g_ui->cursor->x = x;
        g_ui->cursor->y = y;
    }
}
