// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/text_panel.h"

#include <string>

#include "board/board_scene.h"
#include "engine/KivEngine.h"

namespace {

// The move line's colours: every panel over the board reads alike.
const KColor BODY_COLOUR{0.05f, 0.07f, 0.11f, 0.82f};
const KColor FRAME_COLOUR{0.85f, 0.75f, 0.45f, 0.55f};

} // namespace

KImage2D* makePanelImage(const char* name, const KColor& colour) {
    KMaterial* mat = new KMaterial(g_scene);
    mat->name = name;
    mat->diffuse = colour;
    mat->options |= KMAT_UNLIT;
    KImage2D* img = new KImage2D(g_scene);
    img->mat = mat;
    img->underTexts = 1;
    img->hidden = 1;
    return img;
}

KTexte* makeOverlayLine(KFont* font, float size, const float rgb[3]) {
    KTexte* t = new KTexte();
    t->font = font;
    t->size = size;
    t->blend = 1;
    t->r = rgb[0];
    t->g = rgb[1];
    t->b = rgb[2];
    t->visible = 0;
    g_scene->AddTexte(t);
    return t;
}

TextPanel makeTextPanel(const char* name) {
    TextPanel panel;
    if (!g_scene) return panel;
    panel.frame = makePanelImage((std::string(name) + "Frame").c_str(), FRAME_COLOUR);
    panel.body = makePanelImage(name, BODY_COLOUR);
    return panel;
}

void placeTextPanel(TextPanel& panel, int x, int y, int width, int height) {
    if (!panel.body || !panel.frame) return;
    panel.body->x = x;
    panel.body->y = y;
    panel.body->width = width;
    panel.body->height = height;
    panel.frame->x = x - 1;
    panel.frame->y = y - 1;
    panel.frame->width = width + 2;
    panel.frame->height = height + 2;
}

void setTextPanelShown(TextPanel& panel, bool shown) {
    if (panel.body) panel.body->hidden = shown ? 0 : 1;
    if (panel.frame) panel.frame->hidden = shown ? 0 : 1;
}
