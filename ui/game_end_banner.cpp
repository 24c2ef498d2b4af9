// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/game_end_banner.h"

#include <cstring>

#include "board/board_scene.h"
#include "engine/KivEngine.h"
#include "game/game_end_state.h"
#include "game/game_model.h"
#include "ui/interface.h"
#include "ui/text_overlay.h"

namespace {

// Drawn at this many times the info line's letters, its top this far down an 800 x 600 window.
constexpr float BANNER_SIZE = 1.6f;
constexpr int BANNER_TOP = 52;
constexpr int SHADOW_OFFSET = 2; // pixels of the dark copy under the words, down and right

struct Banner {
    KTexte* words = nullptr;
    KTexte* shadow = nullptr; // keeps the words readable over the light squares
};
Banner g_banner;

KTexte* makeBannerText(float r, float g, float b) {
    KTexte* t = new KTexte();
    t->r = r;
    t->g = g;
    t->b = b;
    t->blend = 1;
    t->size = BANNER_SIZE;
    g_scene->AddTexte(t); // the scene owns it
    return t;
}

bool boardInView() {
    return g_game->gameStarted && !g_game->menuOpen && !g_game->cameraView && !g_game->introRunning;
}

void place(KTexte* t, const TextOverlay& o, const char* text, int offset) {
    t->font = o.classicFont; // the font is rebuilt, not replaced, with the window's size
    if (std::strcmp(t->texte, text) != 0) t->SetTexte(text);
    const float width = o.classicFont ? o.classicFont->TextWidth(text) * BANNER_SIZE : 0.0f;
    t->x = int((float(o.screenWidth) - width) / 2.0f) + offset;
    t->y = o.screenHeight * BANNER_TOP / 600 + offset;
}

// The "TO MOVE" sign (its frame and the coin of the side to move) means nothing over a finished
// game: after a mate it would show the mated side as if it were still to play. While the board
// is in view it is hidden over a finished game and shown again, once, when the game goes on
// (a take-back, a load, a new game). Elsewhere the menu, the pause tour and the intro hide and
// show it themselves; this only undoes its own hiding.
bool g_turnSignHiddenHere = false;

void setTurnSignHidden(bool hidden) {
    for (KNodeGraph* n : {g_ui->turn, g_ui->cadreTurn})
        if (n) n->hidden = hidden ? 1 : 0;
}

void turnSignStep(bool finished, bool inView) {
    if (!inView) return;
    if (finished) {
        setTurnSignHidden(true);
        g_turnSignHiddenHere = true;
    } else if (g_turnSignHiddenHere) {
        setTurnSignHidden(false);
        g_turnSignHiddenHere = false;
    }
}

} // namespace

void gameEndBannerStep() {
    const TextOverlay* o = g_ui && g_scene && g_game ? g_ui->overlay : nullptr;
    if (!o || !o->classicFont) return;
    const GameVerdict& v = gameVerdict();
    turnSignStep(v.over(), boardInView());
    const bool shown = v.over() && boardInView();
    if (!g_banner.words) {
        if (!shown) return;
        g_banner.shadow = makeBannerText(0.0f, 0.0f, 0.0f);
        g_banner.words = makeBannerText(1.0f, 0.85f, 0.3f);
    }
    if (shown) {
        place(g_banner.shadow, *o, v.banner, SHADOW_OFFSET);
        place(g_banner.words, *o, v.banner, 0);
    }
    g_banner.shadow->visible = shown ? 1 : 0;
    g_banner.words->visible = shown ? 1 : 0;
}

const char* gameEndBannerShown() {
    return g_banner.words && g_banner.words->visible ? g_banner.words->texte : nullptr;
}
